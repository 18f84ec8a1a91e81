// The game event manager over the simulated game: entered and left fire on a change of
// state only, match ended on every signal, and the flag is set before callbacks run.
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "match/GameEventManager.h"
#include "support/HostFixture.h"

using namespace postplay;

namespace {

class GameEventManagerTest : public HostFixture {
protected:
    void SetUp() override {
        LoadPlugin();
        manager = std::make_unique<GameEventManager>(plugin().cvarManager, plugin().gameWrapper);
        manager->Initialize();
        manager->OnGameEntered(
            [this] { events.push_back(manager->IsInGame() ? "entered (in game)" : "entered (out)"); });
        manager->OnGameLeft([this] { events.push_back(manager->IsInGame() ? "left (in game)" : "left (out)"); });
        manager->OnMatchEnded([this] { events.push_back("match ended"); });
    }

    // Lives until the fixture goes; the host drops its hooks when TearDown unloads the plug-in.
    std::unique_ptr<GameEventManager> manager;
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

} // namespace

TEST_F(GameEventManagerTest, ReportsEnteringAMatchOnceHoweverOftenTheGameTimeUpdates) {
    Run("sim_match 11");
    Wait(10);
    EXPECT_EQ(events, Events{"entered (in game)"});
}

TEST_F(GameEventManagerTest, ReportsOneLeaveForADisconnectAndEntersAgainInTheNextGame) {
    Run("sim_match 11");
    Run("sim_disconnect"); // the disconnect and the game's destruction: one leave
    Run("sim_menu");       // already out of game: nothing
    Run("sim_match 10");
    EXPECT_EQ(events, (Events{"entered (in game)", "left (out)", "entered (in game)"}));
}

TEST_F(GameEventManagerTest, RunsTheMatchEndedCallbacksForBothMatchEndFunctions) {
    Run("sim_match 11");
    events.clear();
    Run("sim_end 1");
    EXPECT_EQ(events, (Events{"match ended", "match ended"}));
}

TEST_F(GameEventManagerTest, MovingFromTheEndedMatchToFreePlayIsALeaveThenAnEnter) {
    Run("sim_match 11");
    Run("sim_end 0");
    events.clear();
    Run("load_freeplay");
    EXPECT_EQ(events, (Events{"left (out)", "entered (in game)"}));
}

TEST_F(GameEventManagerTest, RunsCallbacksInRegistrationOrderAndAFailingOneStopsNoOther) {
    manager->OnMatchEnded([] { throw std::runtime_error("boom"); });
    manager->OnMatchEnded([this] { events.push_back("after the failure"); });
    Run("sim_match 11");
    events.clear();
    TakeLines();

    host->EndMatch(0);

    EXPECT_EQ(events, (Events{"match ended", "after the failure", "match ended", "after the failure"}));
    const auto lines = TakeLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Postplay: a match-ended callback failed: boom"), 2);
    EXPECT_FALSE(Printed("Exception in plug-in code: boom"));
}
