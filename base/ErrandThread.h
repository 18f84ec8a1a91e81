// A thread that runs small jobs in the order they were posted, beside the frame and the
// game thread: for work that may take a few milliseconds (starting a program) but must not
// cost a frame. Start at load; Stop at unload runs the jobs already posted and joins, so
// the thread never outlives the library. Jobs posted after Stop, or when no thread could
// be started, are dropped.
#pragma once

#include <deque>
#include <functional>
#include <thread>

#include "host/Mutex.h"

namespace postplay {

class ErrandThread {
public:
    ErrandThread() = default;
    ~ErrandThread() { Stop(); }
    ErrandThread(const ErrandThread&) = delete;
    ErrandThread& operator=(const ErrandThread&) = delete;

    void Start() EXCLUDES(mutex);
    // False when the job was dropped (no thread, or stopped).
    bool Post(std::function<void()> job) EXCLUDES(mutex);
    // Tells the thread to end once the jobs posted so far have run; returns at once.
    void RequestStop() EXCLUDES(mutex);
    void Stop() EXCLUDES(mutex);

private:
    void Run() noexcept EXCLUDES(mutex);

    Mutex mutex;
    CondVar wake;
    std::deque<std::function<void()>> jobs GUARDED_BY(mutex);
    std::thread thread GUARDED_BY(mutex);
    bool stopping GUARDED_BY(mutex) = false;
};

} // namespace postplay
