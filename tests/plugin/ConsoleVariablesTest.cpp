#include <iterator>
#include <tuple>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "host/CVarManagerWrapper.h"
#include "support/HostFixture.h"
#include "support/PostplayPluginTestPeer.h"
#include "support/TextFiles.h"

using namespace postplay;

namespace fs = std::filesystem;

class ConsoleVariablesTest : public HostFixture {
protected:
    void LoadAndSettle() {
        LoadPlugin();
        Wait(0.2);
    }
    fs::path ConfigFile() const { return home.path() / "cfg" / "Postplay.cfg"; }
    // A workshop folder holding one map, Stadium\stadium.upk.
    std::string MakeMapsFolder() {
        WriteText(home.path() / "maps" / "Stadium" / "stadium.upk", "map");
        return (home.path() / "maps").string();
    }
};

TEST_F(ConsoleVariablesTest, AFreshInstallHoldsEveryDefault) {
    LoadAndSettle();
    PostplayPlugin& p = plugin();
    EXPECT_TRUE(*p.enabled && *p.autoRequeue && *p.waitMmr && *p.enableCompetitive && *p.enableCasual);
    EXPECT_EQ(*p.trainingMode, TrainingMode::FreePlay);
    EXPECT_EQ(*p.requeueDelay, 0);
    EXPECT_TRUE(p.customTrainingPackCode->Empty() && p.workshopMapsFolder->Empty() && p.workshopMap->Empty() &&
                p.toggleBind->Empty() && p.workshopMaps->Empty());
}

// What the host is handed for every variable and command, in registration order, written
// out here rather than read from the plug-in's own table.
TEST_F(ConsoleVariablesTest, RegistersEveryVariableAndCommandAsTheHostMustSeeThem) {
    enum Range { kNone, kSwitch, kNotNegative };
    struct Row {
        const char* name;
        const char* value;
        const char* description;
        bool searchable;
        Range range;
    };
    const Row rows[] = {
        {"plugin_language", "INT", "Set the language for plugin UI and messages", true, kNone},
        {"pp_enabled", "1", "Enable the plugin", true, kSwitch},
        {"pp_mode", "freeplay", "Set the training mode (freeplay/custom)", true, kNone},
        {"pp_custom_training_pack_code", "", "Custom training pack code", true, kNone},
        {"pp_requeue", "1", "Toggle auto requeue", true, kSwitch},
        {"pp_requeue_delay", "0", "Set requeue delay in seconds", true, kNotNegative},
        {"pp_wait_mmr", "1", "Wait for MMR to be visible before leaving", true, kSwitch},
        {"pp_workshop_maps_folder", "", "Workshop maps folder", false, kNone},
        {"pp_workshop_map", "", "Workshop map", false, kNone},
        {"pp_enable_competitive", "1", "Enable competitive mode", true, kSwitch},
        {"pp_enable_casual", "1", "Enable casual mode", true, kSwitch},
        {"pp_toggle_bind", "", "Key bind to toggle the plugin", false, kNone},
    };
    LoadAndSettle();
    const std::vector<sim::CvarRegistration> registered = host->CvarRegistrations();
    ASSERT_EQ(registered.size(), std::size(rows));
    for (std::size_t i = 0; i < registered.size(); ++i) {
        const sim::CvarRegistration& made = registered[i];
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(std::tie(made.name, made.defaultValue, made.description),
                  std::make_tuple(std::string(row.name), std::string(row.value), std::string(row.description)));
        EXPECT_EQ(made.searchable, row.searchable);
        EXPECT_TRUE(made.save);
        EXPECT_EQ(made.hasMin, row.range != kNone);
        EXPECT_EQ(made.hasMax, row.range == kSwitch);
        EXPECT_TRUE(!made.hasMin || made.min == 0.0f);
        EXPECT_TRUE(!made.hasMax || made.max == 1.0f);
    }

    std::vector<std::string> commands;
    for (const sim::NotifierRegistration& made : host->NotifierRegistrations())
        commands.push_back(made.name + ": " + made.description + " (" + std::to_string(made.permissions) + ")");
    EXPECT_EQ(commands,
              (std::vector<std::string>{"writeconfig:  (0)", "pp_toggle: Toggle the plugin on/off (0)",
                                        "pp_find_workshop_maps: Find workshop maps in the configured folder (0)"}));
}

