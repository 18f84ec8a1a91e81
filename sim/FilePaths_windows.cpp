// How the host turns texts into file-system paths on Windows. Two kinds of text name files:
// what scripts and the player type (UTF-8), and the file names a plug-in hands the host
// (narrow text, which the game's own file functions read in the system's ANSI code page).
#include "sim/Host.h"

#include <windows.h>

#include "host/PathText.h"

namespace sim {

std::filesystem::path ToFsPath(const std::string& text) { return Utf8ToPath(text); }

std::filesystem::path NarrowTextToPath(const std::string& text) {
    // As the runtime's narrow file functions do: every byte sequence becomes some name, one
    // that is not in the code page reads as the code page's replacement and names no file.
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size) != size) return {};
    return std::filesystem::path(wide);
}

} // namespace sim
