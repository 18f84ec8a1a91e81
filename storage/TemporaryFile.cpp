#include "storage/TemporaryFile.h"

#include <atomic>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "host/PathText.h"

namespace postplay::durable {

namespace fs = std::filesystem;

namespace {

bool IsTemporaryOf(const fs::path& candidate, const fs::path& target) {
    const std::string name = PathToUtf8(candidate.filename());
    const std::string prefix = PathToUtf8(target.filename()) + ".";
    const std::string suffix = ".tmp";
    return name.size() > prefix.size() + suffix.size() - 1 && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> writes{0};
    static const unsigned process = std::random_device{}();
    fs::path name = target.filename();
    name += fmt::format(".{:08x}{:04x}.tmp", process, writes++ & 0xffffu);
    return target.parent_path() / name;
}

void RemoveLeftoverTemporaries(const fs::path& target) {
    std::error_code error;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator entry(target.parent_path(), error); !error && entry != fs::directory_iterator();
         entry.increment(error)) {
        if (IsTemporaryOf(entry->path(), target)) leftovers.push_back(entry->path());
    }
    for (const fs::path& leftover : leftovers) fs::remove(leftover, error);
}

TemporaryFile::~TemporaryFile() {
    std::error_code ignored;
    if (!path.empty()) fs::remove(path, ignored);
}

} // namespace postplay::durable
