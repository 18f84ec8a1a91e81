#include "Processes.h"

#include <cerrno>
#include <signal.h>
#include <unistd.h>

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool ProcessIsGone(long pid) { return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }
