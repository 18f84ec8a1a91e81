// The host program run as a child process, as a user or a scenario test runs it.
#include <algorithm>
#include <fstream>
#include <regex>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "support/HostFixture.h"

using namespace postplay;

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

const std::string kStatusAfterMatch11 = "game: match 11; search: off";

std::string FakePlugin(const std::string& fault) {
    return std::string(POSTPLAY_FAKE_PLUGIN_DIR) + "/libfake_plugin_" + fault + ".so";
}

std::size_t CountLinesContaining(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}

} // namespace

class HostProgramTest : public ::testing::Test {
protected:
    // Runs postplay-host with --home `home` (a fresh folder unless given) before `arguments`,
    // and with the plug-in library built beside the program.
    ChildResult RunHost(std::vector<std::string> arguments, ChildRun run = {}, const std::string& home = "home") {
        run.command = {POSTPLAY_HOST_PATH, "--home", (work.path() / home).string()};
        run.command.insert(run.command.end(), arguments.begin(), arguments.end());
        return RunChildIn(run);
    }

    ChildResult RunChildIn(const ChildRun& run) {
        const fs::path scratch = work.path() / ("run" + std::to_string(++runs));
        fs::create_directories(scratch);
        return RunChild(run, scratch);
    }

    std::string Script(const std::string& name, const std::string& text) {
        const fs::path file = work.path() / name;
        std::ofstream(file) << text;
        return file.string();
    }

    ScratchFolder work;

private:
    int runs = 0;
};

// ---- Running console input ------------------------------------------------------------

TEST_F(HostProgramTest, RunsItsScriptsInOrderInOneHostAndStampsEveryLineWithTheSimulatedTime) {
    const ChildResult result = RunHost({Script("first.pp", "sim_match 11; sim_wait 3; sim_status\n"),
                                        Script("second.pp", "sim_wait 2\nsim_status\n")});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> lines = SplitLines(result.out);
    EXPECT_THAT(lines, Contains("[0.0] > sim_match 11; sim_wait 3; sim_status"));
    EXPECT_THAT(lines, Contains(AllOf(StartsWith("[3.0] "), EndsWith(kStatusAfterMatch11))));
    EXPECT_THAT(lines, Contains(AllOf(StartsWith("[5.0] "), EndsWith(kStatusAfterMatch11))));
    const std::regex stamped(R"(\[[0-9]+\.[0-9]\] .*)");
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, stamped)) << line;
}

TEST_F(HostProgramTest, PipedInputRunsLikeAScriptAndStopsAtQuit) {
    const std::string session = "sim_match 11\n\nsim_wait 3\r\nsim_status\n";
    ChildRun piped;
    piped.input = session + "quit\nsim_menu\n";

    const ChildResult fromPipe = RunHost({}, piped);
    fs::remove_all(work.path() / "home"); // the same fresh home for both runs
    const ChildResult fromScript = RunHost({Script("session.pp", session)});

    EXPECT_EQ(fromPipe.exitCode, 0) << fromPipe.err;
    EXPECT_EQ(fromPipe.out, fromScript.out);
    EXPECT_THAT(fromPipe.out, HasSubstr(kStatusAfterMatch11));
    EXPECT_THAT(fromPipe.err, IsEmpty()) << "no prompt when standard input is not a terminal";
}

TEST_F(HostProgramTest, AtATerminalPromptsOnStandardErrorAndStopsAtQuit) {
    ChildRun terminal;
    terminal.inputIsTerminal = true;
    terminal.input = "sim_match 11\nsim_status\nquit\nsim_menu\n";

    const ChildResult result = RunHost({}, terminal);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("postplay> "));
    const std::vector<std::string> lines = SplitLines(result.out);
    EXPECT_THAT(lines, Contains(EndsWith(kStatusAfterMatch11)));
    EXPECT_THAT(lines, Not(Contains(EndsWith("> sim_menu"))));
    EXPECT_THAT(result.out, Not(HasSubstr("postplay> "))) << "the prompt stays off standard output";
}

TEST_F(HostProgramTest, ReloadingThePluginKeepsItsLibraryUsable) {
    const ChildResult result = RunHost({Script("reload.pp", "sim_reload\nsim_reload\nsim_status\n")});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> lines = SplitLines(result.out);
    EXPECT_EQ(CountLinesContaining(lines, "Localization initialized."), 3u);
    EXPECT_THAT(lines, Contains(EndsWith("game: menu; search: off")));
}

// ---- Options -----------------------------------------------------------------------------

TEST_F(HostProgramTest, LanguageOptionIsTheGamesLanguageWhenThePluginLoads) {
    const std::string script = Script("empty.pp", "\n");

    EXPECT_THAT(RunHost({"--language", "FRA", script}, {}, "french").out, HasSubstr("Game locale: FRA,"));
    EXPECT_THAT(RunHost({"--language=none", script}, {}, "none").out, HasSubstr("Game locale: INT,"));
}

