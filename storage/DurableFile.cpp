#include "storage/DurableFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "host/PathText.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace postplay {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kNameAttempts = 4;

// The file a write must replace: `file` itself, or the end of its chain of symbolic links
// (relative links read from the link's own folder). Empty, with `why`, on a loop.
fs::path FinalTarget(const fs::path& file, std::string& why) {
    fs::path target = file;
    for (int hops = 0;; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
        if (hops == kMaxLinkHops) {
            why = "too many levels of symbolic links";
            return {};
        }
        const fs::path link = fs::read_symlink(target, error);
        if (error) {
            why = error.message();
            return {};
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

// A name for this write's own temporary file, beside `target`.
fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> writes{0};
    static const unsigned process = std::random_device{}();
    fs::path name = target.filename();
    name += fmt::format(".{:08x}{:04x}.tmp", process, writes++ & 0xffffu);
    return target.parent_path() / name;
}

bool IsTemporaryOf(const fs::path& candidate, const fs::path& target) {
    const std::string name = PathToUtf8(candidate.filename());
    const std::string prefix = PathToUtf8(target.filename()) + ".";
    const std::string suffix = ".tmp";
    return name.size() > prefix.size() + suffix.size() - 1 && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Temporaries of `target` that an interrupted write left behind. Writes are serialized, so
// none of them belongs to a write in progress.
void RemoveLeftoverTemporaries(const fs::path& target) {
    std::error_code error;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator entry(target.parent_path(), error); !error && entry != fs::directory_iterator();
         entry.increment(error)) {
        if (IsTemporaryOf(entry->path(), target)) leftovers.push_back(entry->path());
    }
    for (const fs::path& leftover : leftovers) fs::remove(leftover, error);
}

// This write's temporary file, removed when it goes; once it was put in place, nothing has
// its name any more. Declared before the file's handle, so that the handle is closed first
// (Windows removes no open file).
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        std::error_code ignored;
        if (!path.empty()) fs::remove(path, ignored);
    }
    void Adopt(fs::path made) { path = std::move(made); }

private:
    fs::path path;
};

// What a replace came to: done, failed (with the reason; the old file untouched), or turned
// down before anything changed because it would not keep the file as it is.
struct Outcome {
    enum class Kind { Done, InPlace, Failed };
    Kind kind = Kind::Done;
    std::string why;

    static Outcome InPlace() { return {Kind::InPlace, {}}; }
    static Outcome Failed(std::string why) { return {Kind::Failed, std::move(why)}; }
};

// What the file to replace is now; all zero (no file) until Probe finds one.
struct OldFile {
    bool exists;
    bool regular;
    bool readOnly;
    unsigned long links;
#if !defined(_WIN32)
    struct stat status;
#endif
};

} // namespace

