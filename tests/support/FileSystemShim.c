/* A file system that fails or answers slowly, put in front of the C library with LD_PRELOAD:
 * the soak runs' faults (scripts/soak) and the benchmarks' slow drive (bench/scan_steps.cpp).
 *
 * Slow mode: FS_SHIM_SLOW=TEXT makes every status query (stat, lstat, fstatat, statx and their
 * 64-bit names) and every opening (open, openat, opendir) of a path that holds TEXT wait
 * FS_SHIM_SLOW_MS milliseconds (default 200) before it is made, as a network drive or a disk
 * spinning up would answer. The standard library's file-system calls of glibc 2.33 and later
 * reach stat and lstat by name and list folders through open or openat with O_DIRECTORY.
 *
 * Fault mode: FS_SHIM_FAULT="CALL:ERRNO:TEXT[:SKIP]" makes one kind of call fail with ERRNO
 * when the path it names holds TEXT, after the first SKIP such calls (default 0) went through:
 *
 *   create   opening a file for writing (fopen, open, openat with write access)
 *   write    write() on a file opened for writing through a matching path
 *   sync     fsync(), fdatasync() on a file opened through a matching path
 *   chown    fchown() on a file opened through a matching path; chown(), lchown(), fchownat()
 *   rename   rename() whose source or target matches
 *   opendir  opening a folder to list it (opendir, open/openat with O_DIRECTORY)
 *   stat     stat(), lstat(), fstatat()
 *
 * SKIP counts only the calls that name a path (not write, sync or fchown). ERRNO is ENOSPC,
 * EACCES, EPERM, EROFS, ELOOP, ENAMETOOLONG or EIO. Every failure made is counted in
 * the file FS_SHIM_FAULT_LOG names (one line each), so the driver knows a fault was hit.
 *
 * Without either variable nothing changes.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

enum call { CALL_NONE, CALL_CREATE, CALL_WRITE, CALL_SYNC, CALL_CHOWN, CALL_RENAME, CALL_OPENDIR, CALL_STAT };

static enum call fault_call = CALL_NONE;
static int fault_errno;
static char fault_text[512];
static long fault_skip;
static long fault_seen; /* matching calls so far (atomic) */
static int configured;  /* 0 unread, 1 read */

#define MAX_FDS 4096
static unsigned char doomed_fds[MAX_FDS]; /* files whose writes, syncs or fchowns fail */

static void configure(void) {
    if (__atomic_load_n(&configured, __ATOMIC_ACQUIRE)) return;
    const char* choice = getenv("FS_SHIM_FAULT");
    if (choice) {
        char copy[640];
        snprintf(copy, sizeof copy, "%s", choice);
        char* call = strtok(copy, ":");
        char* err = strtok(NULL, ":");
        char* text = strtok(NULL, ":");
        char* skip = strtok(NULL, ":");
        if (call && err && text) {
            if (!strcmp(call, "create"))
                fault_call = CALL_CREATE;
            else if (!strcmp(call, "write"))
                fault_call = CALL_WRITE;
            else if (!strcmp(call, "sync"))
                fault_call = CALL_SYNC;
            else if (!strcmp(call, "chown"))
                fault_call = CALL_CHOWN;
            else if (!strcmp(call, "rename"))
                fault_call = CALL_RENAME;
            else if (!strcmp(call, "opendir"))
                fault_call = CALL_OPENDIR;
            else if (!strcmp(call, "stat"))
                fault_call = CALL_STAT;
            if (!strcmp(err, "ENOSPC"))
                fault_errno = ENOSPC;
            else if (!strcmp(err, "EACCES"))
                fault_errno = EACCES;
            else if (!strcmp(err, "EPERM"))
                fault_errno = EPERM;
            else if (!strcmp(err, "EROFS"))
                fault_errno = EROFS;
            else if (!strcmp(err, "ELOOP"))
                fault_errno = ELOOP;
            else if (!strcmp(err, "ENAMETOOLONG"))
                fault_errno = ENAMETOOLONG;
            else
                fault_errno = EIO;
            snprintf(fault_text, sizeof fault_text, "%s", text);
            fault_skip = skip ? atol(skip) : 0;
        }
    }
    __atomic_store_n(&configured, 1, __ATOMIC_RELEASE);
}

/* Slow mode: waits before a query of a matching path. */
static void slow_down(const char* path) {
    const char* match = getenv("FS_SHIM_SLOW");
    if (!match || !*match || !path || !strstr(path, match)) return;
    const char* delay = getenv("FS_SHIM_SLOW_MS");
    long milliseconds = delay ? atol(delay) : 200;
    struct timespec wait = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0) {}
}

