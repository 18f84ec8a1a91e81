// Ctrl-C (SIGINT) and SIGTERM end an interactive run like end of input does, so the
// plug-in is unloaded in order instead of the process dying mid-way. On Windows a console
// control handler does the same for Ctrl+C, Ctrl+Break and closing the console.
#pragma once

namespace app {

void CatchStopSignals(); // no SA_RESTART: a blocking poll() returns early with EINTR
bool StopRequested();

} // namespace app
