#include "app/StdinConsole.h"

#if defined(_WIN32)
#include <io.h>
#include <cstdio>
#else
#include <unistd.h>
#endif

#include <iostream>

#if defined(_WIN32)
#include <chrono>

#include "app/StopSignal.h"
#else
#include "app/TerminalPrompt.h"
#endif
#include "sim/Host.h"

namespace app {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void DropCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

void RunPipedConsole(sim::Host& host, std::istream& input) {
    std::string line;
    while (std::getline(input, line)) {
        DropCarriageReturn(line);
        if (IsQuitCommand(line)) return;
        if (!Trimmed(line).empty()) host.RunInput(line);  // as a script file runs
        if (host.QuitRequested()) return;        // a bind or a handed line ran quit
    }
}

} // namespace

bool IsQuitCommand(const std::string& line) {
    const std::string command = Trimmed(line);
    return command == "quit" || command == "exit";
}

#if defined(_WIN32)
// Windows has no line editor here: at a console the lines are read as typed, after a
// prompt; the clock follows wall time, moving (and firing what fell due) when a line
// arrives. Ctrl+C ends the run in order.
void RunConsole(sim::Host& host) {
    if (!_isatty(_fileno(stdin))) return RunPipedConsole(host, std::cin);
    CatchStopSignals();
    host.SetWaitForBackgroundWork(false);        // the clock follows wall time: results land when done
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
        DropCarriageReturn(line);
        if (IsQuitCommand(line)) return;
        if (!Trimmed(line).empty()) host.RunInput(line);
        host.Step();
        if (host.QuitRequested()) return;
    }
}
#else
void RunConsole(sim::Host& host) {
    if (isatty(STDIN_FILENO)) RunTerminalPrompt(host);
    else RunPipedConsole(host, std::cin);
}
#endif

} // namespace app