static void note_fault(const char* what, const char* path) {
    const char* log = getenv("FS_SHIM_FAULT_LOG");
    if (!log) return;
    char line[1200];
    int length = snprintf(line, sizeof line, "%s %s %s\n", what, strerror(fault_errno), path ? path : "");
    static int (*real_open)(const char*, int, ...);
    if (!real_open) real_open = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, "open");
    int fd = real_open(log, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) return;
    static ssize_t (*real_write)(int, const void*, size_t);
    if (!real_write) real_write = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (length > 0) real_write(fd, line, (size_t)length);
    close(fd);
}

/* Whether this call of kind `call` on `path` must fail; counts the matching calls. */
static int should_fail(enum call call, const char* path) {
    configure();
    if (call != fault_call || !path || !strstr(path, fault_text)) return 0;
    long seen = __atomic_fetch_add(&fault_seen, 1, __ATOMIC_ACQ_REL);
    return seen >= fault_skip;
}

/* Whether a call of kind `call` on the open file `fd` must fail. */
static int fails_on_fd(enum call call, int fd) {
    configure();
    return call == fault_call && fd >= 0 && fd < MAX_FDS && __atomic_load_n(&doomed_fds[fd], __ATOMIC_ACQUIRE);
}

static void watch_fd(int fd, const char* path, int writing) {
    if (fd < 0 || fd >= MAX_FDS) return;
    configure();
    int by_fd = (fault_call == CALL_WRITE && writing) || fault_call == CALL_SYNC || fault_call == CALL_CHOWN;
    int doomed = by_fd && path && strstr(path, fault_text);
    __atomic_store_n(&doomed_fds[fd], (unsigned char)doomed, __ATOMIC_RELEASE);
}

static int writes_mode(const char* mode) {
    return mode && (strchr(mode, 'w') || strchr(mode, 'a') || strchr(mode, '+'));
}
static int writes_flags(int flags) { return (flags & O_ACCMODE) != O_RDONLY || (flags & O_CREAT); }

#define REAL(type, name, args)                                                                                         \
    static type(*real) args;                                                                                           \
    if (!real) real = (type(*) args)dlsym(RTLD_NEXT, name)

static int refuse(const char* what, const char* path) {
    note_fault(what, path);
    errno = fault_errno;
    return -1;
}

/* ---- opening ------------------------------------------------------------------------ */

typedef FILE* (*stream_opener)(const char*, const char*);

static FILE* open_stream(stream_opener real, const char* path, const char* mode) {
    if (writes_mode(mode) && should_fail(CALL_CREATE, path)) {
        refuse("create", path);
        return NULL;
    }
    FILE* file = real(path, mode);
    if (file) watch_fd(fileno(file), path, writes_mode(mode));
    return file;
}

