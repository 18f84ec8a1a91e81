#include <stdexcept>

#include <imgui.h>
#include <imgui_internal.h>

#include "FakePlugin.h"

using ::testing::ElementsAre;
using ::testing::StartsWith;

namespace {
const std::string kWinnerSet = "Function TAGame.GameEvent_Soccar_TA.OnMatchWinnerSet";
}

class PluginLifecycleTest : public SimHostTest {};

TEST_F(PluginLifecycleTest, LoadingFillsBothHandlesBeforeOnLoadAndFindsTheSettingsWindow) {
    bool handlesFilled = false;
    FakePlugin& plugin = Load([&](FakePlugin& self) { handlesFilled = self.cvarManager && self.gameWrapper; });
    EXPECT_TRUE(handlesFilled);
    EXPECT_EQ(host->Plugin(), &plugin);
    EXPECT_EQ(host->SettingsWindow(), static_cast<BakkesMod::Plugin::PluginSettingsWindow*>(&plugin));
}

TEST_F(PluginLifecycleTest, UnloadDropsEveryRegistrationOfThePluginButKeepsKeyBinds) {
    bool timerRan = false, mmrSeen = false;
    std::unique_ptr<MMRNotifierToken> token;
    FakePlugin& plugin = Load([&](FakePlugin& self) {
        self.cvarManager->registerCvar("pp_value", "1");
        self.cvarManager->registerNotifier(
            "pp_cmd", [](std::vector<std::string>) {}, "", 0);
        self.cvarManager->setBind("F2", "pp_cmd");
        self.gameWrapper->HookEvent(kWinnerSet, [](std::string) {});
        self.gameWrapper->SetTimeout([&](GameWrapper*) { timerRan = true; }, 5.0f);
        token = self.gameWrapper->GetMMRWrapper().RegisterMMRNotifier([&](UniqueIDWrapper) { mmrSeen = true; });
    });
    EXPECT_EQ(host->RegistrationCount(), 5u);
    auto staleCvars = plugin.cvarManager;
    auto staleGame = plugin.gameWrapper;

    host->UnloadPlugin();
    EXPECT_EQ(FakeLibrary::Object(), nullptr);
    EXPECT_FALSE(host->HasPlugin());
    EXPECT_TRUE(host->HookedEvents().empty());
    host->Advance(10.0);
    host->ReportMmr();
    host->RunLine("pp_value; pp_cmd");
    EXPECT_FALSE(timerRan);
    EXPECT_FALSE(mmrSeen);
    EXPECT_TRUE(Printed("Unknown command: pp_value"));
    EXPECT_TRUE(Printed("Unknown command: pp_cmd"));

    // Handles kept past the unload register nothing and answer with defaults.
    EXPECT_TRUE(staleCvars->registerCvar("pp_late", "1").IsNull());
    staleGame->SetTimeout([&](GameWrapper*) { timerRan = true; }, 0.0f);
    EXPECT_EQ(host->PendingTimers(), 0u);
    EXPECT_EQ(staleGame->GetBakkesModPath(), "");

    Load();
    EXPECT_EQ(host->RegistrationCount(), 0u);
    EXPECT_EQ(host->Plugin()->cvarManager->getBindStringForKey("F2"), "pp_cmd");
    token.reset(); // harmless once the host has dropped the notifier
}

TEST_F(PluginLifecycleTest, DestroyingTheTokenEndsMmrNotifications) {
    std::vector<std::string> ids;
    std::unique_ptr<MMRNotifierToken> token;
    Load([&](FakePlugin& self) {
        token =
            self.gameWrapper->GetMMRWrapper().RegisterMMRNotifier([&](UniqueIDWrapper id) { ids.push_back(id.str()); });
    });
    host->RunLine("sim_mmr; sim_mmr 123");
    token.reset();
    host->ReportMmr();
    EXPECT_THAT(ids, ElementsAre("76561190000000001", "123"));
    EXPECT_EQ(host->RegistrationCount(), 0u);
}

TEST_F(PluginLifecycleTest, AnExceptionInPluginCodeIsReportedAndTheHostGoesOn) {
    Load([](FakePlugin& self) {
        self.cvarManager->registerNotifier(
            "pp_throw", [](std::vector<std::string>) { throw std::runtime_error("boom"); }, "", 0);
        self.gameWrapper->Execute([](GameWrapper*) { throw 42; });
        throw std::logic_error("in onLoad");
    });
    host->RunInput("pp_throw; sim_status");
    EXPECT_THAT(Texts(), ElementsAre("Exception in plug-in code: in onLoad", "> pp_throw; sim_status",
                                     "Exception in plug-in code: boom", "game: menu; search: off",
                                     "Exception in plug-in code: unknown exception"));
    EXPECT_TRUE(host->HasPlugin());
}

TEST_F(PluginLifecycleTest, AReloadAskedForByThePluginWaitsUntilItsCodeHasReturned) {
    int loads = 0;
    Load([&](FakePlugin& self) {
        ++loads;
        self.cvarManager->registerNotifier(
            "pp_reload",
            [&self](std::vector<std::string>) {
                self.cvarManager->executeCommand("sim_reload", false);
                self.cvarManager->log("still alive"); // would use a destroyed object if the reload ran here
            },
            "", 0);
    });
    host->RunInput("pp_reload");
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(Printed("still alive"));
}

TEST_F(PluginLifecycleTest, SettingsFramesDrawThePageInTheHostsWindowAndSurviveAThrowingPage) {
    FakePlugin& plugin = Load();
    std::vector<std::string> windows;
    plugin.render = [&] {
        ImGui::SetCurrentContext(reinterpret_cast<ImGuiContext*>(plugin.imguiContext));
        windows.push_back(ImGui::GetCurrentWindow()->Name);
        if (plugin.renders == 1) {
            ImGui::PushID("left open");
            ImGui::BeginChild("child");
            throw std::runtime_error("page failed");
        }
        if (plugin.renders == 2) ImGui::BeginGroup(); // forgotten EndGroup
        ImGui::Text("fine");
    };
    host->RunLine("sim_frame 3");
    EXPECT_THAT(windows, ElementsAre("Postplay", "Postplay", "Postplay"));
    EXPECT_THAT(Texts(), ElementsAre("Exception in plug-in code: page failed",
                                     StartsWith("Settings page: Recovered from missing EndChild() for 'Postplay/child"),
                                     "Settings page: Recovered from missing PopID() in 'Postplay'",
                                     "Settings page: Recovered from missing EndGroup() in 'Postplay'"));
}
