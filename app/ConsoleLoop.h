// Standard input as the host's console. At a terminal the clock follows wall time and a
// prompt is shown on standard error; from a pipe or file the lines run like a script.
// Either way, end of input or a line "quit" / "exit" ends the console.
#pragma once

#include <string>

namespace sim {
class Host;
}

namespace app {

bool IsQuitCommand(const std::string& line);

void RunConsole(sim::Host& host);

} // namespace app
