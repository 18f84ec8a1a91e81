#include "app/WindowGameThread.h"

#include <chrono>
#include <utility>

#include "host/BakkesModPlugin.h"
#include "sim/Host.h"

namespace app {
namespace {

constexpr auto kTick = std::chrono::milliseconds(5); // how late a due timer may fire

// Whether `key` has a bind. The host answers through the console handle it gave the
// plug-in, because its own sim_key reports a key without a bind on the console, which a
// key pressed in the window must not do. Game thread only: the plug-in is loaded and
// unloaded there, so the handle cannot go during the call.
bool HasBind(const sim::Host& host, const std::string& key) {
    const BakkesMod::Plugin::BakkesModPlugin* plugin = host.Plugin();
    return plugin && plugin->cvarManager && !plugin->cvarManager->getBindStringForKey(key).empty();
}

} // namespace

WindowGameThread::WindowGameThread(sim::Host& host) : host(host), thread([this] { Loop(); }) {}

WindowGameThread::~WindowGameThread() {
    {
        MutexLock lock(mutex);
        stopping = true;
    }
    wake.NotifyAll();
    thread.join();
}

void WindowGameThread::Post(std::string line) {
    Enqueue([this, line = std::move(line)] { host.RunInput(line); });
}

void WindowGameThread::PressKey(std::string key) {
    Enqueue([this, key = std::move(key)] {
        if (HasBind(host, key)) host.PressKey(key);
    });
}

void WindowGameThread::Enqueue(std::function<void()> task) {
    {
        MutexLock lock(mutex);
        work.push_back(std::move(task));
    }
    wake.NotifyAll();
}

void WindowGameThread::Loop() {
    host.SetWaitForBackgroundWork(false); // a game never waits: results land when done
    auto last = std::chrono::steady_clock::now();
    for (;;) {
        std::deque<std::function<void()>> due;
        {
            MutexLock lock(mutex);
            if (!stopping && work.empty()) wake.WaitFor(lock, kTick);
            if (stopping) return;
            due.swap(work);
        }
        const auto now = std::chrono::steady_clock::now();
        host.Advance(std::chrono::duration<double>(now - last).count());
        last = now;
        for (const std::function<void()>& task : due) task();
        host.Step();
    }
}

} // namespace app
