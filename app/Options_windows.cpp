// Windows: the program's folder from its module's file name, the home in %APPDATA%.
#include "app/Options.h"

#include <windows.h>

#include <shlobj.h>

#include <string>

namespace app {

std::optional<std::filesystem::path> ProgramFolder() {
    // The program's own file name, however long; a full buffer means it was cut short.
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (length == 0) return std::nullopt;
        if (length < self.size()) {
            self.resize(length);
            break;
        }
        self.resize(self.size() * 2);
    }
    return std::filesystem::path(self).parent_path();
}

// The user's application-data folder (%APPDATA%, roaming), as the game keeps its own.
std::filesystem::path DefaultHomePath() {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK || !*folder) return {};
    return std::filesystem::path(folder) / "postplay";
}

const char* DefaultHomeDescription() { return "%APPDATA%\\postplay"; }

} // namespace app
