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

class WindowPanels;

class Window {
public:
    static constexpr int kScreenshotFrames = 5;

    // Opens a window of `width` x `height` pixels, resizable unless it is for pictures; on
    // failure (no display, no OpenGL 3) returns null and sets `error`.
    static std::unique_ptr<Window> Open(bool forPictures, int width, int height, std::string& error);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Draws frames until the window is closed, "quit" is typed or Ctrl-C; the simulated
    // clock follows wall time. A key pressed in the window runs its bind. The window sleeps
    // until input or console output arrives, and redraws at least once a second.
    void Run(sim::Host& host);

    // Draws a few frames without moving the clock and saves the last one as PNG. Refuses
    // to write a picture in which every pixel has the same colour.
    bool SaveScreenshot(sim::Host& host, const std::filesystem::path& file, std::string& error);

private:
    Window(GLFWwindow* window, ImGuiContext* context);
    void DrawFrame(WindowPanels& panels);
    // Sleeps until input or console output arrives, at most until the idle redraw is due;
    // while `busy`, only takes what has arrived. True when something came before its time.
    bool WaitForInput(bool busy);

    GLFWwindow* window;
    ImGuiContext* context;
};

} // namespace app
