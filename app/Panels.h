// The three windows drawn in the host program's real window: the host's settings window
// with the plug-in's page, the console, and the game panel with the simulated events.
// Commands asked for while drawing are kept and handed over after the frame (to the game
// thread in the window), so the plug-in is never reloaded or driven from inside a frame.
// Panels draw on the main thread; the host calls they make are safe beside the game thread.
#pragma once

#include <string>
#include <vector>

#include "app/ConsoleInput.h"
#include "sim/Host.h"

namespace app {

class Panels {
public:
    explicit Panels(sim::Host& host, bool focusConsole = true);

    void Draw();                                 // between ImGui::NewFrame and ImGui::Render
    void RunQueuedCommands();                    // after the frame, on the calling thread
    std::vector<std::string> TakeQueuedCommands(); // after the frame, for another thread to run
    bool QuitRequested() const { return quit; }

private:
    void DrawSettings();
    void DrawConsole();
    void DrawConsoleLog();
    void DrawGame();
    void Queue(std::string command);
    void Submit(std::string line);

    sim::Host& host;
    ConsoleInput consoleInput;                   // history and completion of the input line
    std::vector<std::string> queued;
    std::vector<sim::ConsoleLine> shownLines;    // the host's lines copied so far
    std::string input;
    int playlistId = 11;
    int winnerTeam = 0;
    bool focusInput;
    bool quit = false;
};

} // namespace app
