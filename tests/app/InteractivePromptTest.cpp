// The host program's prompt at a terminal, driven through a pseudo-terminal as a person
// types: Tab completion, the history across runs, Ctrl+C and Ctrl+D, and help.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/HostFixture.h"

using namespace postplay;

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

constexpr auto kPatience = std::chrono::seconds(30); // generous for sanitizer builds
const std::string kUp = "\x1b[A";

// postplay-host on a pseudo-terminal of its own: what it writes (standard output and error
// alike) is read back as the terminal would show it, raw.
class Terminal {
public:
    explicit Terminal(const std::string& home) {
        winsize size{};
        size.ws_row = 40;
        size.ws_col = 120;
        child = forkpty(&master, nullptr, nullptr, &size);
        if (child == 0) {
            setenv("TERM", "xterm", 1);
            setenv("HOME", home.c_str(), 1); // no ~/.editrc of the person running the tests
            execl(POSTPLAY_HOST_PATH, POSTPLAY_HOST_PATH, "--home", home.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    ~Terminal() {
        if (child > 0) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        if (master >= 0) close(master);
    }

    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool Started() const { return child > 0 && master >= 0; }

    void Type(const std::string& keys) {
        ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Reads until `text` shows after what earlier waits consumed; false when it does not
    // come in time. The output up to and including it counts as consumed.
    bool WaitFor(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        for (;;) {
            if (const auto found = output.find(text, consumed); found != std::string::npos) {
                consumed = found + text.size();
                return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return false;
        }
    }

    // The exit status once the program ended by itself, -1 when it does not in time.
    int ExitCode() {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) {
                child = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            ReadSome(50); // keep the terminal drained so the program never blocks writing
        }
        return -1;
    }

    // Everything written since the last wait that succeeded.
    std::string Unconsumed() const { return output.substr(consumed); }

private:
    bool ReadSome(int milliseconds) {
        pollfd request{master, POLLIN, 0};
        if (poll(&request, 1, milliseconds) <= 0) return true;
        char buffer[4096];
        const ssize_t count = read(master, buffer, sizeof buffer);
        if (count <= 0) return false; // the program ended and the terminal closed
        output.append(buffer, static_cast<std::size_t>(count));
        return true;
    }

    pid_t child = -1;
    int master = -1;
    std::string output;
    std::size_t consumed = 0;
};

} // namespace

TEST(InteractivePromptTest, CompletesNamesRecallsLinesAcrossRunsAndExplainsTheCommands) {
    ScratchFolder work;
    const std::string home = (work.path() / "home").string();
    {
        Terminal terminal(home);
        ASSERT_TRUE(terminal.Started());
        ASSERT_TRUE(terminal.WaitFor("postplay> ")) << terminal.Unconsumed();

        // A unique start completes to the whole name and a blank; the completed line runs.
        terminal.Type("pp_requeue_d\t4\r");
        ASSERT_TRUE(terminal.WaitFor("] > pp_requeue_delay 4\r\n")) << terminal.Unconsumed();

        // Ctrl+C drops what was typed: only the line after it runs.
        ASSERT_TRUE(terminal.WaitFor("postplay> ")) << terminal.Unconsumed();
        terminal.Type("sim_match 11");
        ASSERT_TRUE(terminal.WaitFor("sim_match 11")) << terminal.Unconsumed();
        terminal.Type("\x03");
        ASSERT_TRUE(terminal.WaitFor("^C")) << terminal.Unconsumed();
        terminal.Type("sim_status\r");
        ASSERT_TRUE(terminal.WaitFor("game: menu; search: off")) << terminal.Unconsumed();

        // help lists host and plug-in commands and variables, each with its line.
        ASSERT_TRUE(terminal.WaitFor("postplay> ")) << terminal.Unconsumed();
        terminal.Type("help\r");
        ASSERT_TRUE(terminal.WaitFor("Host commands:")) << terminal.Unconsumed();
        ASSERT_TRUE(terminal.WaitFor("sim_match ID")) << terminal.Unconsumed();
        ASSERT_TRUE(terminal.WaitFor("start an online match in playlist ID")) << terminal.Unconsumed();
        ASSERT_TRUE(terminal.WaitFor("pp_toggle")) << terminal.Unconsumed();
        ASSERT_TRUE(terminal.WaitFor("Toggle the plugin on/off")) << terminal.Unconsumed();
        ASSERT_TRUE(terminal.WaitFor("pp_requeue_delay \"4\"")) << terminal.Unconsumed();
        ASSERT_TRUE(terminal.WaitFor("help NAME shows one of them.")) << terminal.Unconsumed();

        // Up brings back the line before; Enter runs it again. Keys are typed once the
        // prompt is back: before it, the terminal's own line discipline would take ^C and ^D.
        ASSERT_TRUE(terminal.WaitFor("postplay> ")) << terminal.Unconsumed();
        terminal.Type("pp_requeue_delay 6\r");
        ASSERT_TRUE(terminal.WaitFor("] > pp_requeue_delay 6\r\n")) << terminal.Unconsumed();
        ASSERT_TRUE(terminal.WaitFor("postplay> ")) << terminal.Unconsumed();
        terminal.Type(kUp + kUp + "\r");
        ASSERT_TRUE(terminal.WaitFor("] > help\r\n")) << terminal.Unconsumed();
        ASSERT_TRUE(terminal.WaitFor("help NAME shows one of them.")) << terminal.Unconsumed();

        // Ctrl+D on an empty line ends the run.
        ASSERT_TRUE(terminal.WaitFor("postplay> ")) << terminal.Unconsumed();
        terminal.Type("\x04");
        EXPECT_EQ(terminal.ExitCode(), 0) << terminal.Unconsumed();
    }
    {
        // The next run of the same home recalls the last line first.
        Terminal terminal(home);
        ASSERT_TRUE(terminal.Started());
        ASSERT_TRUE(terminal.WaitFor("postplay> ")) << terminal.Unconsumed();
        terminal.Type(kUp + kUp + "\r");
        ASSERT_TRUE(terminal.WaitFor("] > pp_requeue_delay 6\r\n")) << terminal.Unconsumed();
        terminal.Type("quit\r");
        EXPECT_EQ(terminal.ExitCode(), 0) << terminal.Unconsumed();
        EXPECT_THAT(terminal.Unconsumed(), Not(HasSubstr("Unknown command")));
    }
}