TEST_F(HostProgramTest, DefaultHomeIsAFolderInTheUsersStateDirectory) {
    ChildRun run;
    run.command = {POSTPLAY_HOST_PATH, Script("status.pp", "sim_status\n")};
    run.environment = {{"XDG_STATE_HOME", (work.path() / "state").string()}};
    EXPECT_EQ(RunChildIn(run).exitCode, 0);
    EXPECT_TRUE(fs::is_directory(work.path() / "state" / "postplay" / "cfg"));

    run.environment = {{"XDG_STATE_HOME", std::nullopt}, {"HOME", (work.path() / "user").string()}};
    EXPECT_EQ(RunChildIn(run).exitCode, 0);
    EXPECT_TRUE(fs::is_directory(work.path() / "user" / ".local" / "state" / "postplay" / "cfg"));
}

// Paths on the command line are relative to the folder the program starts in; paths in
// console lines lead into the home folder, so a run leaves nothing else behind.
TEST_F(HostProgramTest, WorksInItsHomeFolderAndLeavesNothingOutsideIt) {
    const fs::path start = work.path() / "start";
    fs::create_directories(start / "scripts");
    std::ofstream(start / "scripts" / "maps.pp")
        << "sim_wait 1\nsim_file maps/Arena/arena.upk\npp_workshop_maps_folder maps\npp_workshop_map Arena\\arena.upk\n"
           "pp_mode workshop; pp_wait_mmr 0; pp_requeue 0\nsim_match 11; sim_end 0\nsim_status\n";
    ChildRun run;
    run.command = {POSTPLAY_HOST_PATH, "--home", "my home", "scripts/maps.pp"};
    run.workingDirectory = start;

    const ChildResult result = RunChildIn(run);

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("game: workshop maps\\Arena\\arena.upk")) << "the plug-in found the map";
    EXPECT_TRUE(fs::is_regular_file(start / "my home" / "maps" / "Arena" / "arena.upk"));
    std::vector<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(start))
        left.push_back(entry.path().filename().string());
    EXPECT_THAT(left, ::testing::UnorderedElementsAre("my home", "scripts"));
}

TEST_F(HostProgramTest, HelpPrintsTheUsageAndSucceeds) {
    const ChildResult result = RunHost({"--help"});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_THAT(result.out, StartsWith("Usage: postplay-host"));
}

TEST_F(HostProgramTest, BadCommandLinesAreRefusedBeforeAnythingRuns) {
    const std::string script = Script("status.pp", "sim_status\n");
    const std::string missing = (work.path() / "missing.pp").string();
    fs::create_directories(work.path() / "folder.pp");
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"--bogus", script}, "unknown option --bogus"},
        {{script, "--language"}, "option --language needs a value"},
        {{"--plugin=", script}, "option --plugin needs a value"},
        {{"--gui=yes", script}, "option --gui takes no value"},
        {{"--size", "900", script}, "option --size takes WIDTHxHEIGHT"},
        {{script, missing}, "cannot read the script " + missing},
        {{(work.path() / "folder.pp").string()}, "it is a folder"},
        {{"--home", script, script}, "cannot use " + script + " as the home folder"},
    };
    for (const auto& bad : cases) {
        const ChildResult result = RunHost(bad.arguments);
        EXPECT_EQ(result.exitCode, 2) << bad.message;
        EXPECT_THAT(result.err, HasSubstr(bad.message));
        EXPECT_THAT(result.out, IsEmpty()) << bad.message;
    }
}

// ---- Refused libraries -----------------------------------------------------------------

struct RefusedLibrary {
    std::string name;
    std::string path;
    std::string reason;
};

void PrintTo(const RefusedLibrary& library, std::ostream* out) { *out << library.name; }

class HostProgramRefusesLibrary : public HostProgramTest, public ::testing::WithParamInterface<RefusedLibrary> {};

TEST_P(HostProgramRefusesLibrary, WithAMessageNamingItAndWithoutRunningAnything) {
    const RefusedLibrary& library = GetParam();
    const std::string path = library.path.empty() ? Script("not-a-library.so", "text\n") : library.path;

    const ChildResult result = RunHost({"--plugin", path, Script("status.pp", "sim_status\n")});

    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.err, StartsWith("postplay-host: "));
    EXPECT_THAT(result.err, HasSubstr(path));
    EXPECT_THAT(result.err, HasSubstr(library.reason));
    EXPECT_THAT(result.out, Not(HasSubstr("> sim_status")));
}

