// A simulated host in a fresh home folder, with the plug-in loaded in-process through its
// exported functions, as the host program does after dlopen.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ScratchFolder.h"
#include "plugin/PluginEntry.h"
#include "plugin/PostplayPlugin.h"
#include "sim/Host.h"
#include "training/WorkshopMaps.h"

// A map list as a scan would hand it over.
inline std::shared_ptr<const postplay::FoundMaps> MapList(std::vector<std::string> entries) {
    return std::make_shared<const postplay::FoundMaps>(std::move(entries));
}

class HostFixture : public ::testing::Test {
protected:
    // Creates the host; `language` is the game's UI language (nullopt: none).
    void StartHost(std::optional<std::string> language = std::string("INT"));
    // Creates the host (when not yet) and loads the plug-in.
    void LoadPlugin();
    void SetUp() override {}
    void TearDown() override;

    postplay::PostplayPlugin& plugin(); // the loaded plug-in object
    void Run(const std::string& line) { host->RunInput(line); }
    void Wait(double seconds) { host->Advance(seconds); }
    // Lets the plug-in's background work (folder checks and scans) finish and land.
    void Settle() { host->Step(); }
    // Console lines printed since the last call (or since start), texts only.
    std::vector<std::string> TakeLines();
    bool Printed(const std::string& text) const; // any line equal to text, since start
    std::string CvarValue(const std::string& name);
    // The cfg file's text once the writes asked for so far are done.
    std::string SettledConfig();

    ScratchFolder home;
    std::filesystem::path homeBelow; // when set: the host's folder is home.path() / homeBelow
    std::unique_ptr<sim::Host> host;

private:
    std::size_t taken = 0;
};
