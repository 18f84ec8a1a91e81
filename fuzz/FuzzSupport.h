// Helpers shared by the fuzz targets: a scratch folder for the whole run, a host with the
// plug-in loaded the way the host program loads it, and a failure report that stops the run.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "ScratchFolder.h"
#include "localization/LocalizationManager.h"
#include "plugin/PluginEntry.h"
#include "sim/Host.h"
#include "storage/PersistentStorage.h"

// AddressSanitizer keeps freed memory aside (256 MB by default) so that a later use of it
// is caught. An input that loads and unloads the plug-in frees thousands of small blocks;
// with the default, each allocation lands on memory not touched for a long time and the
// run is several times slower. 16 MB still holds many inputs' worth of blocks. (Defined
// here because every target is one file that includes this header once.)
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

namespace fuzz {

// The run's scratch folder: the plug-in's home below it, and a "work" folder that inputs run
// in (see InsideFolder), so relative paths they name land there. After a crash the folder is
// left behind for inspection (its name is printed at start) until a later run removes it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::filesystem::create_directories(work());
        std::fprintf(stderr, "postplay fuzz: scratch folder %s\n", folder.path().c_str());
    }
    const std::filesystem::path& path() const { return folder.path(); }
    std::filesystem::path home() const { return folder.path() / "home"; }
    std::filesystem::path work() const { return folder.path() / "work"; }

private:
    ::ScratchFolder folder{"fuzz"};
};

// Makes a folder the working folder for the object's lifetime. Only around the code under
// test: libFuzzer reads and writes its corpus and artifacts by the paths it was given,
// relative to the folder it was started in.
class InsideFolder {
public:
    explicit InsideFolder(const std::filesystem::path& folder) : previous(std::filesystem::current_path()) {
        Outermost(); // fixed at the first use
        std::filesystem::current_path(folder);
    }
    ~InsideFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
    }
    InsideFolder(const InsideFolder&) = delete;
    InsideFolder& operator=(const InsideFolder&) = delete;

    // The working folder the run started in.
    static std::filesystem::path& Outermost() {
        static std::filesystem::path folder = std::filesystem::current_path();
        return folder;
    }

private:
    std::filesystem::path previous;
};

// A text for a message: in double quotes, with control bytes, bytes above 126, quotes and
// backslashes written as escapes, so a NUL or a line break in an input shows as such.
inline std::string Shown(const std::string& text) {
    std::string shown = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            shown += '\\';
            shown += static_cast<char>(c);
        } else if (c < 0x20 || c > 0x7e) {
            static const char digits[] = "0123456789abcdef";
            shown += "\\x";
            shown += digits[c >> 4];
            shown += digits[c & 15];
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown + "\"";
}

// Prints what went wrong and aborts, which libFuzzer reports as a crash and keeps the input
// (back in the folder the run started in, where a relative artifact prefix points).
[[noreturn]] inline void Fail(const std::string& what) {
    std::error_code ignored;
    std::filesystem::current_path(InsideFolder::Outermost(), ignored);
    std::fprintf(stderr, "\npostplay fuzz: property violated: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

// The host's console lines from `first` on, texts only. Only while no other thread of the
// host prints (no rendering thread runs).
inline std::vector<std::string> LineTexts(const sim::Host& host, std::size_t first = 0) {
    std::vector<std::string> texts;
    const auto& lines = host.Lines();
    for (std::size_t i = first; i < lines.size(); ++i) texts.push_back(lines[i].text);
    return texts;
}

// A host in `home` with the plug-in loaded through its exported functions, as the host
// program does after loading the library; destroyed the way the tests' fixture does it.
class PluginHost {
public:
    explicit PluginHost(const std::filesystem::path& home, std::optional<std::string> uiLanguage = "INT") {
        sim::HostOptions options;
        options.home = home;
        options.uiLanguage = std::move(uiLanguage);
        host = std::make_unique<sim::Host>(options);
        if (!host->LoadPlugin(&getPlugin, &deleteMe)) Fail("the plug-in did not load");
    }
    ~PluginHost() {
        Unload();
        // The localization manager outlives the plug-in and keeps the storage, which writes
        // the file once more when released: let that happen now, while this host is alive.
        postplay::LocalizationManager::GetInstance()->persistentStorage.reset();
        host.reset();
        deleteMe();
    }
    // Unloads the plug-in (which also stops the host's rendering thread, if one runs).
    void Unload() {
        if (host->HasPlugin()) host->UnloadPlugin();
    }
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    sim::Host& operator*() { return *host; }
    sim::Host* operator->() { return host.get(); }

private:
    std::unique_ptr<sim::Host> host;
};

} // namespace fuzz
