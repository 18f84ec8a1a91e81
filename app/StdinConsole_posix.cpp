// POSIX: a terminal gets the line editor's prompt.
#include "app/StdinConsole.h"

#include <unistd.h>

#include <iostream>

#include "app/TerminalPrompt.h"

namespace app {

void RunConsole(sim::Host& host) {
    if (isatty(STDIN_FILENO))
        RunTerminalPrompt(host);
    else
        RunPipedConsole(host, std::cin);
}

} // namespace app
