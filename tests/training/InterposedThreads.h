// The training test program's own pthread_create (InterposedThreads.cpp): std::thread calls it
// instead of the C library's, so a test can have the start of a thread fail.
#pragma once

#if !defined(_WIN32)
#include <atomic>

namespace interposed {

// While set, every new thread fails to start with EAGAIN, as when the system has none to give.
extern std::atomic<bool> threadsRefused;

} // namespace interposed
#endif
