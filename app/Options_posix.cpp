// POSIX: the program's folder from /proc/self/exe, the home in the user's state folder.
#include "app/Options.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace app {
namespace {

// Read while the program starts, before it starts any thread: nothing sets the environment.
const char* EnvironmentValue(const char* name) {
    const char* value = std::getenv(name); // NOLINT(concurrency-mt-unsafe)
    return value && *value ? value : nullptr;
}

} // namespace

std::optional<std::filesystem::path> ProgramFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    return self.parent_path();
}

std::filesystem::path DefaultHomePath() {
    if (const char* state = EnvironmentValue("XDG_STATE_HOME"); state && state[0] == '/')
        return std::filesystem::path(state) / "postplay";
    const char* home = EnvironmentValue("HOME");
    if (!home) {
        const passwd* entry = getpwuid(getuid()); // NOLINT(concurrency-mt-unsafe): before any thread starts
        if (entry && entry->pw_dir && *entry->pw_dir) home = entry->pw_dir;
    }
    if (!home) return {};
    return std::filesystem::path(home) / ".local" / "state" / "postplay";
}

const char* DefaultHomeDescription() { return "$XDG_STATE_HOME/postplay or ~/.local/state/postplay"; }

} // namespace app
