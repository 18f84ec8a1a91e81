// Help and completion: what `help` prints and which names a console line can start with.
// Internal to sim/.
#pragma once

#include "host/ConsoleText.h"

#include <string>
#include <vector>

#include "sim/HostImpl.h"

namespace sim {

// One host command as help shows it.
struct HostCommandInfo {
    const char* name;
    const char* arguments; // empty when it takes none
    const char* summary;   // one line
};

// The host's commands in the order help lists them, read from the table that dispatches
// them (sim/HostCommands.cpp).
std::vector<HostCommandInfo> HostCommandList();

// The `help [NAME]` command.
void ShowHelp(Host& host, Host::Impl& d, const Command& command);

// A numeric variable's range as help and the host's value lines say it: "from 0 to 1",
// "at least 0", "at most 5"; empty without one.
std::string RangeText(const Variable& variable);

} // namespace sim
