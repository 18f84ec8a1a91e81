/* A slow drive for benchmarks, put in front of the C library with LD_PRELOAD.
 *
 * Every status query (stat, lstat, fstatat, statx and their 64-bit names) and every opening
 * (open, openat, opendir) of a path that holds the text SLOW_FS_MARKER waits
 * SLOW_FS_DELAY_MS milliseconds (default 200) before it is made, as a network drive or a
 * disk spinning up would answer. Without SLOW_FS_MARKER nothing changes.
 *
 * The standard library's file-system calls of glibc 2.33 and later reach stat and lstat
 * by name (std::filesystem::status, is_directory...) and list folders through open or
 * openat with O_DIRECTORY and fdopendir; the other names cover older or other callers.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <dirent.h>

static void slow_down(const char *path) {
    const char *marker = getenv("SLOW_FS_MARKER");
    if (!marker || !*marker || !path || !strstr(path, marker)) return;
    const char *delay = getenv("SLOW_FS_DELAY_MS");
    long milliseconds = delay ? atol(delay) : 200;
    struct timespec wait = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

#define REAL(type, name, args) \
    static type(*real) args; \
    if (!real) real = (type(*) args)dlsym(RTLD_NEXT, name)

static mode_t mode_argument(int flags, va_list arguments) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(arguments, int) : 0;
}

/* ---- status queries ----------------------------------------------------------------- */

int stat(const char *path, struct stat *status) {
    REAL(int, "stat", (const char *, struct stat *));
    slow_down(path);
    return real(path, status);
}

int stat64(const char *path, struct stat64 *status) {
    REAL(int, "stat64", (const char *, struct stat64 *));
    slow_down(path);
    return real(path, status);
}

int lstat(const char *path, struct stat *status) {
    REAL(int, "lstat", (const char *, struct stat *));
    slow_down(path);
    return real(path, status);
}

int lstat64(const char *path, struct stat64 *status) {
    REAL(int, "lstat64", (const char *, struct stat64 *));
    slow_down(path);
    return real(path, status);
}

int fstatat(int dirfd, const char *path, struct stat *status, int flags) {
    REAL(int, "fstatat", (int, const char *, struct stat *, int));
    slow_down(path);
    return real(dirfd, path, status, flags);
}

int fstatat64(int dirfd, const char *path, struct stat64 *status, int flags) {
    REAL(int, "fstatat64", (int, const char *, struct stat64 *, int));
    slow_down(path);
    return real(dirfd, path, status, flags);
}

int statx(int dirfd, const char *path, int flags, unsigned int mask, struct statx *status) {
    REAL(int, "statx", (int, const char *, int, unsigned int, struct statx *));
    slow_down(path);
    return real(dirfd, path, flags, mask, status);
}

/* ---- opening ------------------------------------------------------------------------ */

int open(const char *path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    REAL(int, "open", (const char *, int, ...));
    slow_down(path);
    return real(path, flags, mode);
}

int open64(const char *path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    REAL(int, "open64", (const char *, int, ...));
    slow_down(path);
    return real(path, flags, mode);
}

int openat(int dirfd, const char *path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    REAL(int, "openat", (int, const char *, int, ...));
    slow_down(path);
    return real(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char *path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    REAL(int, "openat64", (int, const char *, int, ...));
    slow_down(path);
    return real(dirfd, path, flags, mode);
}

DIR *opendir(const char *path) {
    REAL(DIR *, "opendir", (const char *));
    slow_down(path);
    return real(path);
}
