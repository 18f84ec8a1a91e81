// The window's console input line, with the terminal prompt's conveniences: Up and Down go
// through the same history (the home folder's, shared with the prompt) and Tab completes a
// name, through Dear ImGui's input-text callbacks. Main thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/ConsoleHistory.h"

struct ImGuiInputTextCallbackData;

namespace sim {
class Host;
}

namespace app {

class WindowConsoleInput {
public:
    explicit WindowConsoleInput(const sim::Host& host);

    // Draws the input line (full width); true when Enter was pressed on it. The line is then
    // in the history and `text` still holds it.
    bool Draw(const char* label, std::string& text);

    // The names an ambiguous Tab matched, shown until the line is edited; empty otherwise.
    const std::string& Matches() const { return matches; }

private:
    static int OnInputEvent(ImGuiInputTextCallbackData* data);
    void Recall(ImGuiInputTextCallbackData* data, bool older);
    void CompleteWord(ImGuiInputTextCallbackData* data);

    std::function<std::vector<std::string>()> names;
    ConsoleHistory history;
    std::size_t position; // into the history; its size: the line being typed
    std::string draft;    // the line being typed, kept while browsing
    std::string matches;
};

} // namespace app
