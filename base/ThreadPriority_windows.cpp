// Windows: below the normal priority of the game's threads.
#include "base/ThreadPriority.h"

#include <windows.h>

namespace postplay {

void LowerThisThreadsPriority() noexcept { (void)SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }

} // namespace postplay
