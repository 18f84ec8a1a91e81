// The command line of postplay-host: what it asks for, and where the defaults come from.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct Options {
    std::optional<std::filesystem::path> plugin; // empty: the library built beside the program
    std::optional<std::filesystem::path> home;   // empty: a folder in the user's state directory
    std::optional<std::string> language = "INT"; // nullopt: the game reports no language
    bool gui = false;
    int windowWidth = 1280; // the window's size at start (--size)
    int windowHeight = 800;
    std::optional<std::filesystem::path> screenshot; // implies the window
    std::vector<std::filesystem::path> scripts;
    bool help = false;

    bool WantsWindow() const { return gui || screenshot.has_value(); }
};

struct ParseResult {
    Options options;
    std::string error; // empty when the command line is usable
};

ParseResult ParseOptions(const std::vector<std::string>& arguments);

// The command line's paths made absolute against the current folder, which they are
// relative to: the program later works in its home folder.
void MakePathsAbsolute(Options& options);

std::string UsageText();

// The plug-in library built beside this program; its bare name when the program's folder
// cannot be found.
std::filesystem::path DefaultPluginPath();

// Each platform's file (Options_posix.cpp, Options_windows.cpp) defines the three below.

// The folder of this program's file (through /proc/self/exe; the module's file name on
// Windows), or nothing when it cannot be found.
std::optional<std::filesystem::path> ProgramFolder();

// $XDG_STATE_HOME/postplay, else ~/.local/state/postplay (%APPDATA%\postplay on Windows);
// empty when none can be found.
std::filesystem::path DefaultHomePath();

// Where DefaultHomePath looks, as --help names it.
const char* DefaultHomeDescription();

} // namespace app
