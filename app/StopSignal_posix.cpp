// POSIX: SIGINT and SIGTERM raise the flag.
#include "app/StopSignal.h"

#include <csignal>

namespace app {
namespace {

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

} // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = &OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

} // namespace app
