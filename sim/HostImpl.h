// The simulated host's state, shared by the files of sim/. Not part of the host interface:
// the plug-in never includes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/Host.h"
#include "host/Mutex.h"
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
    bool wholeNumbers = false; // numeric, with a whole default and whole bounds
    std::vector<VariableCallback> callbacks;

    bool IsNumeric() const { return hasMin || hasMax; }
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
    bool counted; // shows in PendingTimers (the match clock does not)
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
    std::string detail; // pack code or workshop path
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

// Work handed to plug-in threads (host/BackgroundWork.h). NoteJobScheduled counts a new
// timer or job and wakes a waiting host; WaitForBackgroundWork returns false at once when
// no work is pending, else waits until none is or a job was scheduled after `jobsSeen`
// (read with JobsScheduled while the host's `mutex` was held), and returns true.
std::uint64_t NoteJobScheduled();
std::uint64_t JobsScheduled();
bool WaitForBackgroundWork(std::uint64_t jobsSeen);

// The party leader id the player's PRI reports for a party state.
std::string PartyLeaderId(Party party);

struct ImGuiContextDeleter {
    void operator()(ImGuiContext* context) const;
};

// The host's rendering thread: draws the settings page continuously and runs the console
// lines handed to it between two frames. `thread` is started and joined on the game thread.
struct RenderThread {
    std::thread thread;
    Mutex mutex;
    CondVar wake;                                    // a change of any field below
    std::deque<std::string> lines GUARDED_BY(mutex); // handed over, not run yet
    int framesWanted GUARDED_BY(mutex) = 0;          // frames asked for by sim_frame
    int framesDrawn GUARDED_BY(mutex) = 0;           // frames drawn since the thread started
    bool stopping GUARDED_BY(mutex) = false;
    double framesPerSecond GUARDED_BY(mutex) = 60.0;
};

// The host's state. The two threads and what runs on each are described in README.md
// ("Threads"); this is what each lock guards and which thread may do what.
//
// Locks, taken in this order (a thread that holds one never waits for an earlier one):
//   pageLifetime  held shared while the page is drawn or a handed line runs (plug-in code
//                 runs under it), exclusively while the page is shown or hidden at load and
//                 unload: the plug-in never goes while its page is being drawn.
//   drawMutex     one frame at a time, whichever thread draws; guards the Dear ImGui context.
//   mutex         the console, the clock's queue, hooks, the game model, binds, toasts and
//                 the plug-in record. Held only to read or change them, never while plug-in
//                 code, a host command or the line sink runs.
//   outputMutex   the printed lines and the sink; the sink runs under it, so lines come out
//                 whole and in order.
//   bindsFileMutex (one write of the binds file at a time) is taken before `mutex`, and
//   RenderThread::mutex is never held with another lock.
//
// Who calls what:
//   - The game thread (the one that runs console input, Step and Advance) alone loads,
//     unloads and reloads the plug-in, starts and stops the rendering thread and hands it
//     lines or frames, and moves the game and the clock. Host commands that do so run there:
//     asked for on the rendering side, they are handed over and run at its next step
//     (HostCommands.cpp). The fields marked "game thread" are used there without a lock.
//   - The rendering side (onRenderSide) is the host's rendering thread, a thread of its own
//     for one handed line or a few frames, or whichever thread calls DrawSettingsFrames or
//     DrawSettingsPage; it draws the page and runs what the page asks.
//   - Everything else (RunLine, the wrappers, Print, the queries, help) may be used from
//     both at once.
//   - Host::Lines() and Host::Toasts() hand out references: tests use them while no other
//     thread prints or shows toasts.
struct Host::Impl {
    Impl(Host& owner, HostOptions hostOptions);

    Host& host;
    HostOptions options;

    mutable Mutex mutex;
    mutable Mutex outputMutex;
    // Guards the plug-in object's lifetime rather than a field: held shared while the page
    // is drawn or a handed line runs, alone while the plug-in is loaded or unloaded.
    SharedMutex pageLifetime;

    // ---- Output
    std::function<void(const ConsoleLine&)> sink GUARDED_BY(outputMutex);
    std::vector<ConsoleLine> lines GUARDED_BY(outputMutex);
    std::size_t clears GUARDED_BY(outputMutex) = 0;
    void Print(std::string text) EXCLUDES(outputMutex);

    // ---- Plug-in. Changed on the game thread only; its settings window is set and cleared
    // with pageLifetime also held exclusively, so a frame sees one window from start to end.
    std::optional<LoadedPlugin> plugin GUARDED_BY(mutex);
    std::atomic<Key> liveOwner{kHostOwner};                         // the loaded plug-in's owner id, for handle checks
    BakkesMod::Plugin::GetPluginFunction lastGetPlugin = nullptr;   // game thread
    BakkesMod::Plugin::DeletePluginFunction lastDeleteMe = nullptr; // game thread
    static thread_local int pluginDepth;                            // > 0 while plug-in code is on this thread's stack
    static thread_local bool onRenderSide;                          // this thread draws the page or runs a handed line

