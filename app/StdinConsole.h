// Standard input as the host's console. At a terminal it is an editing prompt on standard
// error with a clock that follows wall time (app/TerminalPrompt.h); from a pipe or file
// the lines run like a script. Either way a line "quit" / "exit" ends the console.
#pragma once

#include <string>

namespace sim {
class Host;
}

namespace app {

bool IsQuitCommand(const std::string& line);

void RunConsole(sim::Host& host);

} // namespace app
