#include "app/StdinConsole.h"

#include <istream>

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

} // namespace

bool IsQuitCommand(const std::string& line) {
    const std::string command = Trimmed(line);
    return command == "quit" || command == "exit";
}

bool RunConsoleLine(sim::Host& host, std::string line) {
    DropCarriageReturn(line);
    if (IsQuitCommand(line)) return false;
    if (!Trimmed(line).empty()) host.RunInput(line); // as a script file runs
    return true;
}

void RunPipedConsole(sim::Host& host, std::istream& input) {
    std::string line;
    while (std::getline(input, line)) {
        if (!RunConsoleLine(host, line)) return;
        if (host.QuitRequested()) return; // a bind or a handed line ran quit
    }
}

} // namespace app
