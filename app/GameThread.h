// The window's game thread: runs the game loop (console lines, key presses, the simulated
// clock following wall time, timers, jobs and hooks) beside the main thread, which draws.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace sim {
class Host;
}

namespace app {

class GameThread {
public:
    explicit GameThread(sim::Host& host);        // starts the loop
    ~GameThread();                               // stops it and waits; work not run yet is dropped
    GameThread(const GameThread&) = delete;
    GameThread& operator=(const GameThread&) = delete;

    // Runs `line` as console input on the game thread, after the work posted before it.
    // Any thread may call it.
    void Post(std::string line);

    // Runs the bind of the key named `key`, as the game does when the key is pressed; a key
    // without a bind does nothing. Any thread may call it.
    void PressKey(std::string key);

private:
    void Enqueue(std::function<void()> work);
    void Loop();

    sim::Host& host;
    std::mutex mutex;                            // guards `work` and `stopping`
    std::condition_variable wake;
    std::deque<std::function<void()>> work;
    bool stopping = false;
    std::thread thread;                          // last: starts once the rest is ready
};

} // namespace app
