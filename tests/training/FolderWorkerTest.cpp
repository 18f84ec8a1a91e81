// The folder worker on its own: which requests land, how far a superseded or stopped walk
// goes, and where a list handed back is freed.
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "InterposedThreads.h"
#include "support/HostFixture.h"
#include "support/TextFiles.h"
#include "support/WalkGate.h"
#include "training/FolderWorker.h"

using namespace postplay;

namespace {

// What landed, in order, collected from the worker's thread.
class Landings {
public:
    FolderWorker::ScanLanding Scan(std::string name) {
        return [this, name](FolderWorker::ScanResult result) { Add(name + ":" + std::to_string(result.maps->Size())); };
    }
    FolderWorker::CheckLanding Check(std::string name) {
        return [this, name](FolderWorker::CheckResult result) {
            Add(name + ":" + std::to_string(static_cast<int>(result.state)));
        };
    }
    // Waits until `count` results have landed (at most 10 s) and gives them.
    std::vector<std::string> Await(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(10), [&] { return landed.size() >= count; });
        return landed;
    }

private:
    void Add(std::string text) {
        std::lock_guard<std::mutex> lock(mutex);
        landed.push_back(std::move(text));
        changed.notify_all();
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> landed;
};

class FolderWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* map : {"A/a.upk", "B/b.upk", "C/c.upk"}) WriteText(dir.path() / map, "x");
        folder = dir.path().string();
        worker.Start();
    }

    ScratchFolder dir;
    std::string folder;
    FolderWorker worker;
    Landings landings;
};

} // namespace

// A newer request stops the walk it supersedes before that walk's next query: after the
// release, every query is the newer walk's, and only the newer one lands.
TEST_F(FolderWorkerTest, ANewerScanStopsTheRunningWalkAtItsNextQuery) {
    int fullScanQueries = 0;
    worker.SetBeforeQuery([&] { ++fullScanQueries; });
    worker.Scan(folder, landings.Scan("counted"));
    ASSERT_EQ(landings.Await(1), std::vector<std::string>{"counted:3"});
    worker.SetBeforeQuery(nullptr);

    std::optional<WalkGate> gate;
    gate.emplace(worker, [this] { return worker.ScanProgress().found == 1; });
    const std::uint64_t first = worker.Scan(folder, landings.Scan("first"));
    ASSERT_TRUE(gate->WaitUntilHeld());
    const std::uint64_t second = worker.Scan(folder, landings.Scan("second"));
    EXPECT_FALSE(worker.IsLatest(first));
    EXPECT_TRUE(worker.IsLatest(second));
    gate->Release();
    EXPECT_EQ(landings.Await(2), (std::vector<std::string>{"counted:3", "second:3"}));
    EXPECT_EQ(gate->QueriesAfterRelease(), fullScanQueries);
    gate.reset();
}

// A check asked for at load is never dropped for a later scan; both land, the check first.
TEST_F(FolderWorkerTest, ACheckIsNotSupersededAndLandsBeforeTheScans) {
    WalkGate gate(worker, [] { return true; });
    worker.Scan(folder, landings.Scan("held"));
    ASSERT_TRUE(gate.WaitUntilHeld());
    worker.Check(folder, landings.Check("check"));
    worker.Refresh(folder + "/A/a.upk", landings.Check("refresh"));
    worker.Scan(folder, landings.Scan("scan"));
    gate.Release();
    EXPECT_EQ(landings.Await(2), (std::vector<std::string>{"check:3", "scan:3"}));
    worker.Stop();
    EXPECT_EQ(landings.Await(0).size(), 2u) << "the refresh was superseded";
}

// Once asked to stop, the walk ends at the query under way: it makes no query after it,
// and nothing asked for later runs.
TEST_F(FolderWorkerTest, StopEndsTheWalkAtTheQueryUnderWay) {
    WalkGate gate(worker, [] { return true; });
    worker.Scan(folder, landings.Scan("stopped"));
    ASSERT_TRUE(gate.WaitUntilHeld());
    worker.RequestStop();
    gate.Release();
    worker.Stop();
    worker.Scan(folder, landings.Scan("after"));
    EXPECT_EQ(gate.QueriesAfterRelease(), 0);
    EXPECT_TRUE(landings.Await(0).empty());
}

// A list handed back is freed on the worker, also when a frame still held it at that moment.
TEST_F(FolderWorkerTest, AReleasedListIsFreedOnTheWorkerOnceNoFrameHoldsIt) {
    std::mutex mutex;
    std::condition_variable freed;
    std::optional<std::thread::id> freedOn;
    std::shared_ptr<const void> list(new int(0), [&](const void* p) {
        delete static_cast<const int*>(p);
        std::lock_guard<std::mutex> lock(mutex);
        freedOn = std::this_thread::get_id();
        freed.notify_all();
    });
    std::shared_ptr<const void> frameSnapshot = list;
    worker.Release(std::move(list));
    frameSnapshot.reset();
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(freed.wait_for(lock, std::chrono::seconds(10), [&] { return freedOn.has_value(); }));
    EXPECT_NE(*freedOn, std::this_thread::get_id());
}

#if !defined(_WIN32)
// When the system gives no thread, every request is served on the caller's thread, and the
// frame's status comes from a check made there.
TEST_F(FolderWorkerTest, WithoutAThreadEveryRequestIsServedOnTheCaller) {
    FolderWorker threadless;
    interposed::threadsRefused = true;
    threadless.Start();
    interposed::threadsRefused = false;
    threadless.Scan(folder, landings.Scan("scan"));
    threadless.Check(folder, landings.Check("check"));
    threadless.Refresh(folder + "/missing", landings.Check("refresh"));
    EXPECT_EQ(landings.Await(0), (std::vector<std::string>{"scan:3", "check:3", "refresh:1"}));
    EXPECT_EQ(threadless.StatusForFrame(folder + "/A", 0), FolderState::Directory);
    EXPECT_EQ(threadless.StatusForFrame(folder + "/gone", 0), FolderState::Missing);
}
#endif
