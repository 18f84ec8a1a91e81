#include "app/StopSignal.h"

#if defined(_WIN32)
#include <windows.h>

#include <atomic>
#else
#include <signal.h>
#endif

namespace app {
namespace {

#if defined(_WIN32)
std::atomic<bool> stopRequested{false};

// Ctrl+C, Ctrl+Break and closing the console window: the handler runs on a thread of its
// own, so it only raises the flag.
BOOL WINAPI OnConsoleEvent(DWORD) {
    stopRequested = true;
    return TRUE;
}
#else
volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }
#endif

} // namespace

#if defined(_WIN32)
void CatchStopSignals() { SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }
#else
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = &OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
#endif

bool StopRequested() { return stopRequested != 0; }

} // namespace app
