// The three windows drawn in the host program's real window: the host's settings window
// with the plug-in's page, the console, and the game panel with the simulated events.
// Commands asked for while drawing are kept and handed over after the frame (to the game
// thread in the window), so the plug-in is never reloaded or driven from inside a frame.
// WindowPanels draw on the main thread; the host calls they make are safe beside the game thread.
// They share the display between them. When there is room, the settings window is on the
// left, as wide as the page needs, the game panel at the top right, as tall as its content,
// and the console below it. In a narrower window the settings window takes the whole width
// at the top (scrolling the page down when it is taller), and the game panel and the
// console share the rest below it, side by side.
#pragma once

#include <imgui.h>

#include <string>
#include <vector>

#include "app/WindowConsoleInput.h"
#include "sim/Host.h"

namespace app {

class WindowPanels {
public:
    explicit WindowPanels(sim::Host& host, bool focusConsole = true);

    void Draw();                                   // between ImGui::NewFrame and ImGui::Render; fills the display
    void RunQueuedCommands();                      // after the frame, on the calling thread
    std::vector<std::string> TakeQueuedCommands(); // after the frame, for another thread to run
    bool QuitRequested() const { return quit; }

private:
    struct LogLine {
        std::string text; // with its time stamp
        ImVec4 colour;
    };

    void DrawStacked(const ImVec2& display);
    void DrawSettings(const ImVec2& position, const ImVec2& size);
    void DrawConsole(const ImVec2& position, const ImVec2& size);
    void DrawConsoleLog();
    void TakeNewLines();
    void MeasureLog(float wrapWidth);
    void DrawGame(const ImVec2& position, float width, float maxHeight);
    void DrawGameButtons();
    void Queue(std::string command);
    void Submit(std::string line);

    sim::Host& host;
    WindowConsoleInput consoleInput; // history and completion of the input line
    std::vector<std::string> queued;
    std::size_t linesTaken = 0; // the host's lines copied so far
    std::size_t clearsSeen = 0; // the host's ClearCount when they were copied
    std::vector<LogLine> log;
    // Where each log line starts when wrapped at `logWidth`, and where the log ends (one more
    // entry), so that a frame lays out only the lines in view.
    std::vector<float> logTops;
    float logWidth = -1.0f;
    float pageHeight = 0.0f;           // of the plug-in's page, as the last frame drew it
    float settingsHeightWanted = 0.0f; // the settings window's, to show the whole page; 0 before a frame
    float gameBottom = 0.0f;           // of the game panel in this frame
    std::string input;
    int playlistId = 11;
    int winnerTeam = 0;
    bool focusInput;
    bool quit = false;
};

} // namespace app
