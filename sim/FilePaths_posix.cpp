// How the host turns texts into file-system paths on POSIX systems. Two kinds of text name
// files: what scripts and the player type (UTF-8), and the file names a plug-in hands the host
// (narrow text, its bytes as they are here).
#include "sim/Host.h"

#include <algorithm>

namespace sim {

std::filesystem::path ToFsPath(const std::string& text) {
    std::string converted = text;
    std::replace(converted.begin(), converted.end(), '\\', '/');
    return std::filesystem::path(converted);
}

std::filesystem::path NarrowTextToPath(const std::string& text) {
    // A POSIX host opens the bytes as given: a backslash is part of a name there.
    return std::filesystem::path(text);
}

} // namespace sim
