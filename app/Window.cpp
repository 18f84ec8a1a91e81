#include "app/Window.h"

#include <imgui.h>
#include <imgui_impl_glfw.h>
#include <imgui_impl_opengl3.h>

#define GLFW_INCLUDE_NONE
#include <GL/gl.h>
#include <GLFW/glfw3.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

#include "app/ConsoleOutput.h"
#include "app/StopSignal.h"
#include "app/WindowGameThread.h"
#include "app/WindowKeys.h"
#include "app/WindowPanels.h"
#include "app/WindowScreenshot.h"
#include "sim/Host.h"

namespace app {
namespace {

constexpr const char* kTitle = "Postplay host";
constexpr const char* kGlslVersion = "#version 130";
constexpr auto kFrameTime = std::chrono::microseconds(1'000'000 / 60);
// An idle window still redraws this often: the clock and the folder's status line change.
constexpr double kIdleRedrawSeconds = 1.0;
// Frames drawn after input before the window sleeps again: Dear ImGui shows the effect of
// some input (a focus request, a window that fits its content) a frame or two later.
constexpr int kSettleFrames = 3;

// glfwTerminate unloads the OpenGL driver, and the few blocks the driver keeps until the
// process ends become unreachable with it; a leak check at exit would blame this program.
// Sanitizer builds therefore check for leaks just before, with everything else in place.
void CheckLeaksBeforeTheDriverGoes() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
}

std::string LastGlfwError() {
    const char* description = nullptr;
    glfwGetError(&description);
    return description ? description : "unknown error";
}

void ReportGlfwError(int code, const char* description) {
    std::fprintf(stderr, "postplay-host: window error %d: %s\n", code, description ? description : "");
}

// Prints the host's lines as the program does, and wakes the window from its sleep so that a
// line printed on any thread (the game thread's timers, the plug-in's own threads) shows at
// once. The plain printing comes back when the window stops running.
class WakeOnOutput {
public:
    explicit WakeOnOutput(sim::Host& host) : host(host) {
        host.SetLineSink([](const sim::ConsoleLine& line) {
            PrintLine(line);
            glfwPostEmptyEvent();
        });
    }
    ~WakeOnOutput() { host.SetLineSink(&PrintLine); }
    WakeOnOutput(const WakeOnOutput&) = delete;
    WakeOnOutput& operator=(const WakeOnOutput&) = delete;

private:
    sim::Host& host;
};

// The window's keyboard. A key pressed in the window runs its bind on the game thread,
// after Dear ImGui has had the key; a held key's repeats run nothing. And a short press is
// kept for Dear ImGui 1.86, which reads once a frame whether a key is down: a key pressed and
// released before the next frame (the window slept until the press came, or a program types)
// is released for it only after that frame, so that an Enter or a Tab is not lost. Dear
// ImGui's own key handler comes back when this goes.
class Keyboard {
public:
    Keyboard(GLFWwindow* window, WindowGameThread& game) : window(window), game(game) {
        glfwSetWindowUserPointer(window, this);
        imguiKeys = glfwSetKeyCallback(window, &Keyboard::OnKey);
    }
    ~Keyboard() {
        glfwSetKeyCallback(window, imguiKeys);
        glfwSetWindowUserPointer(window, nullptr);
    }
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // After each frame: hands Dear ImGui the releases kept back.
    void FrameDrawn() {
        pressedSinceFrame.clear();
        for (const KeptRelease& release : std::exchange(keptReleases, {}))
            if (imguiKeys) imguiKeys(window, release.key, release.scancode, GLFW_RELEASE, release.mods);
    }

private:
    struct KeptRelease {
        int key, scancode, mods;
    };

    static void OnKey(GLFWwindow* window, int key, int scancode, int action, int mods) {
        auto& self = *static_cast<Keyboard*>(glfwGetWindowUserPointer(window));
        const auto& pressed = self.pressedSinceFrame;
        if (action == GLFW_RELEASE && std::find(pressed.begin(), pressed.end(), key) != pressed.end()) {
            self.keptReleases.push_back({key, scancode, mods});
            return;
        }
        // As the last frame left it: the console's input line holds the keyboard most of the time.
        const bool textFieldHasKeyboard = ImGui::GetIO().WantTextInput;
        if (self.imguiKeys) self.imguiKeys(window, key, scancode, action, mods);
        if (action != GLFW_PRESS) return;
        self.pressedSinceFrame.push_back(key);
        const std::optional<BindKey> bindKey = BindKeyFor(key);
        if (bindKey && RunsBind(*bindKey, textFieldHasKeyboard)) self.game.PressKey(bindKey->name);
    }

