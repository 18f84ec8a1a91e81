#include <fstream>

#include "FakePlugin.h"

using ::testing::ElementsAre;

namespace {
const std::vector<std::string> kAllHooks = {
    "Function TAGame.GameEvent_Soccar_TA.OnGameTimeUpdated", "Function Engine.PlayerInput.InitInputSystem",
    "Function TAGame.GameEvent_Soccar_TA.EventMatchEnded",   "Function TAGame.GameEvent_TA.Destroyed",
    "Function Engine.PlayerController.NotifyDisconnect",     "Function TAGame.GameEvent_Soccar_TA.OnMatchWinnerSet",
};

std::string Short(const std::string& event) { return event.substr(event.rfind('.') + 1); }
} // namespace

class GameTest : public SimHostTest {
protected:
    // Every hook logs its event's last name segment, so the console shows the order.
    void SetUp() override {
        SimHostTest::SetUp();
        game = Load([](FakePlugin& self) {
                   for (const auto& event : kAllHooks)
                       self.gameWrapper->HookEvent(event,
                                                   [&self](std::string name) { self.cvarManager->log(Short(name)); });
               }).gameWrapper.get();
    }
    std::vector<std::string> Run(const std::string& line) {
        host->ClearLines();
        host->RunLine(line);
        return Texts();
    }

    GameWrapper* game = nullptr;
};

TEST_F(GameTest, EachGameEventRunsItsHooksInOrder) {
    EXPECT_THAT(Run("sim_match 11"), ElementsAre("Entered match in playlist 11", "InitInputSystem"));
    EXPECT_THAT(Run("sim_wait 2.5"), ElementsAre("OnGameTimeUpdated", "OnGameTimeUpdated"));
    EXPECT_THAT(Run("sim_end 1"), ElementsAre("Match ended; winner: team 1", "OnMatchWinnerSet", "EventMatchEnded"));
    EXPECT_THAT(Run("sim_wait 5"), ElementsAre());
    EXPECT_THAT(Run("load_freeplay"), ElementsAre("Destroyed", "Entered free play", "InitInputSystem"));
    EXPECT_THAT(Run("sim_disconnect"),
                ElementsAre("Connection lost", "NotifyDisconnect", "Destroyed", "Back to the menu"));
    EXPECT_THAT(Run("sim_menu"), ElementsAre("Back to the menu"));
}

TEST_F(GameTest, HooksOfOneEventRunInRegistrationOrderAndUnhookingRemovesThem) {
    std::vector<int> order;
    const std::string winner = kAllHooks[5];
    game->HookEvent(winner, [&](std::string) { order.push_back(1); });
    game->HookEvent(winner, [&](std::string) { order.push_back(2); });
    host->RunLine("sim_match 0; sim_end 0");
    EXPECT_THAT(order, ElementsAre(1, 2));
    game->UnhookEvent(winner);
    host->RunLine("sim_match 0; sim_end 0");
    EXPECT_EQ(order.size(), 2u);
}

TEST_F(GameTest, AnEndedMatchStaysOnlineUntilLeftAndReportsItsPlaylistAndWinner) {
    host->RunLine("sim_match 13");
    ServerWrapper match = game->GetOnlineGame();
    ASSERT_FALSE(match.IsNull());
    EXPECT_EQ(match.GetPlaylist().GetPlaylistId(), 13);
    EXPECT_TRUE(match.GetGameWinner().IsNull());
    EXPECT_EQ(host->Status(), "game: match 13; search: off");

    host->RunLine("sim_end 0");
    EXPECT_TRUE(game->IsInOnlineGame());
    EXPECT_EQ(game->GetCurrentGameState().memory_address, match.memory_address);
    EXPECT_EQ(match.GetGameWinner().GetTeamNum(), 0);
    EXPECT_EQ(host->Status(), "game: match 13 ended; search: off");

    // Ending twice is refused, and an ended match stops its clock.
    EXPECT_THAT(Run("sim_end 1; sim_wait 3"), ElementsAre("sim_end: no running match"));
}

TEST_F(GameTest, HandlesToAGameThatWasLeftAnswerWithDefaults) {
    host->RunLine("sim_match 11; sim_end 1");
    ServerWrapper match = game->GetOnlineGame();
    auto playlist = match.GetPlaylist();
    auto winner = match.GetGameWinner();

    host->RunLine("load_training abcd-1234-EFGH-5678");
    EXPECT_EQ(host->Status(), "game: training abcd-1234-EFGH-5678; search: off");
    EXPECT_TRUE(game->IsInGame());
    EXPECT_FALSE(game->IsInOnlineGame());
    EXPECT_TRUE(game->GetOnlineGame().IsNull());
    EXPECT_TRUE(match.GetPlaylist().IsNull());
    EXPECT_EQ(playlist.GetPlaylistId(), -1);
    EXPECT_EQ(winner.GetTeamNum(), 255);

    // A game without a playlist reports none.
    EXPECT_TRUE(game->GetCurrentGameState().GetPlaylist().IsNull());
    EXPECT_TRUE(game->GetCurrentGameState().GetGameWinner().IsNull());
    host->RunLine("sim_menu");
    EXPECT_FALSE(game->IsInGame());
    EXPECT_TRUE(game->GetCurrentGameState().IsNull());
}

