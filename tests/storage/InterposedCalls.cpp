#include "InterposedCalls.h"

#if !defined(_WIN32)
#include <cerrno>
#include <cstdarg>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace interposed {

std::atomic<bool> syncsFail{false}, temporaryClosesFail{false}, recordingSyncs{false};
std::atomic<int> temporariesFail{0}, temporaryFd{-1};
std::vector<std::string> syncs;
std::atomic<void (*)(const std::string&)> syncedText{nullptr};

namespace {

// The whole text of the open file `fd`, read through a descriptor of its own.
std::string TextOf(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const int reader = static_cast<int>(syscall(SYS_openat, AT_FDCWD, link.c_str(), O_RDONLY | O_CLOEXEC, 0));
    if (reader < 0) return {};
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = static_cast<ssize_t>(syscall(SYS_read, reader, buffer, sizeof buffer))) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    syscall(SYS_close, reader);
    return text;
}

} // namespace
} // namespace interposed

using namespace interposed;

extern "C" int fsync(int fd) {
    struct stat status {};
    const bool known = fstat(fd, &status) == 0;
    if (recordingSyncs && known) syncs.push_back(S_ISDIR(status.st_mode) ? "folder" : "file");
    if (auto* watch = syncedText.load(); watch && known && S_ISREG(status.st_mode)) watch(TextOf(fd));
    if (syncsFail) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

extern "C" int close(int fd) {
    const bool fail = temporaryClosesFail && fd == temporaryFd;
    const int closed = static_cast<int>(syscall(SYS_close, fd));
    if (!fail) return closed;
    errno = EIO;
    return -1;
}

extern "C" int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(rest, int)) : 0;
    va_end(rest);
    const std::string name = path;
    const bool temporary = name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
    if (temporary && temporariesFail != 0) {
        errno = temporariesFail;
        return -1;
    }
    const int fd = static_cast<int>(syscall(SYS_openat, AT_FDCWD, path, flags, mode));
    if (temporary) temporaryFd = fd;
    return fd;
}
#endif
