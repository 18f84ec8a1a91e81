// Windows: below the normal priority of the game's threads.
#include "plugin/ThreadPriority.h"

#include <windows.h>

void LowerThisThreadsPriority() noexcept { (void)SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }
