// The simulated host: the model behind the host interface (host/), driven by the host
// program and by tests. One Host exists at a time per process, as the game does; the host
// interface's wrappers reach it through Host::Current(). The clock is simulated and moves
// only through Advance(). Which thread may call what, and what each lock guards, is said in
// sim/HostImpl.h; README.md ("The simulated host's rules") gives the rules for handles,
// plug-in exceptions, timers, console variables, the console and key binds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/PluginInfo.h"

namespace BakkesMod::Plugin {
class BakkesModPlugin;
class PluginSettingsWindow;
} // namespace BakkesMod::Plugin

namespace sim {

struct HostOptions {
    std::filesystem::path home;                    // GetBakkesModPath(); data/ and cfg/ are created below it
    std::optional<std::string> uiLanguage = "INT"; // nullopt: the game reports no language
};

// One console line as the host printed it.
struct ConsoleLine {
    double time;      // simulated seconds since the host started
    std::string text; // verbatim, without time stamp
};

// One toast as the plug-in showed it.
struct ToastRecord {
    std::string title, text, texture;
    float duration;
    unsigned char kind;
    float width, height;
};

// One registerCvar call as a plug-in made it, whatever the host made of it.
struct CvarRegistration {
    std::string name, defaultValue, description;
    bool searchable = false, hasMin = false;
    float min = 0.0f;
    bool hasMax = false;
    float max = 0.0f;
    bool save = false;
};

// One registerNotifier call as a plug-in made it.
struct NotifierRegistration {
    std::string name, description;
    unsigned char permissions = 0;
};

enum class Party { None, Leader, Member };

enum class Place { Menu, Match, FreePlay, Training, Workshop };

class Host {
public:
    explicit Host(HostOptions options);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    static Host* Current(); // the live host, or nullptr

    // ---- Console output -------------------------------------------------------------
    // Every console line is kept and handed to the sink (if any) as it is printed.
    // Forms: log lines verbatim; echoed commands "> COMMAND"; toasts "toast: TITLE: TEXT";
    // a variable's value "NAME \"VALUE\""; unknown names "Unknown command: NAME", with the
    // name's control characters written as \t, \n, \r or \xNN.
    void SetLineSink(std::function<void(const ConsoleLine&)> sink); // runs on the printing thread
    const std::vector<ConsoleLine>& Lines() const;
    std::size_t LineCount() const;
    std::vector<ConsoleLine> LinesFrom(std::size_t first) const; // a copy
    void ClearLines();                                           // the kept lines only; the sink has had them
    std::size_t ClearCount() const;                              // how often the lines were cleared
    void Print(std::string text);                                // one console line

    // ---- Plug-in ----------------------------------------------------------------------
    // Attaches a plug-in through its two exported functions: getPlugin, fill the handles,
    // onLoad. Returns false (with a console line) when getPlugin gives no object.
    bool LoadPlugin(BakkesMod::Plugin::GetPluginFunction getPlugin, BakkesMod::Plugin::DeletePluginFunction deleteMe);
    // onUnload, deleteMe, then drops every hook, timer, job, notifier, console variable and
    // MMR notifier the plug-in registered. Key binds stay: they belong to the player.
    void UnloadPlugin();
    bool ReloadPlugin(); // UnloadPlugin + LoadPlugin with the same functions
    bool HasPlugin() const;
    BakkesMod::Plugin::BakkesModPlugin* Plugin() const;              // nullptr when none
    BakkesMod::Plugin::PluginSettingsWindow* SettingsWindow() const; // nullptr when none

    // ---- Console input ----------------------------------------------------------------
    void RunLine(const std::string& line);             // the console grammar; no echo
    void RunInput(const std::string& line);            // echoes "> line", runs it, then Step()
    bool RunScript(const std::filesystem::path& file); // RunInput for each line; false if unreadable
    // quit or exit ran (a script line, a bind, a handed line): the script stops there, and
    // the host program runs nothing more.
    bool QuitRequested() const;
    void LoadCfg(const std::filesystem::path& file); // RunLine for each line, no echo

    // ---- Help and completion ----------------------------------------------------------
    // The names a console command can start with: the host's commands, the plug-in's
    // commands and its console variables; sorted, each once.
    std::vector<std::string> CompletionNames() const;
    // What `help` prints, one console line each: every host command, plug-in command and
    // console variable (with its value) when `name` is empty, else the one named.
    std::vector<std::string> HelpLines(const std::string& name = {}) const;

