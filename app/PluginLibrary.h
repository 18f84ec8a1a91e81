// A plug-in library opened with dlopen (LoadLibraryW on Windows) whose information record
// passed the host's checks. The library stays loaded for the life of the process: the plug-in
// object may be created and destroyed many times (sim_reload), and code of the library may
// run until exit.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "host/PluginInfo.h"

namespace app {

class PluginLibrary {
public:
    // Opens and checks `file`. On failure returns nothing and sets `error` to a sentence
    // naming the library and what is wrong with it.
    static std::optional<PluginLibrary> Open(const std::filesystem::path& file, std::string& error);

    const BakkesMod::Plugin::PluginInfo& Info() const { return info; }
    BakkesMod::Plugin::GetPluginFunction GetPlugin() const { return info.initializeFunc; }
    BakkesMod::Plugin::DeletePluginFunction DeleteMe() const { return info.deleteFunc; }

private:
    static constexpr const char* kRecordName = "exports";

    explicit PluginLibrary(const BakkesMod::Plugin::PluginInfo& record) : info(record) {}

    // Loads the library and finds its record: each platform's file (PluginLibrary_posix.cpp,
    // PluginLibrary_windows.cpp) defines it. The library is unloaded again on failure.
    static std::optional<PluginLibrary> Load(const std::filesystem::path& file, std::string& error);
    // A copy of the record at `symbol` when it is usable; else sets `error`.
    static std::optional<PluginLibrary> FromRecord(const std::filesystem::path& file, const void* symbol,
                                                   std::string& error);
    static std::string NotAPlugin(const std::filesystem::path& file, const std::string& why);

    BakkesMod::Plugin::PluginInfo info;
};

// What is wrong with a record, as one text ("" when it is usable).
std::string RecordProblems(const BakkesMod::Plugin::PluginInfo& record);

} // namespace app
