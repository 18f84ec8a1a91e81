// Standard input as the host's console. At a terminal the clock follows wall time and a
// prompt is shown on standard error; from a pipe or file the lines run like a script.
// Either way, end of input or a line "quit" / "exit" ends the console.
#pragma once

#include <istream>
#include <string>

namespace sim {
class Host;
}

namespace app {

bool IsQuitCommand(const std::string& line);

void RunConsole(sim::Host& host);

// The two modes, for the console above and for callers that know which they want.
void RunPipedConsole(sim::Host& host, std::istream& input);
void RunInteractiveConsole(sim::Host& host, int inputFd);

} // namespace app
