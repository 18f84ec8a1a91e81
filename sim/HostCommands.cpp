// The host's own console commands.
#include <charconv>
#include <cmath>
#include <fstream>
#include <set>
#include <vector>

#include "sim/HostHelp.h"
#include "sim/HostImpl.h"

namespace sim {

namespace {

template <class Integer>
std::optional<Integer> ParseInteger(const std::string& text) {
    Integer value{};
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseSeconds(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || value < 0.0) return std::nullopt;
    return value;
}

const std::string* Argument(const Command& command, std::size_t index) {
    return index < command.words.size() ? &command.words[index] : nullptr;
}

std::string JoinWords(const Command& command, std::size_t first) {
    std::string joined;
    for (std::size_t i = first; i < command.words.size(); ++i) {
        if (!joined.empty()) joined += ' ';
        joined += command.words[i];
    }
    return joined;
}

using HostCommand = void (*)(Host&, Host::Impl&, const Command&);

void ShowBind(Host::Impl& d, const std::string& key) {
    std::string shown;
    {
        MutexLock lock(d.mutex);
        const auto bind = d.binds.find(key);
        shown = bind == d.binds.end() ? "No bind for key " + EscapeControls(key)
                                      : EscapeControls(key) + " is bound to \"" + EscapeControls(bind->second) + "\"";
    }
    d.Print(std::move(shown));
}

void Bind(Host&, Host::Impl& d, const Command& command) {
    if (command.words.size() < 2) return d.Print("bind: expected a key and a command, or a key alone to show its bind");
    if (command.words.size() == 2) return ShowBind(d, command.words[1]);
    {
        MutexLock lock(d.mutex);
        d.binds[command.words[1]] = JoinWords(command, 2);
    }
    d.SaveBinds();
}

void Unbind(Host&, Host::Impl& d, const Command& command) {
    if (command.words.size() < 2) return d.Print("unbind: expected a key");
    {
        MutexLock lock(d.mutex);
        if (d.binds.erase(command.words[1]) == 0) {
            lock.Unlock();
            return d.Print("No bind for key " + EscapeControls(command.words[1]));
        }
    }
    d.SaveBinds();
}

void PressKey(Host& host, Host::Impl& d, const Command& command) {
    if (command.words.size() < 2) return d.Print("sim_key: expected a key");
    const std::string& key = command.words[1];
    bool bound = false;
    {
        MutexLock lock(d.mutex);
        bound = d.binds.count(key) != 0;
    }
    // A bind under any name still runs: the plug-in may bind what it likes.
    if (!bound && !IsGameKeyName(key))
        return d.Print("sim_key: no key is named " + EscapeControls(key) +
                       " (the game's names: F5, A, Zero, SpaceBar, ...)");
    host.PressKey(key);
}

void Quit(Host&, Host::Impl& d, const Command&) { d.quitRequested = true; }

void Clear(Host& host, Host::Impl&, const Command&) { host.ClearLines(); }

void LoadFreePlay(Host& host, Host::Impl&, const Command&) { host.EnterFreePlay(); }

void LoadTraining(Host& host, Host::Impl& d, const Command& command) {
    if (command.words.size() < 2) return d.Print("load_training: expected a pack code");
    host.EnterTraining(command.words[1]);
}

// The path is everything after the first blank, exactly as written (leading blanks and
// quotes included): a folder whose name starts with a blank still names its map.
std::string RestAfterFirstBlank(const std::string& text) {
    const std::size_t blank = text.find_first_of(" \t");
    return blank == std::string::npos ? std::string() : text.substr(blank + 1);
}

void LoadWorkshop(Host& host, Host::Impl& d, const Command& command) {
    const std::string path = RestAfterFirstBlank(command.text);
    if (path.empty()) return d.Print("load_workshop: expected a map path");
    host.EnterWorkshop(path);
}

void Queue(Host& host, Host::Impl&, const Command&) { host.StartSearch(); }

void SimMatch(Host& host, Host::Impl& d, const Command& command) {
    const std::string* text = Argument(command, 1);
    const auto id = text ? ParseInteger<int>(*text) : std::nullopt;
    if (!id) return d.Print("sim_match: expected a playlist id");
    host.StartMatch(*id);
}

void SimEnd(Host& host, Host::Impl& d, const Command& command) {
    const std::string* text = Argument(command, 1);
    const auto team = text ? ParseInteger<unsigned char>(*text) : std::nullopt;
    if (!team) return d.Print("sim_end: expected a team number from 0 to 255");
    host.EndMatch(*team);
}

void SimMmr(Host& host, Host::Impl&, const Command& command) {
    const std::string* id = Argument(command, 1);
    host.ReportMmr(id ? std::optional<std::string>(*id) : std::nullopt);
}

void SimMmrDelay(Host& host, Host::Impl& d, const Command& command) {
    const std::string* text = Argument(command, 1);
    if (text && *text == "off") return host.SetMmrDelay(std::nullopt);
    const auto seconds = text ? ParseSeconds(*text) : std::nullopt;
    if (!seconds) return d.Print("sim_mmr_delay: expected a number of seconds or off");
    host.SetMmrDelay(seconds);
}

void SimParty(Host& host, Host::Impl& d, const Command& command) {
    const std::string* text = Argument(command, 1);
    if (text && *text == "none") return host.SetParty(Party::None);
    if (text && *text == "leader") return host.SetParty(Party::Leader);
    if (text && *text == "member") return host.SetParty(Party::Member);
    d.Print("sim_party: expected none, leader or member");
}

void SimMenu(Host& host, Host::Impl&, const Command&) { host.GoToMenu(); }
void SimDisconnect(Host& host, Host::Impl&, const Command&) { host.Disconnect(); }

void SimLanguage(Host& host, Host::Impl& d, const Command& command) {
    const std::string* code = Argument(command, 1);
    if (!code || code->empty()) return d.Print("sim_language: expected a language code or none");
    host.SetUiLanguage(*code == "none" ? std::nullopt : std::optional<std::string>(*code));
}

void SimWait(Host& host, Host::Impl& d, const Command& command) {
    const std::string* text = Argument(command, 1);
    const auto seconds = text ? ParseSeconds(*text) : std::nullopt;
    if (!seconds) return d.Print("sim_wait: expected a number of seconds");
    host.Advance(*seconds);
}

void SimReload(Host& host, Host::Impl& d, const Command&) {
    // Unloading under the plug-in's own running code would destroy it mid-call: wait for the
    // next step instead.
    if (d.pluginDepth > 0) return d.Schedule(kHostOwner, 0.0, [&host] { host.ReloadPlugin(); });
    host.ReloadPlugin();
}

void SimFrame(Host& host, Host::Impl& d, const Command& command) {
    const std::string* text = Argument(command, 1);
    const auto frames = text ? ParseInteger<int>(*text) : std::optional<int>(1);
    if (!frames || *frames < 0) return d.Print("sim_frame: expected a number of frames");
    host.DrawFramesOnRenderThread(*frames);
}

void SimRender(Host& host, Host::Impl& d, const Command& command) {
    const std::string* mode = Argument(command, 1);
    if (mode && *mode == "off" && command.words.size() == 2) return host.StopRendering();
    if (mode && *mode == "on" && command.words.size() <= 3) {
        const std::string* rateText = Argument(command, 2);
        const auto rate = rateText ? ParseSeconds(*rateText) : std::optional<double>(60.0);
        if (rate && *rate >= 1.0 && *rate <= 1000.0) return host.StartRendering(*rate);
    }
    d.Print("sim_render: expected on [FRAMES PER SECOND from 1 to 1000] or off");
}

void SimRenderDo(Host& host, Host::Impl& d, const Command& command) {
    std::string line = RestAfterName(command);
    if (line.empty()) return d.Print("sim_render_do: expected a console line");
    host.HandToRenderThread(std::move(line));
}

void SimStatus(Host& host, Host::Impl& d, const Command&) { d.Print(host.Status()); }

void SimFile(Host&, Host::Impl& d, const Command& command) {
    const std::string text = RestAfterName(command);
    if (text.empty()) return d.Print("sim_file: expected a path");
    const std::filesystem::path path = ToFsPath(text);
    std::error_code error;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    if (!std::filesystem::exists(path, error)) std::ofstream created(path);
    if (!std::filesystem::is_regular_file(path, error)) d.Print("sim_file: could not create " + text);
}

void SimDir(Host&, Host::Impl& d, const Command& command) {
    const std::string text = RestAfterName(command);
    if (text.empty()) return d.Print("sim_dir: expected a path");
    const std::filesystem::path path = ToFsPath(text);
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!std::filesystem::is_directory(path, error)) d.Print("sim_dir: could not create " + text);
}

struct HostCommandEntry {
    const char* name;
    HostCommand run;
    const char* arguments; // as help shows them; empty when none
    const char* summary;   // help's one line
};

// Every host command, in the order help lists them: dispatch and help read this one table.
const std::vector<HostCommandEntry>& Commands() {
    static const std::vector<HostCommandEntry> commands = {
        {"help", ShowHelp, "[NAME]", "list the commands and console variables, or describe NAME"},
        {"quit", Quit, "", "end the run (the console, the window, or the script it is in)"},
        {"exit", Quit, "", "the same as quit"},
        {"clear", Clear, "", "empty the window's console (standard output keeps every line)"},
        {"bind", Bind, "KEY [COMMAND...]",
         "run COMMAND... when KEY is pressed (kept in the home folder); KEY alone shows it"},
        {"unbind", Unbind, "KEY", "remove KEY's bind"},
        {"sim_key", PressKey, "KEY", "press KEY, running its bind"},
        {"load_freeplay", LoadFreePlay, "", "leave the current game for free play"},
        {"load_training", LoadTraining, "CODE", "leave the current game for the custom training pack CODE"},
        {"load_workshop", LoadWorkshop, "PATH", "leave the current game for the workshop map file PATH"},
        {"queue", Queue, "", "start the matchmaking search"},
        {"sim_match", SimMatch, "ID", "start an online match in playlist ID (ends a running search)"},
        {"sim_end", SimEnd, "TEAM", "the running match gets its winner, team TEAM, then ends"},
        {"sim_mmr", SimMmr, "[ID]", "report an MMR update of the player (or of the player ID)"},
        {"sim_mmr_delay", SimMmrDelay, "SECONDS|off", "report the player's MMR update SECONDS after each match end"},
        {"sim_party", SimParty, "none|leader|member", "set the player's party"},
        {"sim_menu", SimMenu, "", "leave the current game for the main menu"},
        {"sim_disconnect", SimDisconnect, "", "lose the connection to the game"},
        {"sim_language", SimLanguage, "CODE|none", "the game's language, read at the plug-in's next load"},
        {"sim_wait", SimWait, "SECONDS", "advance the clock, running what falls due in time order"},
        {"sim_reload", SimReload, "", "unload the plug-in and load it again"},
        {"sim_frame", SimFrame, "[N]", "draw the settings page N frames (default 1) without a window"},
        {"sim_render", SimRender, "on [FPS]|off", "draw the settings page on the rendering thread until off"},
        {"sim_render_do", SimRenderDo, "LINE", "run LINE on the rendering thread between two frames"},
        {"sim_status", SimStatus, "", "print where the player is and whether a search runs"},
        {"sim_file", SimFile, "PATH", "create an empty file, with its folders"},
        {"sim_dir", SimDir, "PATH", "create a folder, with its parents"},
    };
    return commands;
}

const HostCommandEntry* FindCommand(const std::string& name) {
    for (const HostCommandEntry& entry : Commands())
        if (name == entry.name) return &entry;
    return nullptr;
}

// Commands that move the game, the clock, the drawing or the plug-in's lifetime: they run
// on the game thread, as in the game, and wait for its next step when asked for elsewhere.
bool BelongsToGameThread(const std::string& name) {
    static const std::set<std::string> names = {"sim_key",    "load_freeplay", "load_training",  "load_workshop",
                                                "queue",      "sim_match",     "sim_end",        "sim_mmr",
                                                "sim_party",  "sim_menu",      "sim_disconnect", "sim_wait",
                                                "sim_reload", "sim_frame",     "sim_render",     "sim_render_do"};
    return names.count(name) != 0;
}

} // namespace

std::vector<HostCommandInfo> HostCommandList() {
    std::vector<HostCommandInfo> list;
    for (const HostCommandEntry& entry : Commands()) list.push_back({entry.name, entry.arguments, entry.summary});
    return list;
}

bool Host::Impl::RunHostCommand(const Command& command) {
    const HostCommandEntry* found = FindCommand(command.words.front());
    if (!found) return false;
    if (onRenderSide && BelongsToGameThread(command.words.front())) {
        HandToGameThread(command.text);
        return true;
    }
    found->run(host, *this, command);
    return true;
}

} // namespace sim
