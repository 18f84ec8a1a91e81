#include "InterposedThreads.h"

#if !defined(_WIN32)
#include <cerrno>
#include <dlfcn.h>
#include <pthread.h>

namespace interposed {
std::atomic<bool> threadsRefused{false};
} // namespace interposed

// Forwards to the next pthread_create in line (the C library's, or a sanitizer's, which must
// see every thread started).
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument) {
    if (interposed::threadsRefused) return EAGAIN;
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    return next(thread, attributes, start, argument);
}
#endif
