// Linux: a batch thread is never given the processor ahead of the thread that woke it,
// so waking a worker from a frame costs the frame only the wake-up call itself.
#include "base/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>

namespace postplay {

void LowerThisThreadsPriority() noexcept {
#if defined(SCHED_BATCH)
    sched_param parameters{};
    parameters.sched_priority = 0;
    (void)pthread_setschedparam(pthread_self(), SCHED_BATCH, &parameters);
#endif
}

} // namespace postplay
