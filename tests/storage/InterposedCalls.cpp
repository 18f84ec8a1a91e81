#include "InterposedCalls.h"

#if !defined(_WIN32)
#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace interposed {

std::atomic<bool> syncsFail{false}, temporaryClosesFail{false}, recordingSyncs{false};
std::atomic<int> temporariesFail{0}, temporaryFd{-1};
std::vector<std::string> syncs;
std::atomic<void (*)(const std::string&)> syncedText{nullptr};

namespace {

// The call of that name the program would make without this file: the C library's, or a
// sanitizer's stand-in for it, which must see every descriptor opened and closed.
template <class Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// The whole text of the open file `fd`, read through a descriptor of its own.
std::string TextOf(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    static const auto open = Next<int (*)(const char*, int, ...)>("open");
    static const auto close = Next<int (*)(int)>("close");
    const int reader = open(link.c_str(), O_RDONLY | O_CLOEXEC);
    if (reader < 0) return {};
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(reader, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    close(reader);
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
    static const auto next = Next<int (*)(int)>("fsync");
    return next(fd);
}

extern "C" int close(int fd) {
    const bool fail = temporaryClosesFail && fd == temporaryFd;
    static const auto next = Next<int (*)(int)>("close");
    const int closed = next(fd);
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
    static const auto next = Next<int (*)(const char*, int, ...)>("open");
    const int fd = next(path, flags, mode);
    if (temporary) temporaryFd = fd;
    return fd;
}
#endif