#if !defined(_WIN32)
namespace {

std::string SystemMessage(int error) {
    return std::generic_category().message(error);
}

// A file descriptor, closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    int get() const { return fd; }
    void Adopt(int opened) { fd = opened; }
    // Closes it now: 0, or the error number of a close that failed (on network file systems
    // the first sign of a write that did not reach the server). After EINTR the descriptor
    // is gone all the same, and the data was synced before.
    int Close() {
        const int closing = std::exchange(fd, -1);
        return ::close(closing) == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int fd = -1;
};

// Writes all of `contents` at the descriptor's offset: 0 or the error number. Reads and
// writes of a regular file are not cut short by signals, so any failure is the disk's.
int WriteAll(int fd, const std::string& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t written = ::write(fd, contents.data() + done, contents.size() - done);
        if (written < 0) return errno;
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

// Fills `old` from the file as it is now: an empty text, or why its status cannot be read.
std::string Probe(const fs::path& target, OldFile& old) {
    if (::stat(target.c_str(), &old.status) != 0) {
        const int error = errno;
        return error == ENOENT ? std::string() : "the file's status cannot be read: " + SystemMessage(error);
    }
    constexpr mode_t anyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    old.exists = true;
    old.regular = S_ISREG(old.status.st_mode);
    old.readOnly = (old.status.st_mode & anyWrite) == 0;
    old.links = static_cast<unsigned long>(old.status.st_nlink);
    return {};
}

// The folder may not hold a new file, though the file in it may be writable.
bool RefusesNewFiles(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// Creates this write's temporary beside `target`, exclusively: 0 or the error number.
int CreateTemporary(const fs::path& target, mode_t mode, fs::path& temporary, Descriptor& out) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = TemporaryBeside(target);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            out.Adopt(fd);
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Gives the new file the old one's owner and group where they differ from what it got
// (-1 leaves one as it is, and asks no right), then its mode (after the owner, since a
// change of owner clears set-id bits): 0 or the error number.
int TakeOverOwnerAndMode(int fd, const struct stat& old) {
    struct stat made {};
    if (::fstat(fd, &made) != 0) return errno;
    const uid_t owner = made.st_uid != old.st_uid ? old.st_uid : static_cast<uid_t>(-1);
    const gid_t group = made.st_gid != old.st_gid ? old.st_gid : static_cast<gid_t>(-1);
    if (::fchown(fd, owner, group) != 0) return errno;
    if (::fchmod(fd, old.st_mode & 07777) != 0) return errno;
    return 0;
}

// Makes the rename survive a power cut; false where the folder cannot be opened for reading
// or refuses the sync. That is no failure of the write: the new file is in place by then,
// and losing the rename would only bring back the previous complete file.
bool SyncFolder(const fs::path& folder) {
    Descriptor directory;
    directory.Adopt(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return directory.get() >= 0 && ::fsync(directory.get()) == 0;
}

Outcome StepFailed(const char* step, int error) {
    return Outcome::Failed(std::string(step) + ": " + SystemMessage(error));
}

Outcome ReplaceThroughTemporary(const fs::path& target, const OldFile& old, const std::string& contents) {
    TemporaryFile made;
    Descriptor out;
    fs::path temporary;
    // Until the old mode is given, the new file is the writer's alone.
    if (const int error = CreateTemporary(target, old.exists ? 0600 : 0666, temporary, out)) {
        if (old.exists && RefusesNewFiles(error)) return Outcome::InPlace();
        return StepFailed("the temporary file beside it cannot be created", error);
    }
    made.Adopt(temporary);
    if (old.exists) {
        const int error = TakeOverOwnerAndMode(out.get(), old.status);
        if (error == EPERM) return Outcome::InPlace();
        if (error) return StepFailed("the new file cannot take the old one's owner and mode", error);
    }
    if (const int error = WriteAll(out.get(), contents)) return StepFailed("writing the new file failed", error);
    if (::fsync(out.get()) != 0) return StepFailed("syncing the new file failed", errno);
    if (const int error = out.Close()) return StepFailed("closing the new file failed", error);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return StepFailed("putting the new file in place failed", errno);
    }
    SyncFolder(target.parent_path()); // done, whatever it says
    return {};
}

// The existing file, opened to be written over.
class InPlaceFile {
public:
    std::string Open(const fs::path& target) {
        file.Adopt(::open(target.c_str(), O_RDWR | O_CLOEXEC));
        return file.get() >= 0 ? std::string() : SystemMessage(errno);
    }
    std::string Read(std::string& text) {
        char buffer[4096];
        for (off_t at = 0;;) {
            const ssize_t got = ::pread(file.get(), buffer, sizeof buffer, at);
            if (got < 0) return SystemMessage(errno);
            if (got == 0) return {};
            text.append(buffer, static_cast<std::size_t>(got));
            at += got;
        }
    }
    // Writes `contents` from the start and cuts the file to its length.
    std::string Overwrite(const std::string& contents) {
        if (::lseek(file.get(), 0, SEEK_SET) != 0) return "while writing: " + SystemMessage(errno);
        if (const int error = WriteAll(file.get(), contents)) return "while writing: " + SystemMessage(error);
        if (::ftruncate(file.get(), static_cast<off_t>(contents.size())) != 0) {
            return "while cutting it to its new length: " + SystemMessage(errno);
        }
        return {};
    }
    std::string Sync() { return ::fsync(file.get()) == 0 ? std::string() : "while syncing: " + SystemMessage(errno); }

private:
    Descriptor file;
};

} // namespace
#endif

#if defined(_WIN32)
namespace {

// The system's text for a Windows error code, as UTF-8 without the final full stop.
std::string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length =
        FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    message.erase(message.find_last_not_of(L"\r\n .") + 1);  // npos + 1 empties a text of only those
    if (message.empty()) return fmt::format("system error {}", error);
    return PathToUtf8(fs::path(message));
}

// A file handle, closed when it goes.
class Handle {
public:
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    HANDLE get() const { return handle; }
    bool valid() const { return handle != INVALID_HANDLE_VALUE; }
    void Adopt(HANDLE opened) { handle = opened; }
    // Closes it now: 0, or the error code of a close that failed.
    DWORD Close() {
        const HANDLE closing = std::exchange(handle, INVALID_HANDLE_VALUE);
        return CloseHandle(closing) ? 0 : GetLastError();
    }

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};

// Writes all of `contents` at the handle's position: 0 or the error code.
DWORD WriteAll(HANDLE file, const std::string& contents) {
    constexpr std::size_t kChunk = MAXDWORD;     // the most one WriteFile takes
    std::size_t done = 0;
    while (done < contents.size()) {
        const DWORD size = static_cast<DWORD>((std::min)(contents.size() - done, kChunk));
        DWORD written = 0;
        if (!WriteFile(file, contents.data() + done, size, &written, nullptr)) return GetLastError();
        done += written;
    }
    return 0;
}

unsigned long LinkCount(const fs::path& file) {
    Handle handle;
    handle.Adopt(CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &information)) return 1;
    return information.nNumberOfLinks;
}

std::string Probe(const fs::path& target, OldFile& old) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
        return "the file's status cannot be read: " + SystemMessage(error);
    }
    old.exists = true;
    old.regular = (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    old.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    old.links = LinkCount(target);               // a folder or device cannot be opened: 1
    return {};
}