TEST_F(ConsoleVariablesTest, ChangesReachTheCopiesWithinTheirRanges) {
    LoadAndSettle();
    Run("pp_enabled 0; pp_requeue 0; pp_wait_mmr 0; pp_enable_competitive 0; pp_enable_casual 0");
    Run("pp_requeue_delay 45; pp_toggle_bind F3; pp_workshop_maps_folder \"C:\\Maps\"; pp_workshop_map A\\a.upk");
    PostplayPlugin& p = plugin();
    EXPECT_FALSE(*p.enabled || *p.autoRequeue || *p.waitMmr || *p.enableCompetitive || *p.enableCasual);
    EXPECT_EQ(*p.requeueDelay, 45);
    EXPECT_EQ(*p.toggleBind, "F3");
    EXPECT_EQ(*p.workshopMapsFolder, "C:\\Maps");
    EXPECT_EQ(*p.workshopMap, "A\\a.upk");
}

TEST_F(ConsoleVariablesTest, OnlyTheExactModeTextsSelectAMode) {
    LoadAndSettle();
    Run("pp_mode workshop");
    EXPECT_EQ(*plugin().trainingMode, TrainingMode::Workshop);
    Run("pp_mode custom");
    EXPECT_EQ(*plugin().trainingMode, TrainingMode::Custom);
    Run("pp_mode Workshop");
    EXPECT_EQ(*plugin().trainingMode, TrainingMode::FreePlay);
    EXPECT_EQ(CvarValue("pp_mode"), "Workshop");

    // The line naming an unknown mode shows every control character as an escape.
    CVarWrapper mode = plugin().cvarManager->getCvar("pp_mode");
    for (int byte = 1; byte < 256; ++byte) {
        TakeLines();
        mode.setValue(std::string("m") + static_cast<char>(byte));
        const std::string shown = byte == '\t'                  ? "\\t"
                                  : byte == '\n'                ? "\\n"
                                  : byte == '\r'                ? "\\r"
                                  : byte < 0x20 || byte == 0x7f ? fmt::format("\\x{:02x}", byte)
                                                                : std::string(1, static_cast<char>(byte));
        EXPECT_EQ(TakeLines().back(), "Unknown training mode: m" + shown + "; free play is used");
    }
}

TEST_F(ConsoleVariablesTest, ARejectedPackCodeKeepsTheLastAcceptedOne) {
    LoadAndSettle();
    Run("pp_custom_training_pack_code abcd-1234-efgh-5678");
    EXPECT_EQ(*plugin().customTrainingPackCode, "abcd-1234-efgh-5678");
    TakeLines();
    Run("pp_custom_training_pack_code ABCD-12#4-EFGH-5678");
    EXPECT_EQ(*plugin().customTrainingPackCode, "abcd-1234-efgh-5678");
    // Said once, and the variable (so the cfg file) goes back to the code in use.
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"> pp_custom_training_pack_code ABCD-12#4-EFGH-5678",
                                                     "Invalid training pack code, not used: ABCD-12#4-EFGH-5678; "
                                                     "the code in use is abcd-1234-efgh-5678"}));
    EXPECT_EQ(CvarValue("pp_custom_training_pack_code"), "abcd-1234-efgh-5678");

    // Deleting the whole code clears the copy: the old pack is not loaded any more.
    Run("pp_custom_training_pack_code \"\"");
    EXPECT_EQ(*plugin().customTrainingPackCode, "");
}

