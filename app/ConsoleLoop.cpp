#include "app/ConsoleLoop.h"

#include <unistd.h>

#include <iostream>

#include "app/InteractiveConsole.h"
#include "sim/Host.h"

namespace app {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void DropCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

void RunPipedConsole(sim::Host& host, std::istream& input) {
    std::string line;
    while (std::getline(input, line)) {
        DropCarriageReturn(line);
        if (IsQuitCommand(line)) return;
        if (!Trimmed(line).empty()) host.RunInput(line);  // as a script file runs
    }
}

} // namespace

bool IsQuitCommand(const std::string& line) {
    const std::string command = Trimmed(line);
    return command == "quit" || command == "exit";
}

void RunConsole(sim::Host& host) {
    if (isatty(STDIN_FILENO)) RunInteractiveConsole(host);
    else RunPipedConsole(host, std::cin);
}

} // namespace app