FILE* fopen(const char* path, const char* mode) {
    REAL(FILE*, "fopen", (const char*, const char*));
    return open_stream(real, path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    REAL(FILE*, "fopen64", (const char*, const char*));
    return open_stream(real, path, mode);
}

typedef int (*file_opener)(const char*, int, ...);
typedef int (*file_opener_at)(int, const char*, int, ...);

/* Either `real` (a path) or `real_at` (a folder and a path) opens the file. */
static int open_file(file_opener real, file_opener_at real_at, int dirfd, const char* path, int flags, mode_t mode) {
    slow_down(path);
    if ((flags & O_DIRECTORY) && should_fail(CALL_OPENDIR, path)) return refuse("opendir", path);
    if (!(flags & O_DIRECTORY) && writes_flags(flags) && should_fail(CALL_CREATE, path)) return refuse("create", path);
    int fd = real_at ? real_at(dirfd, path, flags, mode) : real(path, flags, mode);
    watch_fd(fd, path, writes_flags(flags));
    return fd;
}

static mode_t mode_argument(int flags, va_list arguments) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(arguments, int) : 0;
}

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    REAL(int, "open", (const char*, int, ...));
    return open_file(real, NULL, AT_FDCWD, path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    REAL(int, "open64", (const char*, int, ...));
    return open_file(real, NULL, AT_FDCWD, path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    REAL(int, "openat", (int, const char*, int, ...));
    return open_file(NULL, real, dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    REAL(int, "openat64", (int, const char*, int, ...));
    return open_file(NULL, real, dirfd, path, flags, mode);
}

#include <dirent.h>
DIR* opendir(const char* path) {
    REAL(DIR*, "opendir", (const char*));
    slow_down(path);
    if (should_fail(CALL_OPENDIR, path)) {
        refuse("opendir", path);
        return NULL;
    }
    return real(path);
}

/* ---- writing, closing, renaming ------------------------------------------------------- */

ssize_t write(int fd, const void* data, size_t size) {
    REAL(ssize_t, "write", (int, const void*, size_t));
    if (fails_on_fd(CALL_WRITE, fd)) return refuse("write", "");
    return real(fd, data, size);
}

int fsync(int fd) {
    REAL(int, "fsync", (int));
    if (fails_on_fd(CALL_SYNC, fd)) return refuse("sync", "");
    return real(fd);
}

int fdatasync(int fd) {
    REAL(int, "fdatasync", (int));
    if (fails_on_fd(CALL_SYNC, fd)) return refuse("sync", "");
    return real(fd);
}

/* ---- owners ---------------------------------------------------------------------------- */

int fchown(int fd, uid_t owner, gid_t group) {
    REAL(int, "fchown", (int, uid_t, gid_t));
    if (fails_on_fd(CALL_CHOWN, fd)) return refuse("chown", "");
    return real(fd, owner, group);
}

int chown(const char* path, uid_t owner, gid_t group) {
    REAL(int, "chown", (const char*, uid_t, gid_t));
    if (should_fail(CALL_CHOWN, path)) return refuse("chown", path);
    return real(path, owner, group);
}

int lchown(const char* path, uid_t owner, gid_t group) {
    REAL(int, "lchown", (const char*, uid_t, gid_t));
    if (should_fail(CALL_CHOWN, path)) return refuse("chown", path);
    return real(path, owner, group);
}

int fchownat(int dirfd, const char* path, uid_t owner, gid_t group, int flags) {
    REAL(int, "fchownat", (int, const char*, uid_t, gid_t, int));
    if (should_fail(CALL_CHOWN, path)) return refuse("chown", path);
    return real(dirfd, path, owner, group, flags);
}

int close(int fd) {
    REAL(int, "close", (int));
    if (fd >= 0 && fd < MAX_FDS) __atomic_store_n(&doomed_fds[fd], 0, __ATOMIC_RELEASE);
    return real(fd);
}

int fclose(FILE* file) {
    REAL(int, "fclose", (FILE*));
    if (file) {
        int fd = fileno(file);
        if (fd >= 0 && fd < MAX_FDS) __atomic_store_n(&doomed_fds[fd], 0, __ATOMIC_RELEASE);
    }
    return real(file);
}

int rename(const char* from, const char* to) {
    REAL(int, "rename", (const char*, const char*));
    if (should_fail(CALL_RENAME, from) || should_fail(CALL_RENAME, to)) return refuse("rename", to);
    return real(from, to);
}

/* ---- status queries ----------------------------------------------------------------- */

int stat(const char* path, struct stat* status) {
    REAL(int, "stat", (const char*, struct stat*));
    slow_down(path);
    if (should_fail(CALL_STAT, path)) return refuse("stat", path);
    return real(path, status);
}

int lstat(const char* path, struct stat* status) {
    REAL(int, "lstat", (const char*, struct stat*));
    slow_down(path);
    if (should_fail(CALL_STAT, path)) return refuse("stat", path);
    return real(path, status);
}

int fstatat(int dirfd, const char* path, struct stat* status, int flags) {
    REAL(int, "fstatat", (int, const char*, struct stat*, int));
    slow_down(path);
    if (should_fail(CALL_STAT, path)) return refuse("stat", path);
    return real(dirfd, path, status, flags);
}

int stat64(const char* path, struct stat64* status) {
    REAL(int, "stat64", (const char*, struct stat64*));
    slow_down(path);
    if (should_fail(CALL_STAT, path)) return refuse("stat", path);
    return real(path, status);
}

int lstat64(const char* path, struct stat64* status) {
    REAL(int, "lstat64", (const char*, struct stat64*));
    slow_down(path);
    if (should_fail(CALL_STAT, path)) return refuse("stat", path);
    return real(path, status);
}

int fstatat64(int dirfd, const char* path, struct stat64* status, int flags) {
    REAL(int, "fstatat64", (int, const char*, struct stat64*, int));
    slow_down(path);
    if (should_fail(CALL_STAT, path)) return refuse("stat", path);
    return real(dirfd, path, status, flags);
}

int statx(int dirfd, const char* path, int flags, unsigned int mask, struct statx* status) {
    REAL(int, "statx", (int, const char*, int, unsigned int, struct statx*));
    slow_down(path);
    if (should_fail(CALL_STAT, path)) return refuse("stat", path);
    return real(dirfd, path, flags, mask, status);
}
