// Fuzzes the host's console grammar with the plug-in loaded: arbitrary bytes as console
// lines (RunLine, one per line of the input), or, for an input whose first line is "#cfg",
// the rest as a configuration file run by LoadCfg.
//
// Every input starts from a fresh host in an empty home folder, so a crash replays from its
// input alone. Properties besides the sanitizers: no exception leaves plug-in code, and no
// plug-in callback keeps rescheduling itself (the host's timer guard never trips).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"

namespace {

fuzz::ScratchFolder* scratch = nullptr;

constexpr std::size_t kMaxInput = 1024;
constexpr std::string_view kCfgHeader = "#cfg\n";

// The clock moves one match tick per simulated second, so a wait is capped.
constexpr double kMaxWaitSeconds = 100.0;
// A key bound to a line that presses keys twice doubles its work at every nesting level
// (the host stops at 32): three key presses in one input could take 2^32 steps.
constexpr int kMaxKeyPresses = 2;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The argument text that follows `at` (skipping blanks), up to the next blank, ';' or '/'.
std::string_view TokenAfter(std::string_view text, std::size_t at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    std::size_t end = at;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != ';' && text[end] != '/') ++end;
    return text.substr(at, end - at);
}

// True when `token` cannot be a number above `limit` for the host: no digit at all (the host
// reads no number from it), or a plain number within the limit.
bool NumberWithin(std::string_view token, double limit) {
    if (token.find_first_of("0123456789") == std::string_view::npos) return true;
    const std::string text(token);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && value >= 0.0 && value <= limit;
}

std::size_t CountOf(std::string_view text, std::string_view word) {
    std::size_t count = 0;
    for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) ++count;
    return count;
}

// Decides whether an input is cheap and stays inside the scratch folder. Double quotes only
// group characters and are dropped from the words, so every word the console forms (also
// the words of a bind's command, run later) is a run of the input with its quotes taken
// out: looking at that text finds every command name however it is quoted.
bool IsCheapAndConfined(std::string_view input) {
    std::string unquoted;
    for (char c : input)
        if (c != '"') unquoted += c;
    const std::string_view text = unquoted;
    // sim_file and sim_dir create files and folders at any path the input names, absolute
    // or with "..", outside the scratch folder; the workshop tree they would make is made
    // once at start instead.
    // sim_frame and sim_render (sim_render_do too) draw the settings page or run lines on
    // another thread: each costs a Dear ImGui context with its font atlas or a thread per
    // host, several times a whole plain input, and sim_render draws at a wall-time rate, so
    // what an input does would depend on the machine's load. The page has its own tests.
    for (std::string_view skipped : {"sim_file", "sim_dir", "sim_frame", "sim_render"})
        if (text.find(skipped) != std::string_view::npos) return false;
    for (std::size_t at = text.find("sim_wait"); at != std::string_view::npos; at = text.find("sim_wait", at + 1))
        if (!NumberWithin(TokenAfter(text, at + 8), kMaxWaitSeconds)) return false;
    return CountOf(text, "sim_key") <= kMaxKeyPresses;
}

// A workshop folder for inputs to point at (relative to the working folder): a map, a
// sub-folder without one, a file in place of a sub-folder.
void MakeWorkshopTree() {
    namespace fs = std::filesystem;
    fs::create_directories("maps/Arena");
    fs::create_directories("maps/Empty");
    std::ofstream("maps/Arena/Arena.upk");
    std::ofstream("maps/Notes.txt");
}

void CheckLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.rfind("Exception in plug-in code", 0) == 0)
            fuzz::Fail("an exception left plug-in code: " + fuzz::Shown(line));
        if (line.rfind("Stopped running timers", 0) == 0)
            fuzz::Fail("a callback keeps rescheduling itself: " + fuzz::Shown(line));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratch = new fuzz::ScratchFolder(); // released at exit, removing the folder
    std::atexit([] { delete scratch; });
    fuzz::InsideFolder inside(scratch->work());
    MakeWorkshopTree();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return -1;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (!IsCheapAndConfined(input)) return -1;

    fuzz::InsideFolder inside(scratch->work());
    std::error_code ignored;
    std::filesystem::remove_all(scratch->home(), ignored);
    std::vector<std::string> printed; // every line after the load, also those a clear drops
    fuzz::PluginHost host(scratch->home());
    host->SetLineSink([&printed](const sim::ConsoleLine& line) { printed.push_back(line.text); });

    if (input.substr(0, kCfgHeader.size()) == kCfgHeader) {
        const std::filesystem::path file = scratch->path() / "input.cfg";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << input.substr(kCfgHeader.size());
        host->Advance(1.0); // the plug-in's own delayed load has run
        host->LoadCfg(file);
        host->Step();
    } else {
        while (!input.empty()) {
            const std::size_t end = input.find('\n');
            host->RunLine(std::string(input.substr(0, end)));
            host->Step();
            input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        }
    }

    host.Unload(); // no other thread prints from here on
    CheckLines(fuzz::LineTexts(*host));
    CheckLines(printed);
    return 0;
}