    GLFWwindow* window;
    WindowGameThread& game;
    GLFWkeyfun imguiKeys = nullptr;
    std::vector<int> pressedSinceFrame;
    std::vector<KeptRelease> keptReleases;
};

} // namespace

std::unique_ptr<Window> Window::Open(bool forPictures, int width, int height, std::string& error) {
    if (!glfwInit()) {
        error = "cannot open a window: " + LastGlfwError() + " (a display is needed; xvfb-run -a provides one)";
        return nullptr;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_RESIZABLE, forPictures ? GLFW_FALSE : GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(width, height, kTitle, nullptr, nullptr);
    if (!window) {
        error = "cannot open an OpenGL 3 window: " + LastGlfwError();
        glfwTerminate();
        return nullptr;
    }
    glfwSetErrorCallback(&ReportGlfwError);
    glfwMakeContextCurrent(window);
    glfwSwapInterval(forPictures ? 0 : 1);

    IMGUI_CHECKVERSION();
    ImGuiContext* context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // no imgui.ini in the working folder; the panels follow the window
    io.LogFilename = nullptr;
    io.ConfigInputTextCursorBlink = false; // a sleeping window would freeze it half-way
    ImGui::StyleColorsDark();
    // From here on the destructor undoes everything, a half-initialised backend included.
    std::unique_ptr<Window> opened(new Window(window, context));
    if (!ImGui_ImplGlfw_InitForOpenGL(window, true) || !ImGui_ImplOpenGL3_Init(kGlslVersion)) {
        error = "cannot draw in the window: the OpenGL 3 backend did not start";
        return nullptr;
    }
    return opened;
}

Window::Window(GLFWwindow* window, ImGuiContext* context) : window(window), context(context) {}

Window::~Window() {
    ImGui::SetCurrentContext(context);
    const ImGuiIO& io = ImGui::GetIO();
    if (io.BackendRendererUserData) ImGui_ImplOpenGL3_Shutdown();
    if (io.BackendPlatformUserData) ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext(context);
    glfwDestroyWindow(window);
    CheckLeaksBeforeTheDriverGoes();
    glfwTerminate();
}

void Window::DrawFrame(WindowPanels& panels) {
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    ImGui::NewFrame();
    panels.Draw();
    ImGui::Render();
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    glViewport(0, 0, width, height);
    glClearColor(0.12f, 0.14f, 0.17f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

bool Window::WaitForInput(bool busy) {
    if (busy) {
        glfwPollEvents();
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    glfwWaitEventsTimeout(kIdleRedrawSeconds);
    return std::chrono::steady_clock::now() - start < std::chrono::duration<double>(kIdleRedrawSeconds);
}

void Window::Run(sim::Host& host) {
    CatchStopSignals();
    WindowPanels panels(host);
    WakeOnOutput wakeOnOutput(host);
    WindowGameThread game(host); // the game loop runs beside the drawing
    Keyboard keyboard(window, game);
    int settleFrames = kSettleFrames; // the first frames lay the panels out
    // quit typed in the console ends the window; quit run by a bind ends it too.
    while (!glfwWindowShouldClose(window) && !panels.QuitRequested() && !host.QuitRequested() && !StopRequested()) {
        // Sleeps until input or output arrives, or for the idle redraw; busy for a few frames after.
        if (WaitForInput(settleFrames > 0))
            settleFrames = kSettleFrames;
        else if (settleFrames > 0)
            --settleFrames;
        const auto frameStart = std::chrono::steady_clock::now();
        DrawFrame(panels);
        glfwSwapBuffers(window);
        keyboard.FrameDrawn();
        std::vector<std::string> commands = panels.TakeQueuedCommands();
        if (!commands.empty()) settleFrames = kSettleFrames;
        for (std::string& line : commands) game.Post(std::move(line));
        // Without vertical sync (some X servers) a busy window would spin; keep it near 60 frames.
        if (settleFrames > 0) std::this_thread::sleep_until(frameStart + kFrameTime);
    }
}

bool Window::SaveScreenshot(sim::Host& host, const std::filesystem::path& file, std::string& error) {
    WindowPanels panels(host, /*focusConsole=*/false);
    Image picture;
    for (int frame = 1; frame <= kScreenshotFrames; ++frame) {
        glfwPollEvents();
        host.Step();
        DrawFrame(panels);
        if (frame == kScreenshotFrames) {
            int width = 0, height = 0;
            glfwGetFramebufferSize(window, &width, &height);
            picture = ReadBackBuffer(width, height);
        }
        glfwSwapBuffers(window);
    }
    if (!HasSeveralColours(picture)) {
        error = "the window drew nothing (every pixel has the same colour); " + file.string() + " not written";
        return false;
    }
    return WritePng(picture, file, error);
}

} // namespace app
