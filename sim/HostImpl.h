// The simulated host's state, shared by the files of sim/. Not part of the host interface:
// the plug-in never includes it.
#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/Host.h"
#include "sim/Host.h"

struct ImGuiContext;

namespace sim {

using Key = std::uint64_t;

// Every handle key and owner id comes from one process-wide sequence, so a handle kept from
// an earlier object (or an earlier host) never names a later one.
Key NewKey();

// Owner of the host's own timers (match clock, delayed MMR reports); never a plug-in.
constexpr Key kHostOwner = 0;

namespace hooks {
inline constexpr const char* kGameTimeUpdated = "Function TAGame.GameEvent_Soccar_TA.OnGameTimeUpdated";
inline constexpr const char* kInputSystemStarted = "Function Engine.PlayerInput.InitInputSystem";
inline constexpr const char* kMatchEnded = "Function TAGame.GameEvent_Soccar_TA.EventMatchEnded";
inline constexpr const char* kGameDestroyed = "Function TAGame.GameEvent_TA.Destroyed";
inline constexpr const char* kDisconnected = "Function Engine.PlayerController.NotifyDisconnect";
inline constexpr const char* kMatchWinnerSet = "Function TAGame.GameEvent_Soccar_TA.OnMatchWinnerSet";
} // namespace hooks

struct Variable {
    Key key;
    Key owner;
    std::string name, value, description;
    bool hasMin = false, hasMax = false;
    float min = 0.0f, max = 0.0f;
    std::vector<std::function<void(std::string, CVarWrapper)>> callbacks;
};

struct Notifier {
    Key owner;
    std::function<void(std::vector<std::string>)> callback;
    std::string description;
};

struct Hook {
    Key id;
    Key owner;
    std::string event;
    std::function<void(std::string)> callback;
};

struct Timer {
    Key owner;
    bool counted;                                // shows in PendingTimers (the match clock does not)
    std::function<void()> run;
};

struct MmrNotifier {
    Key owner;
    std::function<void(UniqueIDWrapper)> callback;
};

// The game the player is in. Keys are fresh for every game entered, so handles to a game
// that was left resolve to nothing.
struct Game {
    Place place = Place::Menu;
    Key serverKey = 0, playlistKey = 0, winnerKey = 0;
    int playlistId = -1;
    std::string detail;                          // pack code or workshop path
    bool ended = false;
    std::optional<unsigned char> winner;
};

struct LoadedPlugin {
    Key owner;
    BakkesMod::Plugin::BakkesModPlugin* object;
    BakkesMod::Plugin::PluginSettingsWindow* window;
    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
};

// A console command as typed: its text (trimmed) and its words.
struct Command {
    std::string text;
    std::vector<std::string> words;
};

// The command's text after its name and the blanks that follow, as "load_workshop" and
// "sim_file" read their path; one pair of surrounding quotes is taken off.
std::string RestAfterName(const Command& command);

// Value helpers of console variables: the leading number of a text (0 when none), a
// truncation that saturates at the int range, and the shortest text of a float.
double ReadNumber(const std::string& text);
int TruncateToInt(double value);
std::string NumberText(float value);

// The party leader id the player's PRI reports for a party state.
std::string PartyLeaderId(Party party);

struct ImGuiContextDeleter {
    void operator()(ImGuiContext* context) const;
};

struct Host::Impl {
    Impl(Host& host, HostOptions options);

    Host& host;
    HostOptions options;

    // ---- Output
    std::function<void(const ConsoleLine&)> sink;
    std::vector<ConsoleLine> lines;
    void Print(std::string text);

    // ---- Plug-in
    std::optional<LoadedPlugin> plugin;
    BakkesMod::Plugin::GetPluginFunction lastGetPlugin = nullptr;
    BakkesMod::Plugin::DeletePluginFunction lastDeleteMe = nullptr;
    int pluginDepth = 0;                         // > 0 while plug-in code is on the stack

    bool IsLive(Key owner) const { return plugin && owner != kHostOwner && plugin->owner == owner; }
    void DropRegistrationsOf(Key owner);

    // Runs plug-in code; an exception becomes one console line and the host goes on.
    template <class F>
    void CallPlugin(F&& code) noexcept {
        ++pluginDepth;
        try {
            code();
        } catch (const std::exception& error) {
            ReportPluginException(error.what());
        } catch (...) {
            ReportPluginException("unknown exception");
        }
        --pluginDepth;
    }
    void ReportPluginException(const char* what) noexcept;

    // ---- Console
    std::map<std::string, Variable> variables;   // by name
    std::map<Key, std::string> variableNames;     // by key
    std::set<std::string> refusedNames;
    std::map<std::string, Notifier> notifiers;
    std::map<std::string, std::string> binds;
    int commandDepth = 0;

    Variable* FindVariable(Key key);
    CVarWrapper RegisterVariable(Key owner, const std::string& name, const std::string& defaultValue,
                                 const std::string& description, bool hasMin, float min, bool hasMax, float max);
    void SetVariable(Key key, const std::string& text);
    void RunCommand(const Command& command);
    bool RunHostCommand(const Command& command);  // false when no host command has that name

    // ---- Clock
    double now = 0.0;
    Key nextTimerSequence = 0;
    std::map<std::pair<double, Key>, Timer> timers; // by due time, then scheduling order
    void Schedule(Key owner, double seconds, std::function<void()> run, bool counted = true);
    void SchedulePluginCallback(std::function<void(GameWrapper*)> callback, float seconds);
    void RunDueUpTo(double limit);

    // ---- Hooks
    std::vector<Hook> hooks;                     // registration order
    void FireHook(const std::string& event);

    // ---- Game
    Game game;
    bool searching = false;
    Party party = Party::None;
    std::optional<double> mmrDelay;
    std::optional<std::string> uiLanguage;
    std::map<Key, MmrNotifier> mmrNotifiers;      // by token id, which grows with registration
    const Key controllerKey = NewKey();
    const Key priKey = NewKey();
    const Key matchmakingKey = NewKey();
    std::deque<bool> controllerAnswers, priAnswers;
    std::vector<ToastRecord> toasts;
    std::map<std::string, std::string> toastTextures;

    void LeaveGame();
    void EnterGame(Game next, const std::string& line);
    void ScheduleMatchClock(Key serverKey);

    // ---- Settings page
    std::unique_ptr<ImGuiContext, ImGuiContextDeleter> imgui;
};

// The live host's state, or nullptr when no host exists.
Host::Impl* CurrentImpl();
// The live host's state when `owner` is the loaded plug-in, else nullptr.
Host::Impl* ImplFor(Key owner);

} // namespace sim
