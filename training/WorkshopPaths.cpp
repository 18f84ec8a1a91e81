#include "training/WorkshopPaths.h"

#include <algorithm>
#include <system_error>

#include "host/PathText.h"

namespace postplay {

namespace fs = std::filesystem;

namespace {

// The status of the path a plug-in text names; any failure (including a text the
// file-system encoding cannot take) reads as "no such file". A text holding a NUL names no
// file: the system would read it only up to the NUL, so it would seem to name another one.
fs::file_status StatusOfText(const std::string& text) {
    if (text.find('\0') != std::string::npos) return fs::file_status(fs::file_type::not_found);
    try {
        std::error_code error;
        const fs::file_status status = fs::status(PathFromText(text), error);
        return error ? fs::file_status(fs::file_type::not_found) : status;
    } catch (...) {
        return fs::file_status(fs::file_type::not_found);
    }
}

} // namespace

fs::path PathFromText(const std::string& text) {
    if constexpr (fs::path::preferred_separator == '/') {
        std::string portable = text;
        std::replace(portable.begin(), portable.end(), '\\', '/');
        return Utf8ToPath(portable);
    } else {
        return Utf8ToPath(text);
    }
}

bool IsWorkshopMapFile(const std::string& path) {
    if (path.empty()) return false;
    return fs::is_regular_file(StatusOfText(path));
}

FolderState QueryFolderState(const std::string& folder) {
    if (folder.empty()) return FolderState::Empty;
    const fs::file_status status = StatusOfText(folder);
    if (!fs::exists(status)) return FolderState::Missing; // also when unreadable
    return fs::is_directory(status) ? FolderState::Directory : FolderState::NotDirectory;
}

} // namespace postplay
