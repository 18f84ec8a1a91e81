// The settings page drawn through the real Dear ImGui, window-less, in every mode and in
// French: Dear ImGui's own checks (assertions on unbalanced stacks, bad ids...) must hold
// and the page must report no failure.
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/PageState.h"
#include "settings/PageWidgets.h"
#include "support/HostFixture.h"

using namespace postplay;

namespace {

class SettingsPageSmoke : public HostFixture, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        ResetPageState();
        LoadPlugin();
        Wait(1.0);
        const auto maps = home.path() / "maps";
        for (const char* name : {"Stadium", "Beach"}) {
            std::filesystem::create_directories(maps / name);
            std::ofstream(maps / name / (std::string(name) + ".upk")) << "map";
        }
        mapsFolder = maps.string();
    }

    std::string mapsFolder;
};

} // namespace

TEST_P(SettingsPageSmoke, DrawsWithoutAFault) {
    const std::string setup = GetParam();
    if (setup == "custom") Run("pp_mode custom; pp_custom_training_pack_code abcd-1234-efgh-5678");
    if (setup == "workshop") Run("pp_mode workshop; pp_workshop_maps_folder \"" + mapsFolder + "\"");
    if (setup == "workshop-chosen")
        Run("pp_mode workshop; pp_workshop_maps_folder \"" + mapsFolder + "\"; pp_workshop_map Beach\\Beach.upk");
    if (setup == "workshop-missing") Run("pp_mode workshop; pp_workshop_maps_folder nowhere");
    if (setup == "french") Run("plugin_language FRA; pp_mode custom; pp_toggle_bind F3; bind F3 queue");
    Run("pp_requeue_delay 3600");

    host->DrawSettingsFrames(3);
    host->Step(); // the scan the first frame asked for lands

    for (const std::string& line : TakeLines()) {
        EXPECT_EQ(line.find("Settings page"), std::string::npos) << line;
        EXPECT_EQ(line.find("failed"), std::string::npos) << line;
    }
    if (setup.rfind("workshop", 0) == 0 && setup != "workshop-missing") {
        EXPECT_EQ(plugin().workshopMaps->Size(), 2u) << "the first frame scanned the folder";
    }
}

INSTANTIATE_TEST_SUITE_P(EachMode, SettingsPageSmoke,
                         ::testing::Values("freeplay", "custom", "workshop", "workshop-chosen", "workshop-missing",
                                           "french"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });
