// The host's own console commands.
#include <charconv>
#include <cmath>
#include <fstream>
#include <unordered_map>

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

void Bind(Host&, Host::Impl& d, const Command& command) {
    if (command.words.size() < 3) return d.Print("bind: expected a key and a command");
    d.binds[command.words[1]] = JoinWords(command, 2);
}

void Unbind(Host&, Host::Impl& d, const Command& command) {
    if (command.words.size() < 2) return d.Print("unbind: expected a key");
    d.binds.erase(command.words[1]);
}

void PressKey(Host& host, Host::Impl& d, const Command& command) {
    if (command.words.size() < 2) return d.Print("sim_key: expected a key");
    host.PressKey(command.words[1]);
}

void LoadFreePlay(Host& host, Host::Impl&, const Command&) { host.EnterFreePlay(); }

void LoadTraining(Host& host, Host::Impl& d, const Command& command) {
    if (command.words.size() < 2) return d.Print("load_training: expected a pack code");
    host.EnterTraining(command.words[1]);
}

void LoadWorkshop(Host& host, Host::Impl& d, const Command& command) {
    const std::string path = RestAfterName(command);
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
    host.DrawSettingsFrames(*frames);
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

const std::unordered_map<std::string, HostCommand>& Commands() {
    static const std::unordered_map<std::string, HostCommand> commands = {
        {"bind", Bind},
        {"unbind", Unbind},
        {"sim_key", PressKey},
        {"load_freeplay", LoadFreePlay},
        {"load_training", LoadTraining},
        {"load_workshop", LoadWorkshop},
        {"queue", Queue},
        {"sim_match", SimMatch},
        {"sim_end", SimEnd},
        {"sim_mmr", SimMmr},
        {"sim_mmr_delay", SimMmrDelay},
        {"sim_party", SimParty},
        {"sim_menu", SimMenu},
        {"sim_disconnect", SimDisconnect},
        {"sim_language", SimLanguage},
        {"sim_wait", SimWait},
        {"sim_reload", SimReload},
        {"sim_frame", SimFrame},
        {"sim_status", SimStatus},
        {"sim_file", SimFile},
        {"sim_dir", SimDir},
    };
    return commands;
}

} // namespace

bool Host::Impl::RunHostCommand(const Command& command) {
    auto found = Commands().find(command.words.front());
    if (found == Commands().end()) return false;
    found->second(host, *this, command);
    return true;
}

} // namespace sim
