// Windows: the library is opened with LoadLibraryW and its record found among its exports.
#include "app/PluginLibrary.h"

#include <windows.h>

#include <memory>
#include <system_error>
#include <type_traits>

#include "host/PathText.h"

namespace app {

std::optional<PluginLibrary> PluginLibrary::Load(const std::filesystem::path& file, std::string& error) {
    // GetProcAddress looks only at the library's own exports, so a record found is its own.
    // The export table gives no size, so only the record's contents are checked.
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
    HMODULE module = LoadLibraryW(absolute.c_str());
    if (!module) {
        error =
            "cannot load the plug-in library " + PathToUtf8(file) + ": Windows error " + std::to_string(GetLastError());
        return std::nullopt;
    }
    std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> closeOnFailure(module, &FreeLibrary);
    const void* symbol = reinterpret_cast<const void*>(GetProcAddress(module, kRecordName));
    if (!symbol) {
        error = NotAPlugin(file, std::string("it has no information record \"") + kRecordName + "\"");
        return std::nullopt;
    }
    std::optional<PluginLibrary> library = FromRecord(file, symbol, error);
    if (library) closeOnFailure.release(); // never closed: see the class comment
    return library;
}

} // namespace app
