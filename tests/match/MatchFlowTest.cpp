// The match-end decision over the simulated game: which matches count, the wait for the
// MMR update, the once-per-game destination load, the re-queue and its party test.
#include <algorithm>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "match/Playlists.h"
#include "support/HostFixture.h"
#include "support/PostplayPluginTestPeer.h"

using namespace postplay;

using Peer = PostplayPluginTestPeer;

namespace {

class MatchFlowTest : public HostFixture {
protected:
    void SetUp() override {
        LoadPlugin();
        Wait(1.0); // past the stored settings' load, so the cells set below stay as set
        *plugin().requeueDelay = 5;
    }

    std::size_t Count(const std::string& text) const {
        const auto& lines = host->Lines();
        return std::count_if(lines.begin(), lines.end(),
                             [&](const sim::ConsoleLine& line) { return line.text == text; });
    }

    // Index of the first line equal to text, or the number of lines.
    std::size_t IndexOf(const std::string& text) const {
        const auto& lines = host->Lines();
        return std::find_if(lines.begin(), lines.end(),
                            [&](const sim::ConsoleLine& line) { return line.text == text; }) -
               lines.begin();
    }

    void EndMatchWithoutWaitingForMmr(int playlist) {
        *plugin().waitMmr = false;
        Run("sim_match " + std::to_string(playlist));
        host->EndMatch(0);
    }
};

} // namespace

TEST(PlaylistClasses, EveryIdFromMinusFiveToSeventyHasItsClass) {
    const std::set<int> competitive{10, 11, 13, 27, 28, 29, 30};
    const std::set<int> casual{0,  1,  2,  3,  4,  8,  15, 16, 17, 18, 23, 25, 26, 31, 32, 33,
                               35, 37, 38, 41, 43, 44, 46, 47, 48, 49, 50, 52, 54, 55, 62};
    for (int id = -5; id <= 70; ++id) {
        const PlaylistClass expected = competitive.count(id) ? PlaylistClass::Competitive
                                       : casual.count(id)    ? PlaylistClass::Casual
                                                             : PlaylistClass::Other;
        EXPECT_EQ(ClassifyPlaylist(id), expected) << "playlist " << id;
    }
}

TEST_F(MatchFlowTest, WithTheWaitOffBothMatchEndSignalsGiveOneLoadAndTwoRequeueTimers) {
    EndMatchWithoutWaitingForMmr(11);
    EXPECT_EQ(host->PendingTimers(), 3u);

    Wait(0);
    EXPECT_EQ(host->CurrentPlace(), sim::Place::FreePlay);
    EXPECT_EQ(Count("> load_freeplay"), 1u);
    EXPECT_EQ(host->PendingTimers(), 2u);

    Wait(5);
    EXPECT_TRUE(host->IsSearching());
    EXPECT_EQ(Count("> queue"), 1u); // the second timer finds the search running
    EXPECT_EQ(host->PendingTimers(), 0u);
}

TEST_F(MatchFlowTest, WithTheWaitOnOnlyAnMmrUpdateAfterTheWinnerIsKnownMovesThePlayer) {
    Run("sim_match 11");
    Run("sim_mmr"); // no winner yet
    Run("sim_end 0");
    EXPECT_EQ(host->CurrentPlace(), sim::Place::Match);
    EXPECT_EQ(host->PendingTimers(), 0u);

    Run("sim_mmr 1234"); // any player's update counts
    EXPECT_EQ(host->CurrentPlace(), sim::Place::FreePlay);
    Wait(5);
    EXPECT_TRUE(host->IsSearching());
}

TEST_F(MatchFlowTest, AnMmrUpdateCountsOnlyForAWinnerTeamNumberBelow42) {
    for (const char* team : {"255", "42", "41"}) {
        Run("sim_match 11");
        Run(std::string("sim_end ") + team);
        Run("sim_mmr");
        Wait(10);
        const bool counts = team == std::string("41");
        EXPECT_EQ(host->CurrentPlace(), counts ? sim::Place::FreePlay : sim::Place::Match) << "team " << team;
        EXPECT_EQ(host->IsSearching(), counts) << "team " << team;
    }
}

