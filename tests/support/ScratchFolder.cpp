#include "ScratchFolder.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "Processes.h"

namespace fs = std::filesystem;

namespace {

fs::path ScratchParent() {
    std::error_code error;
    if (fs::is_directory("/dev/shm", error)) {
        const fs::path probe = fs::path("/dev/shm") / ("postplay-probe-" + std::to_string(CurrentProcessId()));
        if (fs::create_directory(probe, error)) {
            fs::remove(probe, error);
            return "/dev/shm";
        }
    }
    return fs::temp_directory_path();
}

// Removes the folders of `prefix` whose process no longer exists.
void RemoveLeftovers(const fs::path& parent, const std::string& prefix) {
    std::error_code error;
    for (fs::directory_iterator entry(parent, error); !error && entry != fs::directory_iterator();
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        if (!ProcessIsGone(std::strtol(name.c_str() + prefix.size(), nullptr, 10))) continue;
        std::error_code ignored;
        fs::remove_all(entry->path(), ignored);
    }
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& use) {
    static unsigned made = 0;
    const fs::path parent = ScratchParent();
    const std::string prefix = "postplay-" + use + "-";
    RemoveLeftovers(parent, prefix);
    for (;;) {
        root = parent / (prefix + std::to_string(CurrentProcessId()) + "-" + std::to_string(made++));
        std::error_code error;
        if (fs::create_directory(root, error)) return;
        if (error) {
            std::fprintf(stderr, "cannot make the scratch folder %s: %s\n", root.string().c_str(),
                         error.message().c_str());
            std::abort();
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
}
