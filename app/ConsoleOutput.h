// How console lines leave the host program: "[T] TEXT", T the simulated time in seconds
// with one decimal, the text verbatim.
#pragma once

#include <string>

namespace sim {
struct ConsoleLine;
}

namespace app {

std::string FormatLine(const sim::ConsoleLine& line);

// Writes one formatted line to standard output and flushes it, so that a reader of a pipe
// sees each line as soon as the host prints it.
void PrintLine(const sim::ConsoleLine& line);

} // namespace app
