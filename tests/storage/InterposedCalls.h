// The storage test program's own fsync, open and close (InterposedCalls.cpp): the code under
// test calls these instead of the C library's, so a test can make them fail or watch them.
#pragma once

#if !defined(_WIN32)
#include <atomic>
#include <string>
#include <vector>

namespace interposed {

// Every fsync fails with EIO; the creation of a temporary file fails with `temporariesFail`
// (an errno), or the close of one with EIO. While `recordingSyncs`, each fsync is noted in
// `syncs` as a "file" or a "folder" one.
extern std::atomic<bool> syncsFail, temporaryClosesFail, recordingSyncs;
extern std::atomic<int> temporariesFail, temporaryFd;
extern std::vector<std::string> syncs;
// Called with the text of every regular file just before it is synced.
extern std::atomic<void (*)(const std::string& contents)> syncedText;

// Sets a fault's flag while it lives.
class Raised {
public:
    explicit Raised(std::atomic<bool>& flag) : flag(flag) { flag = true; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;
    ~Raised() { flag = false; }

private:
    std::atomic<bool>& flag;
};

} // namespace interposed
#endif