// Creates this write's temporary beside `target`, exclusively: 0 or the error code.
DWORD CreateTemporary(const fs::path& target, fs::path& temporary, Handle& out) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = TemporaryBeside(target);
        const HANDLE created =
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            out.Adopt(created);
            return 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

Outcome StepFailed(const char* step, DWORD error) {
    return Outcome::Failed(std::string(step) + ": " + SystemMessage(error));
}

// ReplaceFileW keeps the replaced file's attributes, security and identity in the folder;
// without a file to replace, the move is written through before it returns. Windows has no
// sync of a folder.
Outcome ReplaceThroughTemporary(const fs::path& target, const OldFile& old, const std::string& contents) {
    TemporaryFile made;
    Handle out;
    fs::path temporary;
    if (const DWORD error = CreateTemporary(target, temporary, out)) {
        if (old.exists && error == ERROR_ACCESS_DENIED) return Outcome::InPlace();
        return StepFailed("the temporary file beside it cannot be created", error);
    }
    made.Adopt(temporary);
    if (const DWORD error = WriteAll(out.get(), contents)) {
        return StepFailed("writing the new file failed", error);
    }
    if (!FlushFileBuffers(out.get())) return StepFailed("syncing the new file failed", GetLastError());
    if (const DWORD error = out.Close()) return StepFailed("closing the new file failed", error);
    const bool placed = old.exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                   : MoveFileExW(temporary.c_str(), target.c_str(),
                                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!placed) return StepFailed("putting the new file in place failed", GetLastError());
    return {};
}

// The existing file, opened to be written over.
class InPlaceFile {
public:
    std::string Open(const fs::path& target) {
        file.Adopt(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.valid() ? std::string() : SystemMessage(GetLastError());
    }
    std::string Read(std::string& text) {
        char buffer[4096];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return SystemMessage(GetLastError());
            if (got == 0) return {};
            text.append(buffer, got);
        }
    }
    // Writes `contents` from the start and cuts the file to its length.
    std::string Overwrite(const std::string& contents) {
        LARGE_INTEGER start{};
        if (!SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) {
            return "while writing: " + SystemMessage(GetLastError());
        }
        if (const DWORD error = WriteAll(file.get(), contents)) return "while writing: " + SystemMessage(error);
        if (!SetEndOfFile(file.get())) return "while cutting it to its new length: " + SystemMessage(GetLastError());
        return {};
    }
    std::string Sync() {
        return FlushFileBuffers(file.get()) ? std::string() : "while syncing: " + SystemMessage(GetLastError());
    }

private:
    Handle file;
};

} // namespace
#endif

namespace {

// Writes `contents` over the existing file, keeping its identity (inode, links, owner,
// mode). Puts the previous text back when a step fails.
std::string RewriteInPlace(const fs::path& target, const std::string& contents) {
    InPlaceFile file;
    std::string why = file.Open(target);
    if (!why.empty()) return "the file cannot be opened to be rewritten in place: " + why;
    std::string previous;
    why = file.Read(previous);
    if (!why.empty()) return "the file cannot be read before it is rewritten in place: " + why;
    why = file.Overwrite(contents);
    if (why.empty()) why = file.Sync();
    if (why.empty()) return {};
    // However much of the new text went out, the previous text goes back.
    if (!file.Overwrite(previous).empty()) {
        return "the rewrite in place failed " + why + ", and the previous text could not be put back";
    }
    file.Sync(); // best effort: the failure that matters has been said
    return "the rewrite in place failed " + why;
}

} // namespace

std::string ReplaceFileDurably(const fs::path& file, const std::string& contents) {
    std::string why;
    const fs::path target = FinalTarget(file, why);
    if (target.empty()) return why;
    OldFile old{};
    why = Probe(target, old);
    if (!why.empty()) return why;
    if (old.exists && !old.regular) return "it is not a regular file";
    if (old.exists && old.readOnly) return "the file is read-only";

    // A new file would part the hard links: the other names would keep the old text.
    Outcome outcome = old.exists && old.links > 1 ? Outcome::InPlace() : ReplaceThroughTemporary(target, old, contents);
    if (outcome.kind == Outcome::Kind::InPlace) outcome.why = RewriteInPlace(target, contents);
    if (outcome.why.empty()) RemoveLeftoverTemporaries(target);
    return outcome.why;
}

} // namespace postplay
