// What postplay-host's main.cpp takes from its platform's file (main_posix.cpp,
// main_windows.cpp): the command line and the home folder's permissions.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// The command line's arguments after the program's name, as UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Whether the program may make and change files in `folder`; errno says why not.
bool CanWriteIn(const std::filesystem::path& folder);

} // namespace app
