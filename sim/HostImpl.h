// The simulated host's state, shared by the files of sim/. Not part of the host interface:
// the plug-in never includes it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <shared_mutex>
#include <string>
#include <thread>
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

// Callbacks are held through shared pointers, so a thread can take a copy under the host's
// lock cheaply and run it after letting the lock go.
using VariableCallback = std::shared_ptr<const std::function<void(std::string, CVarWrapper)>>;
using NotifierCallback = std::shared_ptr<const std::function<void(std::vector<std::string>)>>;
using HookCallback = std::shared_ptr<const std::function<void(std::string)>>;

struct Variable {
    Key key;
    Key owner;
    std::string name, value, description;
    bool hasMin = false, hasMax = false;
    float min = 0.0f, max = 0.0f;
    std::vector<VariableCallback> callbacks;
};

struct Notifier {
    Key owner;
    NotifierCallback callback;
    std::string description;
};

struct Hook {
    Key id;
    Key owner;
    std::string event;
    HookCallback callback;
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

// The commands of one console line, as the grammar splits them.
std::vector<Command> ParseConsoleLine(const std::string& line);

// Lines of a text file without their line ends (LF or CRLF), a UTF-8 byte-order mark at
// its start left out; nullopt when the file cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& file);

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

// The host's rendering thread: draws the settings page continuously and runs the console
// lines handed to it between two frames.
struct RenderThread {
    std::thread thread;
    std::mutex mutex;                            // guards the fields below
    std::condition_variable wake;
    std::deque<std::string> lines;               // handed over, not run yet
    int framesWanted = 0;                        // frames asked for by sim_frame
    int framesDrawn = 0;                         // frames drawn since the thread started
    bool stopping = false;
    double framesPerSecond = 60.0;
};

// Threads. The game thread runs console input, the clock, timers, jobs and hooks; the
// rendering side (the host's rendering thread, a thread running a handed line, or the
// window's main thread while it draws the page) draws the page and runs what the page asks.
//   - `mutex` guards the console, the clock's queue, hooks, the game model, binds and
//     toasts. It is held only to read or change them, never while plug-in code, a host
//     command or the line sink runs, so plug-in code may call back into the host freely.
//   - `outputMutex` guards the printed lines and the sink; the sink runs under it, so lines
//     come out whole and in order.
//   - `pageLifetime` is held shared while the page is drawn or a handed line runs, and
//     exclusively while the plug-in is loaded or unloaded: the plug-in never goes while its
//     page is being drawn.
// Lock order: pageLifetime, then mutex, then outputMutex.
struct Host::Impl {
    Impl(Host& host, HostOptions options);

    Host& host;
    HostOptions options;

    mutable std::mutex mutex;
    mutable std::mutex outputMutex;
    std::shared_mutex pageLifetime;

    // ---- Output (outputMutex)
    std::function<void(const ConsoleLine&)> sink;
    std::vector<ConsoleLine> lines;
    void Print(std::string text);

    // ---- Plug-in (changed only on the game thread with pageLifetime held exclusively)
    std::optional<LoadedPlugin> plugin;
    std::atomic<Key> liveOwner{kHostOwner};      // the loaded plug-in's owner id, for handle checks
    BakkesMod::Plugin::GetPluginFunction lastGetPlugin = nullptr;
    BakkesMod::Plugin::DeletePluginFunction lastDeleteMe = nullptr;
    static thread_local int pluginDepth;         // > 0 while plug-in code is on this thread's stack
    static thread_local bool onRenderSide;       // this thread draws the page or runs a handed line

    bool IsLive(Key owner) const { return owner != kHostOwner && liveOwner.load() == owner; }
    void DropRegistrationsOf(Key owner);         // takes mutex

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

    // ---- Console (mutex)
    std::map<std::string, Variable> variables;   // by name
    std::map<Key, std::string> variableNames;     // by key
    std::set<std::string> refusedNames;
    std::map<std::string, Notifier> notifiers;
    std::map<std::string, std::string> binds;
    std::mutex bindsFileMutex;                   // one write of the binds file at a time
    void SaveBinds();                            // without mutex held
    void LoadBinds();
    static thread_local int commandDepth;        // nesting of RunLine on this thread

    Variable* FindVariableLocked(Key key);       // mutex held; the pointer is valid while it is
    CVarWrapper RegisterVariable(Key owner, const std::string& name, const std::string& defaultValue,
                                 const std::string& description, bool hasMin, float min, bool hasMax, float max);
    void SetVariable(Key key, const std::string& text);
    void RunCommand(const Command& command);
    bool RunHostCommand(const Command& command);  // false when no host command has that name

    // ---- Clock (mutex, but `now` is read without it for time stamps)
    std::atomic<double> now{0.0};
    Key nextTimerSequence = 0;
    std::map<std::pair<double, Key>, Timer> timers; // by due time, then scheduling order
    void Schedule(Key owner, double seconds, std::function<void()> run, bool counted = true);
    void ScheduleLocked(Key owner, double seconds, std::function<void()> run, bool counted = true);
    void SchedulePluginCallback(Key owner, std::function<void(GameWrapper*)> callback, float seconds);
    void RunDueUpTo(double limit);
    // Runs `line` as console input on the game thread at its next step (used for commands
    // that change the game or the plug-in's lifetime when they come from the rendering side).
    void HandToGameThread(std::string line);

    // ---- Hooks (mutex)
    std::vector<Hook> hooks;                     // registration order
    std::uint64_t hooksRemoved = 0;              // grows whenever a hook is removed
    void FireHook(const std::string& event);

    // ---- Game (mutex)
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

    Key CurrentServerKey() const;
    void LeaveGame();
    void EnterGame(Game next, const std::string& line);
    void ScheduleMatchClock(Key serverKey);
    void ScheduleMatchClockLocked(Key serverKey);

    // ---- Settings page (drawn on the rendering side only, one thread at a time)
    std::unique_ptr<ImGuiContext, ImGuiContextDeleter> imgui;
    std::mutex drawMutex;                        // one frame at a time, whichever thread draws
    RenderThread render;
    bool renderRunning = false;                  // game thread only
    void DrawFramesHere(int frames);             // on the calling thread, as the rendering side
    void RenderLoop();
    void StartRendering(double framesPerSecond);
    void StopRendering();                        // runs the lines still handed over, then joins
    void RunOnRenderSide(const std::string& line);
    void HandToRenderThread(std::string line);
    void DrawFramesOnRenderThread(int frames);
};

// Marks the calling thread as the rendering side while it lives.
class RenderSideScope {
public:
    RenderSideScope() : previous(Host::Impl::onRenderSide) { Host::Impl::onRenderSide = true; }
    ~RenderSideScope() { Host::Impl::onRenderSide = previous; }
    RenderSideScope(const RenderSideScope&) = delete;
    RenderSideScope& operator=(const RenderSideScope&) = delete;

private:
    bool previous;
};

// The live host's state, or nullptr when no host exists.
Host::Impl* CurrentImpl();
// The live host's state when `owner` is the loaded plug-in, else nullptr.
Host::Impl* ImplFor(Key owner);

} // namespace sim
