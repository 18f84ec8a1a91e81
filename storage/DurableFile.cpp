#include "storage/DurableFile.h"

#include <atomic>
#include <cerrno>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinkHops = 40;

// The file a write must replace: `file` itself, or the end of its chain of symbolic links
// (relative links read from the link's own folder). Empty, with `why`, on a loop.
fs::path FinalTarget(const fs::path& file, std::string& why) {
    fs::path target = file;
    for (int hops = 0;; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
        if (hops == kMaxLinkHops) {
            why = "too many levels of symbolic links";
            return {};
        }
        const fs::path link = fs::read_symlink(target, error);
        if (error) {
            why = error.message();
            return {};
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

// A name for this write's own temporary file, beside `target`.
fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> writes{0};
    static const unsigned process = std::random_device{}();
    fs::path name = target.filename();
    name += fmt::format(".{:08x}{:04x}.tmp", process, writes++ & 0xffffu);
    return target.parent_path() / name;
}

bool IsTemporaryOf(const fs::path& candidate, const fs::path& target) {
    const std::string name = candidate.filename().u8string();
    const std::string prefix = target.filename().u8string() + ".";
    const std::string suffix = ".tmp";
    return name.size() > prefix.size() + suffix.size() - 1 && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Temporaries of `target` that an interrupted write left behind. Writes are serialized, so
// none of them belongs to a write in progress.
void RemoveLeftoverTemporaries(const fs::path& target) {
    std::error_code error;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator entry(target.parent_path(), error); !error && entry != fs::directory_iterator();
         entry.increment(error)) {
        if (IsTemporaryOf(entry->path(), target)) leftovers.push_back(entry->path());
    }
    for (const fs::path& leftover : leftovers) fs::remove(leftover, error);
}

bool IsReadOnly(const fs::file_status& status) {
    constexpr fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return fs::exists(status) && (status.permissions() & anyWrite) == fs::perms::none;
}

// Writes `contents` to a temporary file beside `file`'s final target, then renames it over
// that target, so the target is always either the previous file or the complete new one.
// Returns an empty text on success, else why nothing was saved (the previous file is then
// left as it was).
} // namespace

std::string ReplaceFileDurably(const fs::path& file, const std::string& contents) {
    std::string why;
    const fs::path target = FinalTarget(file, why);
    if (target.empty()) return why;
    std::error_code error;
    const fs::file_status existing = fs::status(target, error);
    if (IsReadOnly(existing)) return "the file is read-only";
    if (fs::exists(existing) && !fs::is_regular_file(existing)) return "it is not a regular file";

    const fs::path temporary = TemporaryBeside(target);
    std::error_code ignored;
    {
        // The streams do not say why they failed; the system's error number does.
        const auto reason = [] { return errno ? ": " + std::generic_category().message(errno) : std::string(); };
        errno = 0;
        std::ofstream out(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!out) return "the temporary file " + temporary.u8string() + " cannot be created" + reason();
        out << contents;
        out.flush();
        out.close();
        if (out.fail()) {
            const std::string why = "writing " + temporary.u8string() + " failed" + reason();
            fs::remove(temporary, ignored);
            return why;
        }
    }
    if (fs::exists(existing)) fs::permissions(temporary, existing.permissions(), ignored);
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, ignored);
        return error.message();
    }
    RemoveLeftoverTemporaries(target);
    return {};
}

