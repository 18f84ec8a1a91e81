// POSIX: the library is opened with dlopen, its record checked against the ELF symbol table.
#include "app/PluginLibrary.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>
#include <memory>
#include <system_error>

#include "host/PathText.h"

namespace app {
namespace {

// True when `symbol` lies in the library of `handle` itself: dlsym also searches the
// libraries it depends on, whose records are not this library's.
bool DefinedIn(void* handle, const void* symbol, const ElfW(Sym) * *entry) {
    const link_map* library = nullptr;
    Dl_info where{};
    if (dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 || !library) return false;
    void* symbolEntry = nullptr;
    if (dladdr1(symbol, &where, &symbolEntry, RTLD_DL_SYMENT) == 0) return false;
    *entry = static_cast<const ElfW(Sym)*>(symbolEntry);
    // The link map gives the library's load address as an integer.
    return where.dli_fbase == reinterpret_cast<void*>(library->l_addr) || // NOLINT(performance-no-int-to-ptr)
           (where.dli_fname && library->l_name && std::strcmp(where.dli_fname, library->l_name) == 0);
}

} // namespace

std::optional<PluginLibrary> PluginLibrary::Load(const std::filesystem::path& file, std::string& error) {
    // A name without a slash would make dlopen search the system's library folders.
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
    void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror(); // NOLINT(concurrency-mt-unsafe): the library loads before any thread starts
        error = "cannot load the plug-in library " + PathToUtf8(file) + ": " + (reason ? reason : "unknown error");
        return std::nullopt;
    }
    std::unique_ptr<void, int (*)(void*)> closeOnFailure(handle, &dlclose);
    dlerror(); // NOLINT(concurrency-mt-unsafe): as above; clears an earlier error
    void* symbol = dlsym(handle, kRecordName);
    const ElfW(Sym)* entry = nullptr;
    if (!symbol || !DefinedIn(handle, symbol, &entry)) {
        error = NotAPlugin(file, std::string("it has no information record \"") + kRecordName + "\"");
        return std::nullopt;
    }
    if (entry &&
        (ELF64_ST_TYPE(entry->st_info) != STT_OBJECT || entry->st_size != sizeof(BakkesMod::Plugin::PluginInfo))) {
        error = NotAPlugin(file, std::string("its \"") + kRecordName + "\" is not an information record of " +
                                     std::to_string(sizeof(BakkesMod::Plugin::PluginInfo)) + " bytes");
        return std::nullopt;
    }
    std::optional<PluginLibrary> library = FromRecord(file, symbol, error);
    if (library) static_cast<void>(closeOnFailure.release()); // never closed: see the class comment
    return library;
}

} // namespace app
