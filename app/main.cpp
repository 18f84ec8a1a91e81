// postplay-host: loads a plug-in library into the simulated game host and runs console
// input from scripts, standard input or a real window.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/ConsoleOutput.h"
#include "app/Options.h"
#include "app/PluginLibrary.h"
#include "app/StdinConsole.h"
#include "app/main.h"
#if !defined(POSTPLAY_NO_WINDOW)
#include "app/Window.h"
#endif
#include "host/PathText.h"
#include "sim/Host.h"

#if defined(POSTPLAY_NO_WINDOW)
// This build has no window: --gui and --screenshot are refused before anything loads.
namespace app {
class Window {
public:
    static std::unique_ptr<Window> Open(bool, int, int, std::string& error) {
        error = "this build of postplay-host has no window (--gui, --screenshot)";
        return nullptr;
    }
    bool SaveScreenshot(sim::Host&, const std::filesystem::path&, std::string&) { return false; }
    void Run(sim::Host&) {}
};
} // namespace app
#endif

namespace {

constexpr int kSuccess = 0;
constexpr int kInternalError = 1;
constexpr int kCannotRun = 2;

int Fail(const std::string& message) {
    std::fprintf(stderr, "postplay-host: %s\n", message.c_str());
    return kCannotRun;
}

// Checked before anything runs, so a typo in a file name costs nothing.
std::string UnreadableScript(const std::vector<std::filesystem::path>& scripts) {
    for (const std::filesystem::path& script : scripts) {
        std::error_code ignored;
        if (std::filesystem::is_directory(script, ignored))
            return "cannot read the script " + PathToUtf8(script) + ": it is a folder";
        std::ifstream file(script);
        if (!file)
            return "cannot read the script " + PathToUtf8(script) + ": " + std::generic_category().message(errno);
    }
    return {};
}

// Finds or creates the host's folder; returns an error text, empty when usable.
std::string PrepareHome(const app::Options& options, std::filesystem::path& home) {
    home = options.home.value_or(app::DefaultHomePath());
    if (home.empty()) return "cannot find a home folder (neither XDG_STATE_HOME nor HOME is set); give --home DIR";
    std::error_code unresolved; // the program works in it, so it must not be relative
    if (std::filesystem::path made = std::filesystem::absolute(home, unresolved); !unresolved) home = std::move(made);
    std::error_code error, ignored;
    std::filesystem::create_directories(home, error);
    if (!std::filesystem::is_directory(home, ignored))
        return "cannot use " + PathToUtf8(home) +
               " as the home folder: " + (error ? error.message() : std::string("it is not a folder"));
    if (!app::CanWriteIn(home))
        return "cannot use " + PathToUtf8(home) + " as the home folder: " + std::generic_category().message(errno);
    return {};
}

// Unloads the plug-in before the host goes, on every way out of RunHost.
class PluginSession {
public:
    explicit PluginSession(sim::Host& host) : host(host) {}
    ~PluginSession() {
        if (host.HasPlugin()) host.UnloadPlugin();
    }
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

private:
    sim::Host& host;
};

struct OpenedPlugin {
    std::filesystem::path path;
    app::PluginLibrary library;
};

int RunHost(const app::Options& options, const OpenedPlugin& plugin, const std::filesystem::path& home,
            app::Window* window) {
    sim::HostOptions hostOptions;
    hostOptions.home = home;
    hostOptions.uiLanguage = options.language;
    sim::Host host(hostOptions);
    host.SetLineSink(&app::PrintLine);
    PluginSession session(host);
    if (!host.LoadPlugin(plugin.library.GetPlugin(), plugin.library.DeleteMe()))
        return Fail("the plug-in library " + PathToUtf8(plugin.path) + " gave no plug-in object");

    for (const std::filesystem::path& script : options.scripts) {
        if (!host.RunScript(script)) return Fail("cannot read the script " + PathToUtf8(script));
        if (host.QuitRequested()) return kSuccess;
    }

    if (options.screenshot) {
        std::string error;
        if (!window->SaveScreenshot(host, *options.screenshot, error)) return Fail(error);
    } else if (window) {
        window->Run(host);
    } else if (options.scripts.empty()) {
        app::RunConsole(host);
    }
    return kSuccess;
}

int Main(const std::vector<std::string>& arguments) {
    const app::ParseResult parsed = app::ParseOptions(arguments);
    if (!parsed.error.empty()) {
        Fail(parsed.error);
        std::fputs("Try 'postplay-host --help' for the options.\n", stderr);
        return kCannotRun;
    }
    app::Options options = parsed.options;
    if (options.help) {
        std::fputs(app::UsageText().c_str(), stdout);
        return kSuccess;
    }
    if (const std::string error = UnreadableScript(options.scripts); !error.empty()) return Fail(error);
    app::MakePathsAbsolute(options);

    std::string error;
    const std::filesystem::path pluginPath = options.plugin.value_or(app::DefaultPluginPath());
    const auto library = app::PluginLibrary::Open(pluginPath, error);
    if (!library) return Fail(error);

    std::filesystem::path home;
    if (error = PrepareHome(options, home); !error.empty()) return Fail(error);
    // Paths typed in console lines (sim_dir, sim_file, load_workshop, the plug-in's workshop
    // folder) are relative to the home folder, so a run leaves nothing outside it.
    std::error_code moved;
    std::filesystem::current_path(home, moved);
    if (moved) return Fail("cannot work in the home folder " + PathToUtf8(home) + ": " + moved.message());

    std::unique_ptr<app::Window> window;
    if (options.WantsWindow() &&
        !(window = app::Window::Open(options.screenshot.has_value(), options.windowWidth, options.windowHeight, error)))
        return Fail(error);

    return RunHost(options, OpenedPlugin{pluginPath, *library}, home, window.get());
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Main(app::ProgramArguments(argc, argv));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "postplay-host: unexpected error: %s\n", failure.what());
    } catch (...) {
        std::fprintf(stderr, "postplay-host: unexpected error\n");
    }
    return kInternalError;
}
