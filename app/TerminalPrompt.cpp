#include "app/TerminalPrompt.h"

#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

#include "app/Completion.h"
#include "app/ConsoleHistory.h"
#include "app/ConsoleOutput.h"
#include "app/StdinConsole.h"
#include "app/StopSignal.h"
#include "app/TerminalLineEditor.h"
#include "host/Mutex.h"
#include "sim/Host.h"

namespace app {
namespace {

constexpr int kPollMilliseconds = 20; // how late a due timer may fire at the prompt
constexpr const char* kPrompt = "postplay> ";
constexpr const char* kGreeting = "Type help for the commands and variables. Tab completes a name, Up recalls a line,\n"
                                  "Ctrl+C clears it; quit or Ctrl+D ends the run.\n";
constexpr const char* kPlainGreeting = "Type help for the commands and variables; quit or Ctrl+D ends the run.\n";

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r") == std::string::npos; }

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

// Holds the host's lines back while it lives, whichever thread prints them, so that the
// console prints them when it can take the prompt off the screen first. The host prints
// straight to standard output again afterwards.
class HeldLines {
public:
    explicit HeldLines(sim::Host& host) : host(host) {
        host.SetLineSink([this](const sim::ConsoleLine& line) {
            MutexLock lock(mutex);
            held.push_back(line);
        });
    }

    ~HeldLines() {
        PrintAll(Take());
        host.SetLineSink(&PrintLine);
        PrintAll(Take()); // any printed meanwhile
    }

    HeldLines(const HeldLines&) = delete;
    HeldLines& operator=(const HeldLines&) = delete;

    std::vector<sim::ConsoleLine> Take() {
        MutexLock lock(mutex);
        return std::exchange(held, {});
    }

    static void PrintAll(const std::vector<sim::ConsoleLine>& lines) {
        for (const sim::ConsoleLine& line : lines) PrintLine(line);
    }

private:
    sim::Host& host;
    Mutex mutex;
    std::vector<sim::ConsoleLine> held GUARDED_BY(mutex);
};

} // namespace

void RunTerminalPrompt(sim::Host& host) {
    CatchStopSignals();                   // SIGTERM ends the run; the editor takes Ctrl+C
    host.SetWaitForBackgroundWork(false); // the clock follows wall time: results land when done
    ConsoleHistory history(ConsoleHistory::FileIn(host.Home()));
    HeldLines output(host);
    TerminalLineEditor editor(kPrompt, history.Entries(), [&host] { return ConsoleNames(host); });
    WallClock clock;
    std::fputs(editor.Edits() ? kGreeting : kPlainGreeting, stderr);

    while (!StopRequested() && !host.QuitRequested()) {
        clock.Follow(host);
        if (std::vector<sim::ConsoleLine> lines = output.Take(); !lines.empty())
            editor.PrintAbove([&lines] { HeldLines::PrintAll(lines); });

        const TerminalLineEditor::Input input = editor.Read(kPollMilliseconds);
        if (input.kind == TerminalLineEditor::Input::End) break;
        if (input.kind != TerminalLineEditor::Input::Line) continue;

        if (history.Add(input.line)) editor.Remember(history.Entries().back());
        if (IsQuitCommand(input.line)) break;
        if (!IsBlank(input.line)) host.RunInput(input.line);
        HeldLines::PrintAll(output.Take()); // the prompt is down until the next Read
    }
}

} // namespace app
