#include "base/ErrandThread.h"

#include <system_error>
#include <utility>

#include "base/ThreadPriority.h"

namespace postplay {

void ErrandThread::Start() {
    MutexLock lock(mutex);
    if (thread.joinable() || stopping) return;
    try {
        thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: jobs are dropped.
    }
}

bool ErrandThread::Post(std::function<void()> job) {
    MutexLock lock(mutex);
    if (stopping || !thread.joinable()) return false;
    jobs.push_back(std::move(job));
    lock.Unlock(); // woken after: it need not wait for our lock
    wake.NotifyOne();
    return true;
}

void ErrandThread::Run() noexcept {
    LowerThisThreadsPriority();
    MutexLock lock(mutex);
    for (;;) {
        while (!stopping && jobs.empty()) wake.Wait(lock);
        if (jobs.empty()) return; // stopping, and every job posted has run
        std::function<void()> job = std::move(jobs.front());
        jobs.pop_front();
        lock.RunUnlocked([&job] {
            try {
                job();
            } catch (...) {
                // A job reports its own failures; nothing may leave the thread.
            }
            job = nullptr;
        });
    }
}

void ErrandThread::RequestStop() {
    MutexLock lock(mutex);
    stopping = true;
    wake.NotifyAll();
}

void ErrandThread::Stop() {
    RequestStop();
    std::thread finished;
    {
        MutexLock lock(mutex);
        finished.swap(thread);
    }
    if (finished.joinable()) finished.join();
}

} // namespace postplay
