// The simulated clock and its queue of timers and jobs.
#include <cmath>

#include "sim/HostImpl.h"

namespace sim {

namespace {
// A callback that keeps scheduling work for the same instant would hold the host forever.
constexpr std::size_t kMaxRunsPerInstant = 100000;
// A very long wait in a running match (a game-time update every second) is cut short too.
constexpr std::size_t kMaxRunsPerCall = 10000000;
// Sums of decimal delays are inexact: a timer due within this of the limit counts as due.
constexpr double kSameInstant = 1e-9;
} // namespace

void Host::Impl::Schedule(Key owner, double seconds, std::function<void()> run, bool counted) {
    MutexLock lock(mutex);
    ScheduleLocked(owner, seconds, std::move(run), counted);
}

void Host::Impl::ScheduleLocked(Key owner, double seconds, std::function<void()> run, bool counted) {
    if (!(seconds > 0.0)) seconds = 0.0; // negative and NaN delays mean "now"; infinite ones never come
    timers.emplace(std::make_pair(now.load() + seconds, nextTimerSequence++), Timer{owner, counted, std::move(run)});
    NoteJobScheduled();
}

void Host::Impl::SchedulePluginCallback(Key owner, std::function<void(GameWrapper*)> callback, float seconds) {
    // The delay as the plug-in wrote it (0.1, not 0.100000001), so "sim_wait 0.1" reaches it.
    const double delay = std::isfinite(seconds) ? ReadNumber(NumberText(seconds)) : seconds;
    MutexLock lock(mutex);
    if (!plugin || plugin->owner != owner) return;
    GameWrapper* game = plugin->gameWrapper.get(); // the host keeps it alive while the timer can run
    ScheduleLocked(owner, delay, [this, callback = std::move(callback), game] { CallPlugin([&] { callback(game); }); });
}

void Host::Impl::HandToGameThread(std::string line) {
    Schedule(kHostOwner, 0.0, [this, line = std::move(line)] { host.RunLine(line); });
}

// Runs what is due, in time order, up to `limit`. Before the clock moves past an instant
// (and before returning), work of the plug-in's threads lands, when the host waits for it.
void Host::Impl::RunDueUpTo(double limit) {
    std::size_t runsAtThisInstant = 0, runs = 0;
    MutexLock lock(mutex);
    for (;;) {
        auto next = timers.begin();
        const bool dueNow = next != timers.end() && next->first.first <= now.load() + kSameInstant;
        if (!dueNow) {
            if (waitForBackgroundWork) {
                const std::uint64_t jobsSeen = JobsScheduled();
                if (lock.RunUnlocked([jobsSeen] { return WaitForBackgroundWork(jobsSeen); })) continue;
            }
            if (next == timers.end() || next->first.first > limit + kSameInstant) break;
            now = next->first.first;
            runsAtThisInstant = 0;
        }
        if (++runsAtThisInstant > kMaxRunsPerInstant) {
            lock.Unlock();
            Print("Stopped running timers: more than " + std::to_string(kMaxRunsPerInstant) + " due at once");
            return;
        }
        if (++runs > kMaxRunsPerCall) {
            lock.Unlock();
            Print("Stopped running timers: more than " + std::to_string(kMaxRunsPerCall) + " in one wait");
            return;
        }
        Timer timer = std::move(next->second);
        timers.erase(next);
        lock.Unlock();
        timer.run();
        timer = Timer{}; // the callback's captures go without the lock held
        lock.Lock();
    }
}

double Host::Now() const { return d->now.load(); }

void Host::SetWaitForBackgroundWork(bool wait) { d->waitForBackgroundWork = wait; }

void Host::Step() { d->RunDueUpTo(d->now.load()); }

void Host::Advance(double seconds) {
    if (!(seconds > 0.0)) seconds = 0.0;
    const double target = d->now.load() + seconds;
    d->RunDueUpTo(target);
    MutexLock lock(d->mutex);
    if (target > d->now.load()) d->now = target;
}

std::size_t Host::PendingTimers() const {
    MutexLock lock(d->mutex);
    std::size_t count = 0;
    for (const auto& entry : d->timers)
        if (entry.second.counted) ++count;
    return count;
}

} // namespace sim