    bool IsLive(Key owner) const { return owner != kHostOwner && liveOwner.load() == owner; }
    void DropRegistrationsOf(Key owner) EXCLUDES(mutex);
    // The plug-in's settings page, or nullptr; stays valid while pageLifetime is held.
    BakkesMod::Plugin::PluginSettingsWindow* PageWindow() const EXCLUDES(mutex);

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
    std::map<std::string, Variable> variables GUARDED_BY(mutex); // by name
    std::map<Key, std::string> variableNames GUARDED_BY(mutex);  // by key
    std::set<std::string> refusedNames GUARDED_BY(mutex);
    std::vector<CvarRegistration> cvarRegistrations GUARDED_BY(mutex);
    std::vector<NotifierRegistration> notifierRegistrations GUARDED_BY(mutex);
    std::map<std::string, Notifier> notifiers GUARDED_BY(mutex);
    std::map<std::string, std::string> binds GUARDED_BY(mutex);
    Mutex bindsFileMutex; // one write of the binds file at a time
    void SaveBinds() EXCLUDES(bindsFileMutex, mutex);
    void LoadBinds() EXCLUDES(mutex);
    static thread_local int commandDepth;   // nesting of RunLine on this thread
    std::atomic<bool> quitRequested{false}; // quit or exit ran

    Variable* FindVariableLocked(Key key) REQUIRES(mutex); // the pointer is valid while mutex is held
    CVarWrapper RegisterVariable(Key owner, const std::string& name, const std::string& defaultValue,
                                 const std::string& description, bool hasMin, float min, bool hasMax, float max)
        EXCLUDES(mutex);
    void SetVariable(Key key, const std::string& text) EXCLUDES(mutex);
    void RunCommand(const Command& command) EXCLUDES(mutex);
    bool RunHostCommand(const Command& command) EXCLUDES(mutex); // false when no host command has that name

    // ---- Clock (`now` is an atomic, read without a lock for time stamps)
    std::atomic<double> now{0.0};
    // Scripts and tests: before the clock moves on or a step returns, work handed to the
    // plug-in's threads lands. Off in the window and at the prompt, which follow wall time.
    std::atomic<bool> waitForBackgroundWork{true};
    Key nextTimerSequence GUARDED_BY(mutex) = 0;
    std::map<std::pair<double, Key>, Timer> timers GUARDED_BY(mutex); // by due time, then scheduling order
    void Schedule(Key owner, double seconds, std::function<void()> run, bool counted = true) EXCLUDES(mutex);
    void ScheduleLocked(Key owner, double seconds, std::function<void()> run, bool counted = true) REQUIRES(mutex);
    void SchedulePluginCallback(Key owner, std::function<void(GameWrapper*)> callback, float seconds) EXCLUDES(mutex);
    void RunDueUpTo(double limit) EXCLUDES(mutex);
    // Runs `line` as console input on the game thread at its next step (used for commands
    // that change the game or the plug-in's lifetime when they come from the rendering side).
    void HandToGameThread(std::string line) EXCLUDES(mutex);

    // ---- Hooks
    std::vector<Hook> hooks GUARDED_BY(mutex);        // registration order
    std::uint64_t hooksRemoved GUARDED_BY(mutex) = 0; // grows whenever a hook is removed
    void FireHook(const std::string& event) EXCLUDES(mutex);

    // ---- Game
    Game game GUARDED_BY(mutex);
    bool searching GUARDED_BY(mutex) = false;
    Party party GUARDED_BY(mutex) = Party::None;
    std::optional<double> mmrDelay GUARDED_BY(mutex);
    std::optional<std::string> uiLanguage GUARDED_BY(mutex);
    std::map<Key, MmrNotifier> mmrNotifiers GUARDED_BY(mutex); // by token id, which grows with registration
    const Key controllerKey = NewKey();
    const Key priKey = NewKey();
    const Key matchmakingKey = NewKey();
    std::deque<bool> controllerAnswers GUARDED_BY(mutex);
    std::deque<bool> priAnswers GUARDED_BY(mutex);
    std::vector<ToastRecord> toasts GUARDED_BY(mutex);
    std::map<std::string, std::string> toastTextures GUARDED_BY(mutex);

    Key CurrentServerKey() const EXCLUDES(mutex);
    void LeaveGame() EXCLUDES(mutex);
    void EnterGame(Game next, const std::string& line) EXCLUDES(mutex);
    void ScheduleMatchClock(Key serverKey) EXCLUDES(mutex);
    void ScheduleMatchClockLocked(Key serverKey) REQUIRES(mutex);

    // ---- Settings page (drawn on the rendering side)
    Mutex drawMutex;
    std::unique_ptr<ImGuiContext, ImGuiContextDeleter> imgui GUARDED_BY(drawMutex);
    RenderThread render;
    bool renderRunning = false;                                 // game thread
    void DrawFramesHere(int frames) EXCLUDES(drawMutex, mutex); // on the calling thread, as the rendering side
    void RenderLoop() EXCLUDES(render.mutex);
    void StartRendering(double framesPerSecond) EXCLUDES(render.mutex);
    void StopRendering() EXCLUDES(render.mutex); // runs the lines still handed over, then joins
    void RunOnRenderSide(const std::string& line);
    void HandToRenderThread(std::string line) EXCLUDES(render.mutex);
    void DrawFramesOnRenderThread(int frames) EXCLUDES(render.mutex);
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