TEST_F(GameTest, WorkshopMapsLoadOnlyFromExistingFilesWithBackslashesAsSeparators) {
    host->RunLine("sim_dir maps dir");
    EXPECT_THAT(Run("load_workshop " + home.path().string() + "/maps dir"),
                ElementsAre("No such workshop map file: " + home.path().string() + "/maps dir"));
    EXPECT_EQ(host->CurrentPlace(), sim::Place::Menu);

    const std::string path = home.path().string() + "\\maps dir\\Pack\\Arena Map.upk";
    host->RunLine("sim_file " + path);
    EXPECT_THAT(Run("load_workshop " + path), ElementsAre("Entered workshop map " + path, "InitInputSystem"));
    EXPECT_EQ(host->Status(), "game: workshop " + path + "; search: off");

    // sim_file takes the whole line as its path, so names may hold what the grammar treats
    // specially (Windows forbids double quotes in names).
#if defined(_WIN32)
    host->RunLine("sim_file " + home.path().string() + "/odd;name//x.upk");
    EXPECT_TRUE(std::filesystem::is_regular_file(home.path() / "odd;name" / "x.upk"));
#else
    host->RunLine("sim_file " + home.path().string() + "/odd;name // \"x\".upk");
    EXPECT_TRUE(std::filesystem::is_regular_file(home.path() / "odd;name // \"x\".upk"));
#endif
}

TEST_F(GameTest, TheSearchRunsUntilAMatchStarts) {
    auto matchmaking = game->GetMatchmakingWrapper();
    EXPECT_THAT(Run("queue; queue; load_freeplay"),
                ElementsAre("Searching for a match", "Entered free play", "InitInputSystem"));
    EXPECT_TRUE(matchmaking.IsSearching());
    host->RunLine("sim_match 10");
    EXPECT_FALSE(matchmaking.IsSearching());
}

TEST_F(GameTest, ThePlayersPartyDecidesTheLeaderId) {
    auto leaderId = [this] { return game->GetPlayerController().GetPRI().GetPartyLeaderID().str(); };
    const std::string player = game->GetPlayerController().GetPRI().GetUniqueIdWrapper().str();
    EXPECT_EQ(player, "76561190000000001");
    EXPECT_EQ(leaderId(), "0");
    host->RunLine("sim_party leader");
    EXPECT_EQ(leaderId(), player);
    host->RunLine("sim_party member");
    EXPECT_EQ(leaderId(), "76561190000000002");

    host->ScriptLookups({true, false}, {false});
    EXPECT_TRUE(game->GetPlayerController().GetPRI().IsNull());
    EXPECT_TRUE(game->GetPlayerController().IsNull());
    EXPECT_FALSE(game->GetPlayerController().GetPRI().IsNull());
}

TEST_F(GameTest, AnMmrDelayReportsThePlayersUpdateAfterEachMatchEnd) {
    std::vector<double> reports;
    auto token = game->GetMMRWrapper().RegisterMMRNotifier([&](UniqueIDWrapper) { reports.push_back(host->Now()); });
    host->RunLine("sim_mmr_delay 2; sim_match 11; sim_end 0");
    host->Advance(5.0);
    host->RunLine("sim_mmr_delay off; sim_match 11; sim_end 0");
    host->Advance(5.0);
    EXPECT_THAT(reports, ElementsAre(2.0));
}

TEST_F(GameTest, BadArgumentsGiveOneClearLine) {
    EXPECT_THAT(Run("sim_match eleven; sim_end 256; sim_wait -1; sim_party solo; load_training; sim_frame x"),
                ElementsAre("sim_match: expected a playlist id", "sim_end: expected a team number from 0 to 255",
                            "sim_wait: expected a number of seconds", "sim_party: expected none, leader or member",
                            "load_training: expected a pack code", "sim_frame: expected a number of frames"));
    EXPECT_EQ(host->CurrentPlace(), sim::Place::Menu);
}

TEST_F(GameTest, ToastsArePrintedAndRecorded) {
    game->LoadToastTexture("logo", "data/logo.png");
    game->Toast("Postplay", "Enabled", "logo", 2.0f);
    EXPECT_THAT(Texts(), ElementsAre("toast: Postplay: Enabled"));
    ASSERT_EQ(host->Toasts().size(), 1u);
    EXPECT_EQ(host->Toasts()[0].texture, "logo");
    EXPECT_EQ(host->ToastTexturePath("logo"), "data/logo.png");
}
