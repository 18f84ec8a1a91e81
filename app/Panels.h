// The three windows drawn in the host program's real window: the host's settings window
// with the plug-in's page, the console, and the game panel with the simulated events.
// Commands asked for while drawing are kept and run after the frame, so the plug-in is
// never reloaded or driven from inside the middle of a frame.
#pragma once

#include <string>
#include <vector>

namespace sim {
class Host;
}

namespace app {

class Panels {
public:
    explicit Panels(sim::Host& host, bool focusConsole = true);

    void Draw();                                 // between ImGui::NewFrame and ImGui::Render
    void RunQueuedCommands();                    // after the frame
    bool QuitRequested() const { return quit; }

private:
    void DrawSettings();
    void DrawConsole();
    void DrawConsoleLog();
    void DrawGame();
    void Queue(std::string command);
    void Submit(std::string line);

    sim::Host& host;
    std::vector<std::string> queued;
    std::string input;
    int playlistId = 11;
    int winnerTeam = 0;
    bool focusInput;
    bool quit = false;
};

} // namespace app
