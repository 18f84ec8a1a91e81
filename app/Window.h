// The host program's real window: GLFW with an OpenGL 3 context and Dear ImGui, showing
// the settings window, the console and the game panel.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

struct GLFWwindow;
struct ImGuiContext;

namespace sim {
class Host;
}

namespace app {

class Panels;

class Window {
public:
    // Fixed size, so pictures of the window are stable.
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 800;
    static constexpr int kScreenshotFrames = 5;

    // Opens the window; on failure (no display, no OpenGL 3) returns null and sets `error`.
    static std::unique_ptr<Window> Open(bool forPictures, std::string& error);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Draws frames until the window is closed, "quit" is typed or Ctrl-C; the simulated
    // clock follows wall time.
    void Run(sim::Host& host);

    // Draws a few frames without moving the clock and saves the last one as PNG. Refuses
    // to write a picture in which every pixel has the same colour.
    bool SaveScreenshot(sim::Host& host, const std::filesystem::path& file, std::string& error);

private:
    Window(GLFWwindow* window, ImGuiContext* context);
    void DrawFrame(Panels& panels);

    GLFWwindow* window;
    ImGuiContext* context;
};

} // namespace app
