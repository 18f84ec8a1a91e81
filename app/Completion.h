// Tab completion of console names, shared by the terminal prompt and the window's input
// line: the word before the cursor is completed from the names the host knows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sim {
class Host;
}

namespace app {

// The names a console line can start with: the host's commands ("quit" and "exit" among
// them), the plug-in's commands and its console variables.
std::vector<std::string> ConsoleNames(const sim::Host& host);

struct Completion {
    std::size_t wordStart = 0;        // where the completed word starts
    std::string addition;             // text to insert at the cursor
    std::vector<std::string> matches; // the names starting with the word, sorted
};

// Completes the word that ends at the end of `beforeCursor` (the line's text up to the
// cursor; a word starts after a blank, ';' or '"'). One match: its rest and a blank. Several:
// the rest of their longest common prefix, which may be empty; then show `matches`.
// No match: nothing to add and no matches.
Completion Complete(const std::string& beforeCursor, std::vector<std::string> names);

// The matches laid out in columns for a terminal `width` characters wide, one text per row.
std::vector<std::string> InColumns(const std::vector<std::string>& matches, std::size_t width);

} // namespace app
