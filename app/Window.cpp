#include "app/Window.h"

#include <imgui.h>
#include <imgui_impl_glfw.h>
#include <imgui_impl_opengl3.h>

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <GL/gl.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/GameThread.h"
#include "app/Panels.h"
#include "app/Screenshot.h"
#include "app/StopSignal.h"
#include "sim/Host.h"

namespace app {
namespace {

constexpr const char* kTitle = "Postplay host";
constexpr const char* kGlslVersion = "#version 130";
constexpr auto kFrameTime = std::chrono::microseconds(1'000'000 / 60);

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

} // namespace

std::unique_ptr<Window> Window::Open(bool forPictures, std::string& error) {
    if (!glfwInit()) {
        error = "cannot open a window: " + LastGlfwError() +
                " (a display is needed; xvfb-run -a provides one)";
        return nullptr;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_RESIZABLE, forPictures ? GLFW_FALSE : GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(kWidth, kHeight, kTitle, nullptr, nullptr);
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
    io.IniFilename = nullptr;  // no imgui.ini in the working folder; the layout is fixed
    io.LogFilename = nullptr;
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

void Window::DrawFrame(Panels& panels) {
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

void Window::Run(sim::Host& host) {
    CatchStopSignals();
    Panels panels(host);
    GameThread game(host);                       // the game loop runs beside the drawing
    while (!glfwWindowShouldClose(window) && !panels.QuitRequested() && !StopRequested()) {
        const auto frameStart = std::chrono::steady_clock::now();
        glfwPollEvents();
        DrawFrame(panels);
        glfwSwapBuffers(window);
        for (std::string& line : panels.TakeQueuedCommands()) game.Post(std::move(line));
        // Without vertical sync (some X servers) the loop would spin; keep it near 60 frames.
        std::this_thread::sleep_until(frameStart + kFrameTime);
    }
}

bool Window::SaveScreenshot(sim::Host& host, const std::filesystem::path& file, std::string& error) {
    Panels panels(host, /*focusConsole=*/false);
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
