// Standard input as the host's console. At a terminal it is a prompt on standard error with
// a clock that follows wall time: the line editor's (app/TerminalPrompt.h) on POSIX systems,
// lines read as typed on Windows (StdinConsole_windows.cpp). From a pipe or file the lines
// run like a script. Either way a line "quit" / "exit" ends the console.
#pragma once

#include <iosfwd>
#include <string>

namespace sim {
class Host;
}

namespace app {

bool IsQuitCommand(const std::string& line);

// Each platform's file (StdinConsole_posix.cpp, StdinConsole_windows.cpp) defines it.
void RunConsole(sim::Host& host);

// Runs one line of input, its carriage return dropped and nothing run when it is blank.
// False when the line is "quit" or "exit", which ends the console.
bool RunConsoleLine(sim::Host& host, std::string line);

// Runs the lines of `input` until its end, a quit line or a quit the lines ran.
void RunPipedConsole(sim::Host& host, std::istream& input);

} // namespace app
