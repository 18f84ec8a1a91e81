// POSIX: the arguments are `main`'s own.
#include "app/main.h"

#include <unistd.h>

namespace app {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool CanWriteIn(const std::filesystem::path& folder) { return access(folder.c_str(), W_OK | X_OK) == 0; }

} // namespace app
