// Standard input as the console when it is a terminal: a prompt with line editing, a
// history kept in the host's home folder, Tab completion of names, and a simulated clock
// that follows wall time, so timers fire while the user is idle at the prompt.
#pragma once

namespace sim {
class Host;
}

namespace app {

// Returns at "quit" or "exit", at Ctrl+D on an empty line, when the terminal goes away or
// on SIGTERM. Ctrl+C clears the line being typed.
void RunTerminalPrompt(sim::Host& host);

} // namespace app
