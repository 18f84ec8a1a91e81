// Windows hands `main` its arguments in the ANSI code page, which cannot hold every folder
// name: they are read again as UTF-16 and converted.
#include "app/main.h"

#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <memory>
#include <utility>

namespace app {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    if (!wide) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide.get()[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(size > 0 ? static_cast<std::size_t>(size) : 1u, '\0');
        if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide.get()[i], -1, argument.data(), size, nullptr, nullptr);
        argument.pop_back(); // the terminating NUL
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

bool CanWriteIn(const std::filesystem::path& folder) {
    return _waccess(folder.c_str(), 2) == 0; // 2: write access
}

} // namespace app
