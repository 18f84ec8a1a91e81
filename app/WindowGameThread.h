// The window's game thread: runs the game loop (console lines, key presses, the simulated
// clock following wall time, timers, jobs and hooks) beside the main thread, which draws.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <thread>

#include "host/Mutex.h"

namespace sim {
class Host;
}

namespace app {

class WindowGameThread {
public:
    explicit WindowGameThread(sim::Host& host); // starts the loop
    ~WindowGameThread();                        // stops it and waits; work not run yet is dropped
    WindowGameThread(const WindowGameThread&) = delete;
    WindowGameThread& operator=(const WindowGameThread&) = delete;

    // Runs `line` as console input on the game thread, after the work posted before it.
    // Any thread may call it.
    void Post(std::string line);

    // Runs the bind of the key named `key`, as the game does when the key is pressed; a key
    // without a bind does nothing. Any thread may call it.
    void PressKey(std::string key);

private:
    void Enqueue(std::function<void()> task) EXCLUDES(mutex);
    void Loop() EXCLUDES(mutex);

    sim::Host& host;
    Mutex mutex;
    CondVar wake;
    std::deque<std::function<void()>> work GUARDED_BY(mutex);
    bool stopping GUARDED_BY(mutex) = false;
    std::thread thread; // last: starts once the rest is ready
};

} // namespace app
