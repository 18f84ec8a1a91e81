// Holds the folder worker at a chosen file-system query, so a test can look at what the page
// and the game see while a walk is under way, or ask for something newer meanwhile. Counts
// the queries asked for after the release. Lets go of the worker when it goes, so a failing
// test never leaves the worker waiting.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "training/FolderWorker.h"

class WalkGate {
public:
    // `holdHere` runs before each query; the first time it says true, the worker waits there.
    WalkGate(postplay::FolderWorker& worker, std::function<bool()> holdHere)
        : worker(worker), holdHere(std::move(holdHere)) {
        worker.SetBeforeQuery([this] { BeforeQuery(); });
    }
    ~WalkGate() {
        Release();
        worker.SetBeforeQuery(nullptr);
    }
    WalkGate(const WalkGate&) = delete;
    WalkGate& operator=(const WalkGate&) = delete;

    bool WaitUntilHeld() {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [this] { return held; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }
    int QueriesAfterRelease() {
        std::lock_guard<std::mutex> lock(mutex);
        return queriesAfterRelease;
    }

private:
    void BeforeQuery() {
        std::unique_lock<std::mutex> lock(mutex);
        if (released) {
            ++queriesAfterRelease;
            return;
        }
        if (held || !holdHere()) return;
        held = true;
        changed.notify_all();
        changed.wait(lock, [this] { return released; });
    }

    postplay::FolderWorker& worker;
    std::function<bool()> holdHere;
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false, released = false;
    int queriesAfterRelease = 0;
};