INSTANTIATE_TEST_SUITE_P(
    , HostProgramRefusesLibrary,
    ::testing::Values(RefusedLibrary{"MissingFile", "/nonexistent/libpostplay.so", "no such file"},
                      RefusedLibrary{"NotALibrary", "", "cannot load the plug-in library"},
                      RefusedLibrary{"HostSdkWithoutRecord", POSTPLAY_SDK_PATH,
                                     "has no information record \"exports\""},
                      RefusedLibrary{"WrongApiVersion", FakePlugin("wrong_version"), "API build version is 94, not 95"},
                      RefusedLibrary{"NoClassName", FakePlugin("no_class_name"), "names no plug-in class"},
                      RefusedLibrary{"NoDeleteFunction", FakePlugin("no_delete_function"), "no function that releases"},
                      RefusedLibrary{"NoPluginObject", FakePlugin("no_object"), "gave no plug-in object"}),
    [](const ::testing::TestParamInfo<RefusedLibrary>& info) { return info.param.name; });

// ---- Window ------------------------------------------------------------------------------

namespace {

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST_F(HostProgramTest, ScreenshotSavesAPictureOfTheWindowAfterTheScripts) {
    const auto xvfbRun = FindOnPath("xvfb-run");
    if (!xvfbRun) GTEST_SKIP() << "xvfb-run is not installed";
    const fs::path picture = work.path() / "window.png";
    ChildRun run;
    run.command = {xvfbRun->string(),
                   "-a",
                   POSTPLAY_HOST_PATH,
                   "--home",
                   (work.path() / "home").string(),
                   "--screenshot",
                   picture.string(),
                   Script("match.pp", "sim_match 11\n")};

    const ChildResult result = RunChildIn(run);

    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("> sim_match 11"));
    const std::string png = ReadBytes(picture);
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian(png, 16), 1280u);
    EXPECT_EQ(BigEndian(png, 20), 800u);
}

TEST_F(HostProgramTest, ScreenshotWithoutADisplayIsRefusedBeforeAnythingRuns) {
    const fs::path picture = work.path() / "window.png";
    ChildRun run;
    run.environment = {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};

    const ChildResult result = RunHost({"--screenshot", picture.string(), Script("match.pp", "sim_match 11\n")}, run);

    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.err, HasSubstr("display"));
    EXPECT_THAT(result.out, IsEmpty());
    EXPECT_FALSE(fs::exists(picture));
}

// Drives the real window under a virtual display with xdotool's keyboard: it waits for each
// effect to show in the host's output, pressing again while the window is still settling.
constexpr const char* kKeyboardSession = R"(
host=$1 home=$2 script=$3 out=$4
"$host" --home "$home" --gui "$script" >"$out" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
seen() { grep -qF -- "$1" "$out"; }
until_seen() { # TEXT COMMAND...: runs COMMAND until the output holds TEXT
  text=$1; shift
  for attempt in $(seq 40); do
    "$@"
    for tick in 1 2 3 4 5 6 7 8 9 10; do seen "$text" && return 0; sleep 0.05; done
  done
  echo "never saw: $text; the host printed:" >&2; cat "$out" >&2; exit 1
}
type_line() { xdotool key ctrl+a BackSpace; xdotool type "$1"; xdotool key Return; }
xdotool search --sync --name '^Postplay host$' >/dev/null
until_seen '> help sim_status' type_line 'help sim_status'   # the console's input line has the keyboard
until_seen 'toast: Postplay: Postplay disabled' xdotool key F5
until_seen '> bind S sim_match 11' type_line 'bind S sim_match 11'
until_seen '> sim_status' type_line 'sim_status'             # S typed into the line runs no bind
until_seen 'game: ' true
xdotool key Escape                                           # the line gives the keyboard up
until_seen 'Entered match in playlist 11' xdotool key s
kill -TERM $pid; wait $pid; status=$?; trap - EXIT
cat "$out"; exit $status
)";

TEST_F(HostProgramTest, AKeyPressedInTheWindowRunsItsBindUnlessATextFieldTakesItsText) {
    const auto xvfbRun = FindOnPath("xvfb-run");
    if (!xvfbRun || !FindOnPath("xdotool")) GTEST_SKIP() << "xvfb-run or xdotool is not installed";
    ChildRun run;
    run.command = {xvfbRun->string(),
                   "-a",
                   "sh",
                   "-c",
                   kKeyboardSession,
                   "sh",
                   POSTPLAY_HOST_PATH,
                   (work.path() / "home").string(),
                   Script("bind.pp", "bind F5 pp_toggle\n"),
                   (work.path() / "window.out").string()};

    const ChildResult result = RunChildIn(run);

    ASSERT_EQ(result.exitCode, 0) << result.err << result.out;
    const std::vector<std::string> lines = SplitLines(result.out);
    // F5 types no text: its bind ran while the console's line had the keyboard, without an echo.
    EXPECT_THAT(lines, Contains(EndsWith("toast: Postplay: Postplay disabled")));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("sim_key"))));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("No bind for key"))));
    // S typed into the line went to the line; pressed once the line let the keyboard go, it ran.
    EXPECT_THAT(lines, Contains(EndsWith("game: menu; search: off")));
    EXPECT_THAT(lines, Contains(EndsWith("Entered match in playlist 11")));
}
