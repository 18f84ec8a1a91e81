#include "training/WorkshopMaps.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>

#include "base/AsciiText.h"
#include "host/PathText.h"

namespace postplay {

namespace fs = std::filesystem;

namespace {

// Asks the caller's control, if any, before each query.
bool MayQuery(ScanControl* control) { return control == nullptr || control->Continue(); }

// Whether the entry is a `wanted` (a directory or a regular file), following links. The
// listing of the folder already tells the type of each entry, and directory_entry answers
// from it: only a link, or an entry whose type the listing left open, costs a status query.
// A path that is not found (a dangling link) is just not `wanted`; any other failure gives
// nullopt, says why in `failure`, and ends the scan.
std::optional<bool> IsOfType(const fs::directory_entry& entry, fs::file_type wanted, std::string& failure) {
    std::error_code error;
    const bool matches = wanted == fs::file_type::directory ? entry.is_directory(error) : entry.is_regular_file(error);
    if (!error) return matches;
    // The status query failed: ask for the whole status again, which tells "not found" from
    // a real failure. Rare (broken links, unreadable entries), so the second query costs nothing.
    const fs::file_status status = entry.status(error);
    if (status.type() == fs::file_type::none) {
        failure = PathToUtf8(entry.path()) + ": " + error.message();
        return std::nullopt;
    }
    return status.type() == wanted;
}

bool HasMapExtension(const fs::path& file) { return AsciiLowerCase(PathToUtf8(file.extension())) == ".upk"; }

enum class SubfolderScan { Found, NoMap, Failed, Stopped };

// Looks for the first map file directly inside `subfolder`.
SubfolderScan FindMapFile(const fs::path& subfolder, std::string& fileName, std::string& failure,
                          ScanControl* control) {
    if (!MayQuery(control)) return SubfolderScan::Stopped;
    std::error_code error;
    fs::directory_iterator file(subfolder, error);
    for (; !error && file != fs::directory_iterator(); file.increment(error)) {
        if (!MayQuery(control)) return SubfolderScan::Stopped;
        const std::optional<bool> regular = IsOfType(*file, fs::file_type::regular, failure);
        if (!regular) return SubfolderScan::Failed;
        if (!*regular || !HasMapExtension(file->path())) continue;
        fileName = PathToUtf8(file->path().filename());
        return SubfolderScan::Found;
    }
    if (!error) return SubfolderScan::NoMap;
    failure = PathToUtf8(subfolder) + ": " + error.message();
    return SubfolderScan::Failed;
}

// A folder that is missing or is no folder holds no maps; any other error ends the scan
// and says why in `failure`.
std::vector<std::string> ScanFolder(const fs::path& root, std::string& failure, ScanControl* control) {
    std::vector<std::string> maps;
    std::error_code error;
    if (!MayQuery(control)) return maps;
    const fs::file_status status = fs::status(root, error);
    if (!fs::is_directory(status)) {
        if (status.type() == fs::file_type::none) failure = PathToUtf8(root) + ": " + error.message();
        return maps;
    }

    if (!MayQuery(control)) return maps;
    fs::directory_iterator entry(root, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        if (!MayQuery(control)) return maps;
        const std::optional<bool> directory = IsOfType(*entry, fs::file_type::directory, failure);
        if (!directory) break;
        if (!*directory) continue;

        std::string fileName;
        const SubfolderScan scan = FindMapFile(entry->path(), fileName, failure, control);
        if (scan == SubfolderScan::Stopped) return maps;
        if (scan == SubfolderScan::Failed) break;
        if (scan != SubfolderScan::Found) continue;
        maps.push_back(PathToUtf8(entry->path().filename()) + "\\" + fileName);
        if (control) control->Found(maps.size());
    }
    if (error) failure = PathToUtf8(root) + ": " + error.message();
    return maps;
}

} // namespace

FoundMaps::FoundMaps(std::vector<std::string> found) : entries(std::move(found)) {
    rows.reserve(entries.size());
    for (std::size_t row = 0; row < entries.size(); ++row) rows.emplace(entries[row], row);
}

std::optional<std::size_t> FoundMaps::RowOf(const std::string& entry) const {
    const auto found = rows.find(entry);
    if (found == rows.end()) return std::nullopt;
    return found->second;
}

// By value, as the discovery has always taken its folder.
std::vector<std::string> FindWorkshopMaps(std::string folder) { // NOLINT(performance-unnecessary-value-param)
    std::string failure;
    return FindWorkshopMaps(folder, failure);
}

std::vector<std::string> FindWorkshopMaps(const std::string& folder, std::string& failure, ScanControl* control) {
    if (folder.find('\0') != std::string::npos) return {}; // names no folder (see QueryFolderState)
    try {
        return ScanFolder(PathFromText(folder), failure, control);
    } catch (const std::exception&) {
        // Only an allocation failure or a name the narrow encoding cannot convert gets
        // here; treat the folder as holding no maps.
        return {};
    }
}

} // namespace postplay
