// A plug-in library opened with dlopen whose information record passed the host's checks.
// The library stays loaded for the life of the process: the plug-in object may be created
// and destroyed many times (sim_reload), and code of the library may run until exit.
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
    explicit PluginLibrary(const BakkesMod::Plugin::PluginInfo& record) : info(record) {}

    BakkesMod::Plugin::PluginInfo info;
};

// What is wrong with a record, as one text ("" when it is usable).
std::string RecordProblems(const BakkesMod::Plugin::PluginInfo& record);

} // namespace app