TEST_F(MatchFlowTest, WithTheRequeueOffOnlyTheLoadTimerIsSet) {
    *plugin().autoRequeue = false;
    EndMatchWithoutWaitingForMmr(11);
    EXPECT_EQ(host->PendingTimers(), 1u);
    Wait(60);
    EXPECT_EQ(host->CurrentPlace(), sim::Place::FreePlay);
    EXPECT_FALSE(host->IsSearching());
}

TEST_F(MatchFlowTest, AZeroDelayStartsTheSearchBeforeTheDestinationLoads) {
    *plugin().requeueDelay = 0;
    Run("sim_match 11");
    Run("sim_end 0");
    host->ReportMmr();
    EXPECT_EQ(host->PendingTimers(), 2u);
    Wait(0);
    ASSERT_LT(IndexOf("> load_freeplay"), host->Lines().size());
    EXPECT_LT(IndexOf("> queue"), IndexOf("> load_freeplay"));
}

TEST_F(MatchFlowTest, ASearchAlreadyRunningWhenTheRequeueTimerFiresIsLeftAlone) {
    EndMatchWithoutWaitingForMmr(11);
    Wait(0);
    host->StartSearch();
    Wait(5);
    EXPECT_EQ(Count("> queue"), 0u);
    EXPECT_TRUE(host->IsSearching());
}

// The re-queue timer reads the state when it fires: a new online match, or the plug-in or
// the re-queue switched off during the delay, means no search.
TEST_F(MatchFlowTest, TheRequeueTimerStartsNothingThatNoLongerFits) {
    const std::vector<std::string> changesDuringTheDelay = {"sim_match 13", "pp_toggle", "pp_enabled 0",
                                                            "pp_requeue 0"};
    for (const std::string& change : changesDuringTheDelay) {
        Run("pp_enabled 1; pp_requeue 1; sim_menu");
        EndMatchWithoutWaitingForMmr(11);
        Wait(1);
        Run(change);
        Wait(5);
        EXPECT_EQ(Count("> queue"), 0u) << change;
        EXPECT_FALSE(host->IsSearching()) << change;
    }
    // Back on: the same end starts the search again.
    Run("pp_enabled 1; pp_requeue 1; sim_menu");
    EndMatchWithoutWaitingForMmr(11);
    Wait(6);
    EXPECT_EQ(Count("> queue"), 1u);
}

TEST_F(MatchFlowTest, APartyMemberIsTakenToTrainingButNeverRequeues) {
    host->SetParty(sim::Party::Member);
    EndMatchWithoutWaitingForMmr(11);
    Wait(60);
    EXPECT_EQ(host->CurrentPlace(), sim::Place::FreePlay);
    EXPECT_FALSE(host->IsSearching());
}

TEST_F(MatchFlowTest, TheDestinationIsTriedOncePerGameAndAgainAfterTheNextGameIsEntered) {
    *plugin().autoRequeue = false;
    *plugin().trainingMode = TrainingMode::Custom;
    *plugin().customTrainingPackCode = "not a code";
    const std::string failure = "Invalid training pack code: not a code";

    Run("sim_match 11");
    Run("sim_end 0");
    host->ReportMmr();
    host->ReportMmr();
    Wait(0);
    Run("sim_mmr"); // still the same game: the guard holds
    EXPECT_EQ(Count(failure), 1u);
    EXPECT_TRUE(plugin().transitionPending);

    Run("sim_match 11");
    EXPECT_FALSE(plugin().transitionPending);
    Run("sim_end 1");
    Run("sim_mmr");
    EXPECT_EQ(Count(failure), 2u);
}

struct SwitchCase {
    const char* name;
    int playlist;
    bool enabled, competitive, casual;
    bool moves;
};

void PrintTo(const SwitchCase& c, std::ostream* out) { *out << c.name; }

