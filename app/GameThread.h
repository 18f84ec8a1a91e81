// The window's game thread: runs the game loop (console lines, the simulated clock
// following wall time, timers, jobs and hooks) beside the main thread, which draws.
#pragma once

#include <condition_variable>
#include <deque>
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
    ~GameThread();                               // stops it and waits; lines not run yet are dropped
    GameThread(const GameThread&) = delete;
    GameThread& operator=(const GameThread&) = delete;

    // Runs `line` as console input on the game thread, after the lines posted before it.
    // Any thread may call it.
    void Post(std::string line);

private:
    void Loop();

    sim::Host& host;
    std::mutex mutex;                            // guards `lines` and `stopping`
    std::condition_variable wake;
    std::deque<std::string> lines;
    bool stopping = false;
    std::thread thread;                          // last: starts once the rest is ready
};

} // namespace app
