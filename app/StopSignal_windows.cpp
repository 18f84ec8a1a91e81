// Windows: a console control handler raises the flag.
#include "app/StopSignal.h"

#include <windows.h>

#include <atomic>

namespace app {
namespace {

std::atomic<bool> stopRequested{false};

// Ctrl+C, Ctrl+Break and closing the console window: the handler runs on a thread of its
// own, so it only raises the flag.
BOOL WINAPI OnConsoleEvent(DWORD) {
    stopRequested = true;
    return TRUE;
}

} // namespace

void CatchStopSignals() { SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }

bool StopRequested() { return stopRequested != 0; }

} // namespace app