class MatchFlowSwitchTest : public MatchFlowTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(MatchFlowSwitchTest, DecidesByThePluginSwitchAndThePlaylistClassSwitch) {
    const SwitchCase& c = GetParam();
    *plugin().enabled = c.enabled;
    *plugin().enableCompetitive = c.competitive;
    *plugin().enableCasual = c.casual;

    EndMatchWithoutWaitingForMmr(c.playlist);
    EXPECT_EQ(host->PendingTimers(), c.moves ? 3u : 0u); // a load and two re-queues, or nothing
    Wait(10);

    EXPECT_EQ(host->CurrentPlace(), c.moves ? sim::Place::FreePlay : sim::Place::Match);
    EXPECT_EQ(host->IsSearching(), c.moves);
}

INSTANTIATE_TEST_SUITE_P(Cases, MatchFlowSwitchTest,
                         ::testing::Values(SwitchCase{"CompetitiveOn", 11, true, true, true, true},
                                           SwitchCase{"PluginOff", 11, false, true, true, false},
                                           SwitchCase{"CompetitiveOff", 11, true, false, true, false},
                                           SwitchCase{"CasualStillOnWithCompetitiveOff", 0, true, false, true, true},
                                           SwitchCase{"CasualOff", 62, true, true, false, false},
                                           SwitchCase{"CasualOn", 62, true, true, true, true},
                                           SwitchCase{"AboveTheTable", 63, true, true, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PartyCase {
    const char* name;
    sim::Party party;
    std::vector<bool> controllerAnswers, priAnswers;
    bool requeues;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const PartyCase& c, std::ostream* out) { *out << c.name; }

class PartyTest : public MatchFlowTest, public ::testing::WithParamInterface<PartyCase> {};

TEST_P(PartyTest, LetsOnlyASoloPlayerOrTheLeaderRequeue) {
    const PartyCase& c = GetParam();
    Run("sim_match 11");
    host->SetParty(c.party);
    host->ScriptLookups(c.controllerAnswers, c.priAnswers);
    const std::size_t before = host->PendingTimers();

    Peer::HandleQueue(plugin(), 0.0f);

    EXPECT_EQ(host->PendingTimers() - before, c.requeues ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartyTest,
    ::testing::Values(
        PartyCase{"NoParty", sim::Party::None, {}, {}, true}, PartyCase{"Leader", sim::Party::Leader, {}, {}, true},
        PartyCase{"Member", sim::Party::Member, {}, {}, false},
        PartyCase{"MemberWithoutControllerAtTheFirstLook", sim::Party::Member, {false}, {}, true},
        PartyCase{"MemberWithoutPriAtTheFirstLook", sim::Party::Member, {true}, {false}, true},
        PartyCase{"LeaderWithoutControllerAtTheSecondLook", sim::Party::Leader, {true, false}, {true}, false},
        PartyCase{"LeaderWithoutPriAtTheSecondLook", sim::Party::Leader, {true, true}, {true, false}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MatchFlowTest, NoRequeueIsScheduledOutsideAnyGame) {
    Peer::HandleQueue(plugin(), 0.0f);
    EXPECT_EQ(host->PendingTimers(), 0u);
}

// The host drops an unloaded plug-in's timers itself; this checks the plug-in's own guard,
// with an object that dies while its timers stay scheduled.
TEST_F(MatchFlowTest, TimersThatOutliveTheirPluginObjectDoNothing) {
    Run("sim_match 11");
    Run("sim_end 0");
    auto doomed = std::make_shared<PostplayPlugin>();
    doomed->cvarManager = plugin().cvarManager;
    doomed->gameWrapper = plugin().gameWrapper;
    Peer::InitializeValues(*doomed);
    Peer::HandleQueue(*doomed, 0.0f);
    Peer::HandleTransition(*doomed, 0.0f);
    ASSERT_EQ(host->PendingTimers(), 2u);

    doomed.reset();
    Wait(10);

    EXPECT_EQ(host->PendingTimers(), 0u);
    EXPECT_EQ(host->CurrentPlace(), sim::Place::Match);
    EXPECT_FALSE(host->IsSearching());
}
