// The test programs' few questions about processes, answered per platform
// (Processes_posix.cpp, Processes_windows.cpp).
#pragma once

long CurrentProcessId();
// True when no process has the id any more (false where that cannot be told).
bool ProcessIsGone(long pid);
