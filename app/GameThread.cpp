#include "app/GameThread.h"

#include <chrono>
#include <utility>

#include "sim/Host.h"

namespace app {
namespace {
constexpr auto kTick = std::chrono::milliseconds(5);  // how late a due timer may fire
}

GameThread::GameThread(sim::Host& host) : host(host), thread([this] { Loop(); }) {}

GameThread::~GameThread() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    thread.join();
}

void GameThread::Post(std::string line) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(std::move(line));
    }
    wake.notify_all();
}

void GameThread::Loop() {
    auto last = std::chrono::steady_clock::now();
    for (;;) {
        std::deque<std::string> due;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait_for(lock, kTick, [this] { return stopping || !lines.empty(); });
            if (stopping) return;
            due.swap(lines);
        }
        const auto now = std::chrono::steady_clock::now();
        host.Advance(std::chrono::duration<double>(now - last).count());
        last = now;
        for (const std::string& line : due) host.RunInput(line);
        host.Step();
    }
}

} // namespace app
