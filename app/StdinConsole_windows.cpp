// Windows has no line editor here: at a console the lines are read as typed, after a
// prompt; the clock follows wall time, moving (and firing what fell due) when a line
// arrives. Ctrl+C ends the run in order.
#include "app/StdinConsole.h"

#include <io.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "app/StopSignal.h"
#include "sim/Host.h"

namespace app {

void RunConsole(sim::Host& host) {
    if (!_isatty(_fileno(stdin))) return RunPipedConsole(host, std::cin);
    CatchStopSignals();
    host.SetWaitForBackgroundWork(false); // the clock follows wall time: results land when done
    std::fputs("Type help for the commands and variables; quit or Ctrl+Z, Enter ends the run.\n", stderr);
    std::string line;
    auto last = std::chrono::steady_clock::now();
    for (;;) {
        std::fputs("postplay> ", stderr);
        std::fflush(stderr);
        const bool read = static_cast<bool>(std::getline(std::cin, line));
        const auto now = std::chrono::steady_clock::now();
        host.Advance(std::chrono::duration<double>(now - last).count());
        last = now;
        if (!read || StopRequested()) return;
        if (!RunConsoleLine(host, line)) return;
        host.Step();
        if (host.QuitRequested()) return;
    }
}

} // namespace app