TEST_F(ConsoleVariablesTest, APackCodeFromTheFileGoesThroughTheCheck) {
    StartHost();
    WriteText(ConfigFile(), "pp_custom_training_pack_code \"not-a-code\"\n");
    LoadAndSettle();
    EXPECT_EQ(*plugin().customTrainingPackCode, "");
    EXPECT_TRUE(Printed("Invalid training pack code, not used: not-a-code; no code is set"));
    // The file does not keep the refused code, though nothing else changed.
    EXPECT_NE(SettledConfig().find("pp_custom_training_pack_code \"\""), std::string::npos);

    TearDown(); // the storage writes its last values here
    WriteText(ConfigFile(), "pp_custom_training_pack_code \"wxyz-0000-abcd-9999\"\n");
    LoadAndSettle();
    EXPECT_EQ(*plugin().customTrainingPackCode, "wxyz-0000-abcd-9999");
}

TEST_F(ConsoleVariablesTest, ToggleSwitchesThePluginWithAToast) {
    LoadAndSettle();
    Run("pp_toggle");
    EXPECT_FALSE(*plugin().enabled);
    EXPECT_NE(SettledConfig().find("pp_enabled \"0\""), std::string::npos);
    Run("pp_toggle ignored words");
    EXPECT_TRUE(*plugin().enabled);

    const auto& toasts = host->Toasts();
    ASSERT_EQ(toasts.size(), 2u);
    EXPECT_EQ(toasts[0].text, "Postplay disabled");
    EXPECT_EQ(toasts[1].text, "Postplay enabled");
    for (const sim::ToastRecord& toast : toasts) {
        EXPECT_EQ(toast.title, "Postplay");
        EXPECT_EQ(toast.texture, "postplay_logo");
        EXPECT_FLOAT_EQ(toast.duration, 2.0f);
        EXPECT_EQ(toast.kind, 0);
        EXPECT_FLOAT_EQ(toast.width, 290.0f);
        EXPECT_FLOAT_EQ(toast.height, 60.0f);
    }
}

TEST_F(ConsoleVariablesTest, ToggleSpeaksTheActiveLanguage) {
    StartHost("FRA");
    LoadAndSettle();
    Run("pp_toggle");
    Run("plugin_language INT");
    Run("pp_toggle");
    Run("plugin_language fr");
    Run("pp_toggle");
    const auto& toasts = host->Toasts();
    ASSERT_EQ(toasts.size(), 3u);
    EXPECT_EQ(toasts[0].text, "Postplay desactive");
    EXPECT_EQ(toasts[1].text, "Postplay enabled");
    EXPECT_EQ(toasts[2].text, "Postplay desactive");
}

TEST_F(ConsoleVariablesTest, TheStartUpScanRunsOnlyForAFolderUsableAtRegistration) {
    // A folder that arrives with the stored file is not scanned by itself.
    StartHost();
    const std::string folder = MakeMapsFolder();
    WriteText(ConfigFile(), "pp_workshop_maps_folder \"" + folder + "\"\n");
    LoadPlugin();
    Wait(1.0);
    EXPECT_EQ(*plugin().workshopMapsFolder, folder);
    EXPECT_TRUE(plugin().workshopMaps->Empty());
    EXPECT_FALSE(Printed("> pp_find_workshop_maps"));

    // Nor does changing the folder in the console rescan.
    Run("pp_workshop_maps_folder \"" + folder + "\\\"");
    Wait(1.0);
    EXPECT_TRUE(plugin().workshopMaps->Empty());

    // Already usable when the commands are registered: one scan, half a second later.
    PostplayPluginTestPeer::RegisterNotifiers(plugin());
    Wait(0.4);
    EXPECT_TRUE(plugin().workshopMaps->Empty());
    Wait(0.2);
    EXPECT_EQ(plugin().workshopMaps->Snapshot()->Entries(), std::vector<std::string>{"Stadium\\stadium.upk"});
    EXPECT_TRUE(Printed("> pp_find_workshop_maps"));

    // A folder that is not a directory schedules nothing.
    Run("pp_workshop_maps_folder \"" + folder + "\\Stadium\\stadium.upk\"");
    TakeLines();
    PostplayPluginTestPeer::RegisterNotifiers(plugin());
    Wait(1.0);
    EXPECT_EQ(TakeLines(), std::vector<std::string>{});
}