    // ---- Clock --------------------------------------------------------------------------
    double Now() const;
    void Step();                       // runs jobs and timers due now, in order
    void Advance(double seconds);      // moves the clock, running what falls due in time order
    std::size_t PendingTimers() const; // timers and jobs not yet run (all owners)
    // Whether Step and Advance let the plug-in's background work land before the clock moves
    // on or they return (host/BackgroundWork.h). On by default, for scripts and tests; the
    // window and the interactive prompt turn it off, as the game never waits for it.
    void SetWaitForBackgroundWork(bool wait);

    // ---- Game model (the sim_ commands call these) ------------------------------------
    void StartMatch(int playlistId);         // leave the current game, enter an online match
    void EndMatch(unsigned char winnerTeam); // winner set, then match ended
    void ReportMmr(const std::optional<std::string>& playerId = std::nullopt);
    void SetMmrDelay(std::optional<double> seconds);
    void SetParty(Party party);
    void GoToMenu();
    void Disconnect();
    void EnterFreePlay();
    void EnterTraining(const std::string& code);
    bool EnterWorkshop(const std::string& path); // false (with a line) when no such file
    void StartSearch();
    void SetUiLanguage(std::optional<std::string> code);
    void PressKey(const std::string& key);
    std::string Status() const; // "game: WHERE; search: on|off"

    Place CurrentPlace() const;
    bool IsSearching() const;
    std::string PlayerId() const;

    // ---- Settings page ----------------------------------------------------------------
    // Draws the plug-in's settings page `frames` times in a window-less Dear ImGui context,
    // on the calling thread.
    void DrawSettingsFrames(int frames);
    // Calls `draw` with the plug-in's page while the plug-in cannot be unloaded, the calling
    // thread counting as the rendering side; false (and no call) when there is no page.
    bool DrawSettingsPage(const std::function<void(BakkesMod::Plugin::PluginSettingsWindow&)>& draw);

    // ---- Rendering thread -------------------------------------------------------------
    void StartRendering(double framesPerSecond = 60.0); // draws continuously; a new rate if running
    void StopRendering();                               // runs the lines still handed over, stops, waits
    bool IsRendering() const;
    // Runs `line` as console input on the rendering thread between two frames and returns at
    // once; without a rendering thread, on a thread of its own, waiting for it.
    void HandToRenderThread(std::string line);
    // Draws `frames` frames on the rendering thread (or a thread of its own) and waits.
    void DrawFramesOnRenderThread(int frames);

    // ---- Inspection and fault injection for tests -------------------------------------
    const std::vector<ToastRecord>& Toasts() const;
    std::optional<std::string> ToastTexturePath(const std::string& name) const;
    std::vector<std::string> HookedEvents() const; // names with at least one hook
    std::size_t RegistrationCount() const;         // hooks, timers, notifiers, variables, MMR notifiers of the plug-in
    void RefuseCvarName(const std::string& name);  // registerCvar of this name gives an empty handle
    std::vector<CvarRegistration> CvarRegistrations() const;         // every call since the host started
    std::vector<NotifierRegistration> NotifierRegistrations() const; // every call since the host started
    // The next GetPlayerController() / GetPRI() calls answer from these lists
    // (true: present, false: empty), then behave normally again.
    void ScriptLookups(std::vector<bool> controllerAnswers, std::vector<bool> priAnswers);

    std::filesystem::path Home() const;
    std::filesystem::path DataFolder() const;

    struct Impl; // shared with the wrapper implementations
    Impl& impl() { return *d; }

private:
    std::unique_ptr<Impl> d;
};

// Whether the game has a key of this name, as binds name keys: "F5", "A", "Zero", "SpaceBar",
// "NumPadOne", "LeftMouseButton", "XboxTypeS_A", ...
bool IsGameKeyName(const std::string& name);

// Turns a UTF-8 text path (a script's, one the player typed) into a file-system path: a
// backslash counts as a separator.
std::filesystem::path ToFsPath(const std::string& text);

// Turns a file name a plug-in hands the host as narrow text (loadCfg) into a file-system
// path, as the game reads it: through the ANSI code page on Windows, its bytes as they are
// elsewhere. An empty path when the text cannot be read at all.
std::filesystem::path NarrowTextToPath(const std::string& text);

} // namespace sim
