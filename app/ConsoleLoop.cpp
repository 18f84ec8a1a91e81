#include "app/ConsoleLoop.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <utility>

#include "app/StopSignal.h"
#include "sim/Host.h"

namespace app {
namespace {

constexpr int kPollMilliseconds = 20;           // how late a due timer may fire at the prompt
constexpr const char* kPrompt = "postplay> ";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void DropCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

void ShowPrompt() {
    std::fputs(kPrompt, stderr);
    std::fflush(stderr);
}

// Moves the simulated clock by the wall time passed since the last call.
class WallClock {
public:
    void Follow(sim::Host& host) {
        const auto now = std::chrono::steady_clock::now();
        const std::chrono::duration<double> elapsed = now - last;
        last = now;
        host.Advance(elapsed.count());
        host.Step();
    }

private:
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
};

std::optional<std::string> TakeLine(std::string& pending) {
    const auto end = pending.find('\n');
    if (end == std::string::npos) return std::nullopt;
    std::string line = pending.substr(0, end);
    pending.erase(0, end + 1);
    DropCarriageReturn(line);
    return line;
}

// Waits a little for input and appends what arrived; false at end of input or on error.
bool ReadSome(int fd, std::string& pending) {
    pollfd request{fd, POLLIN, 0};
    const int ready = poll(&request, 1, kPollMilliseconds);
    if (ready < 0) return errno == EINTR;
    if (ready == 0) return true;
    char buffer[4096];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0) return errno == EINTR || errno == EAGAIN;
    if (count == 0) return false;
    pending.append(buffer, static_cast<std::size_t>(count));
    return true;
}

void RunPipedConsole(sim::Host& host, std::istream& input) {
    std::string line;
    while (std::getline(input, line)) {
        DropCarriageReturn(line);
        if (IsQuitCommand(line)) return;
        if (!Trimmed(line).empty()) host.RunInput(line);  // as a script file runs
    }
}

void RunInteractiveConsole(sim::Host& host, int inputFd) {
    CatchStopSignals();
    WallClock clock;
    std::string pending;
    bool open = true;
    ShowPrompt();
    std::size_t linesAtPrompt = host.Lines().size();
    while (!StopRequested()) {
        clock.Follow(host);
        std::optional<std::string> line = TakeLine(pending);
        if (!line && !open) {
            if (pending.empty()) break;
            line = std::exchange(pending, std::string());  // a last line without its line break
        }
        if (line) {
            if (IsQuitCommand(*line)) return;
            if (!Trimmed(*line).empty()) host.RunInput(*line);
        } else {
            open = ReadSome(inputFd, pending);
            if (host.Lines().size() == linesAtPrompt) continue;  // timers printed nothing
        }
        ShowPrompt();
        linesAtPrompt = host.Lines().size();
    }
    std::fputc('\n', stderr);  // end of input or Ctrl-C: leave the terminal on a fresh line
}

} // namespace

bool IsQuitCommand(const std::string& line) {
    const std::string command = Trimmed(line);
    return command == "quit" || command == "exit";
}

void RunConsole(sim::Host& host) {
    if (isatty(STDIN_FILENO)) RunInteractiveConsole(host, STDIN_FILENO);
    else RunPipedConsole(host, std::cin);
}

} // namespace app
