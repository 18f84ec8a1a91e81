#include "app/PluginLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#endif

#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "host/PathText.h"

namespace app {
namespace {

constexpr const char* kRecordName = "exports";

std::string NotAPlugin(const std::filesystem::path& file, const std::string& why) {
    return PathToUtf8(file) + " is not a plug-in library: " + why;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

#if !defined(_WIN32)
// True when `symbol` lies in the library of `handle` itself: dlsym also searches the
// libraries it depends on, whose records are not this library's.
bool DefinedIn(void* handle, const void* symbol, const ElfW(Sym)** entry) {
    const link_map* library = nullptr;
    Dl_info where{};
    if (dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 || !library) return false;
    void* symbolEntry = nullptr;
    if (dladdr1(symbol, &where, &symbolEntry, RTLD_DL_SYMENT) == 0) return false;
    *entry = static_cast<const ElfW(Sym)*>(symbolEntry);
    return where.dli_fbase == reinterpret_cast<void*>(library->l_addr) ||
           (where.dli_fname && library->l_name && std::strcmp(where.dli_fname, library->l_name) == 0);
}
#endif

} // namespace

std::string RecordProblems(const BakkesMod::Plugin::PluginInfo& record) {
    std::vector<std::string> problems;
    if (record.apiBuildVersion != BakkesMod::Plugin::kApiBuildVersion)
        problems.push_back("its API build version is " + std::to_string(record.apiBuildVersion) + ", not " +
                           std::to_string(BakkesMod::Plugin::kApiBuildVersion));
    if (record.pluginType == 0) problems.push_back("its plug-in type is 0");
    if (!record.className || !*record.className) problems.push_back("it names no plug-in class");
    if (!record.initializeFunc) problems.push_back("it has no function that creates the plug-in");
    if (!record.deleteFunc) problems.push_back("it has no function that releases the plug-in");
    return Join(problems);
}

std::optional<PluginLibrary> PluginLibrary::Open(const std::filesystem::path& file, std::string& error) {
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) {
        error = "cannot load the plug-in library " + PathToUtf8(file) + ": no such file";
        return std::nullopt;
    }
    if (std::filesystem::is_directory(file, ignored)) {
        error = "cannot load the plug-in library " + PathToUtf8(file) + ": it is a folder";
        return std::nullopt;
    }
#if defined(_WIN32)
    // GetProcAddress looks only at the library's own exports, so a record found is its own.
    // The export table gives no size, so only the record's contents are checked.
    const std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
    HMODULE module = LoadLibraryW(absolute.c_str());
    if (!module) {
        error = "cannot load the plug-in library " + PathToUtf8(file) + ": Windows error " +
                std::to_string(GetLastError());
        return std::nullopt;
    }
    std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> closeOnFailure(module, &FreeLibrary);
    const void* symbol = reinterpret_cast<const void*>(GetProcAddress(module, kRecordName));
    if (!symbol) {
        error = NotAPlugin(file, std::string("it has no information record \"") + kRecordName + "\"");
        return std::nullopt;
    }
#else
    // A name without a slash would make dlopen search the system's library folders.
    const std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
    void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error = "cannot load the plug-in library " + PathToUtf8(file) + ": " + (reason ? reason : "unknown error");
        return std::nullopt;
    }
    std::unique_ptr<void, int (*)(void*)> closeOnFailure(handle, &dlclose);
    dlerror();
    void* symbol = dlsym(handle, kRecordName);
    const ElfW(Sym)* entry = nullptr;
    if (!symbol || !DefinedIn(handle, symbol, &entry)) {
        error = NotAPlugin(file, std::string("it has no information record \"") + kRecordName + "\"");
        return std::nullopt;
    }
    if (entry && (ELF64_ST_TYPE(entry->st_info) != STT_OBJECT ||
                  entry->st_size != sizeof(BakkesMod::Plugin::PluginInfo))) {
        error = NotAPlugin(file, std::string("its \"") + kRecordName + "\" is not an information record of " +
                                     std::to_string(sizeof(BakkesMod::Plugin::PluginInfo)) + " bytes");
        return std::nullopt;
    }
#endif
    BakkesMod::Plugin::PluginInfo record;
    std::memcpy(&record, symbol, sizeof record);
    if (const std::string problems = RecordProblems(record); !problems.empty()) {
        error = NotAPlugin(file, "its information record is wrong: " + problems);
        return std::nullopt;
    }
    closeOnFailure.release(); // never closed: see the class comment
    return PluginLibrary(record);
}

} // namespace app
