#include "app/ConsoleOutput.h"

#include <cstdio>

#include "sim/Host.h"

namespace app {

std::string FormatLine(const sim::ConsoleLine& line) {
    char stamp[48];
    // Adding 0.0 turns a negative zero into "0.0".
    std::snprintf(stamp, sizeof stamp, "[%.1f] ", line.time + 0.0);
    return stamp + line.text;
}

void PrintLine(const sim::ConsoleLine& line) {
    const std::string text = FormatLine(line) + '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace app
