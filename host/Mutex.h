// A mutex whose use Clang checks at compile time (-Wthread-safety), and the annotations
// that say what it guards. Both the plug-in and the simulated host use it; elsewhere the
// annotations compile to nothing.
//
//     Mutex mutex;
//     int count GUARDED_BY(mutex) = 0;      // read or written only with `mutex` held
//     void Bump() EXCLUDES(mutex);          // takes the lock itself
//     void BumpLocked() REQUIRES(mutex);    // the caller holds it
//
// A condition variable waits with an explicit loop in the function that holds the lock,
// so the analysis sees every read of the guarded state:
//
//     MutexLock lock(mutex);
//     while (count == 0) changed.Wait(lock);
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <shared_mutex>

#if defined(__clang__)
#define PP_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define PP_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) PP_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY PP_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) PP_THREAD_ANNOTATION(guarded_by(x))
#define PT_GUARDED_BY(x) PP_THREAD_ANNOTATION(pt_guarded_by(x))
#define REQUIRES(...) PP_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) PP_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) PP_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) PP_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define ACQUIRE_SHARED(...) PP_THREAD_ANNOTATION(acquire_shared_capability(__VA_ARGS__))
#define RELEASE_SHARED(...) PP_THREAD_ANNOTATION(release_shared_capability(__VA_ARGS__))
#define RETURN_CAPABILITY(x) PP_THREAD_ANNOTATION(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS PP_THREAD_ANNOTATION(no_thread_safety_analysis)

class CAPABILITY("mutex") Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock() ACQUIRE() { mutex.lock(); }
    void unlock() RELEASE() { mutex.unlock(); }

private:
    std::mutex mutex;
};

// Holds a Mutex for its scope; Unlock and Lock let it step out for a call that must not
// run under the lock (a host call, the file system) and come back.
class SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex(mutex) { mutex.lock(); }
    ~MutexLock() RELEASE() {
        if (held) mutex.unlock();
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    void Unlock() RELEASE() {
        mutex.unlock();
        held = false;
    }
    void Lock() ACQUIRE() {
        mutex.lock();
        held = true;
    }

    // Runs `body` with the lock stepped out of, takes it again however `body` ends, and
    // gives back what `body` returned. The analysis sees the lock held throughout: `body`
    // must touch nothing the lock guards.
    template <class Body>
    decltype(auto) RunUnlocked(Body&& body) NO_THREAD_SAFETY_ANALYSIS {
        struct Relock {
            MutexLock& lock;
            ~Relock() { lock.Lock(); }
        };
        Unlock();
        const Relock relock{*this};
        return body();
    }

private:
    friend class CondVar;
    Mutex& mutex;
    bool held = true;
};

// A mutex many threads may hold shared at once, or one thread alone.
class CAPABILITY("shared mutex") SharedMutex {
public:
    SharedMutex() = default;
    SharedMutex(const SharedMutex&) = delete;
    SharedMutex& operator=(const SharedMutex&) = delete;

    void lock() ACQUIRE() { mutex.lock(); }
    void unlock() RELEASE() { mutex.unlock(); }
    void lock_shared() ACQUIRE_SHARED() { mutex.lock_shared(); }
    void unlock_shared() RELEASE_SHARED() { mutex.unlock_shared(); }

private:
    std::shared_mutex mutex;
};

// Holds a SharedMutex alone for its scope.
class SCOPED_CAPABILITY ExclusiveLock {
public:
    explicit ExclusiveLock(SharedMutex& mutex) ACQUIRE(mutex) : mutex(mutex) { mutex.lock(); }
    ~ExclusiveLock() RELEASE() { mutex.unlock(); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SharedMutex& mutex;
};

// Holds a SharedMutex shared for its scope.
class SCOPED_CAPABILITY SharedLock {
public:
    explicit SharedLock(SharedMutex& mutex) ACQUIRE_SHARED(mutex) : mutex(mutex) { mutex.lock_shared(); }
    ~SharedLock() RELEASE() { mutex.unlock_shared(); }
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;

private:
    SharedMutex& mutex;
};

class CondVar {
public:
    // Releases the lock while it waits, and holds it again when it returns. Wakes may be
    // spurious: call it in a loop that tests the condition.
    void Wait(MutexLock& lock) { condition.wait(lock.mutex); }
    // As Wait, for at most `limit`; false when the time ran out.
    template <class Rep, class Period>
    bool WaitFor(MutexLock& lock, std::chrono::duration<Rep, Period> limit) {
        return condition.wait_for(lock.mutex, limit) == std::cv_status::no_timeout;
    }
    void NotifyOne() { condition.notify_one(); }
    void NotifyAll() { condition.notify_all(); }

private:
    std::condition_variable_any condition;
};
