#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "host/BackgroundWork.h"

#include "FakePlugin.h"

using ::testing::ElementsAre;

class ClockTest : public SimHostTest {
protected:
    void SetUp() override {
        SimHostTest::SetUp();
        game = Load().gameWrapper.get();
    }

    // A timer that records its name and the clock when it runs.
    std::function<void(GameWrapper*)> Record(std::string name) {
        return [this, name](GameWrapper*) { runs.push_back(name + "@" + std::to_string(int(host->Now() * 10))); };
    }

    GameWrapper* game = nullptr;
    std::vector<std::string> runs;
};

TEST_F(ClockTest, AZeroSecondTimerRunsAtTheNextStepNeverInsideTheSchedulingCall) {
    game->SetTimeout(Record("timeout"), 0.0f);
    game->Execute(Record("job"));
    game->SetTimeout(Record("negative"), -5.0f);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(host->PendingTimers(), 3u);

    host->Step();
    EXPECT_THAT(runs, ElementsAre("timeout@0", "job@0", "negative@0"));
    EXPECT_EQ(host->PendingTimers(), 0u);
}

TEST_F(ClockTest, AdvanceRunsTimersByDueTimeThenSchedulingOrderWithTheClockAtEachDueTime) {
    game->SetTimeout(Record("b"), 2.0f);
    game->SetTimeout(Record("a1"), 1.0f);
    game->SetTimeout(Record("a2"), 1.0f);
    game->SetTimeout(Record("late"), 3.5f);
    game->Execute(Record("job"));

    host->Advance(3.0);

    EXPECT_THAT(runs, ElementsAre("job@0", "a1@10", "a2@10", "b@20"));
    EXPECT_DOUBLE_EQ(host->Now(), 3.0);
    host->Advance(0.5);
    EXPECT_EQ(runs.back(), "late@35");
}

TEST_F(ClockTest, AFloatDelayIsReachedByWaitingThatManyDecimalSeconds) {
    game->SetTimeout(Record("tenth"), 0.1f);
    game->SetTimeout(Record("seven tenths"), 0.7f);
    game->SetTimeout(Record("never"), INFINITY);
    host->Advance(0.1);
    EXPECT_THAT(runs, ElementsAre("tenth@1"));
    for (int i = 0; i < 6; ++i) host->Advance(0.1);
    EXPECT_THAT(runs, ElementsAre("tenth@1", "seven tenths@7"));
    host->Advance(1e9);
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(ClockTest, WorkScheduledByATimerRunsInTheSameStepWhenDueAndWaitsOtherwise) {
    game->Execute([this](GameWrapper* wrapper) {
        EXPECT_EQ(wrapper, game);
        wrapper->Execute(Record("chained"));
        wrapper->SetTimeout(Record("in a second"), 1.0f);
    });
    host->Step();
    EXPECT_THAT(runs, ElementsAre("chained@0"));

    // A timer set for a moment inside an Advance runs within that same Advance.
    game->SetTimeout([this](GameWrapper* wrapper) { wrapper->SetTimeout(Record("nested"), 0.5f); }, 0.2f);
    host->Advance(1.0);
    EXPECT_THAT(runs, ElementsAre("chained@0", "nested@7", "in a second@10"));
}

TEST_F(ClockTest, ATimerThatReschedulesItselfForNowCannotHangTheHost) {
    std::function<void(GameWrapper*)> again = [&again](GameWrapper* wrapper) { wrapper->Execute(again); };
    game->Execute(again);
    host->Step();
    EXPECT_TRUE(Printed("Stopped running timers: more than 100000 due at once"));
}

// Work on a thread of its own lands at the instant it was asked for, before the clock moves
// on, when the host waits for it (scripts, tests). The window's clock does not wait: here the
// work finishes only after the clock has moved, and lands at the next step.
TEST_F(ClockTest, BackgroundWorkLandsBeforeTheClockMovesOnUnlessTheHostFollowsWallTime) {
    for (const bool wait : {true, false}) {
        host->SetWaitForBackgroundWork(wait);
        runs.clear();
        std::mutex mutex;
        std::condition_variable go;
        bool mayFinish = false;
        auto work = std::make_shared<BackgroundWork>();
        std::thread worker([&, work]() mutable {
            std::unique_lock<std::mutex> lock(mutex);
            go.wait(lock, [&] { return mayFinish; });
            game->Execute([this, work](GameWrapper*) { runs.push_back("landed"); });
        });
        work.reset();
        game->SetTimeout(Record("later"), 1.0f);
        const auto letFinish = [&] {
            std::lock_guard<std::mutex> lock(mutex);
            mayFinish = true;
            go.notify_all();
        };
        if (wait) letFinish();
        host->Advance(2.0);
        if (!wait) letFinish();
        worker.join();
        host->Step();
        const std::vector<std::string> expected =
            wait ? std::vector<std::string>{"landed", "later@10"} : std::vector<std::string>{"later@30", "landed"};
        EXPECT_EQ(runs, expected);
    }
}
