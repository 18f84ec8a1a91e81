// POSIX: stat and open, a temporary synced and renamed over the file, then the folder synced.
#include "storage/DurableFileSteps.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/TemporaryFile.h"

namespace postplay::durable {

namespace fs = std::filesystem;

namespace {

std::string SystemMessage(int error) { return std::generic_category().message(error); }

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

// The folder may not hold a new file, though the file in it may be writable.
bool RefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

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
int TakeOverOwnerAndMode(int fd, const OldFile& old) {
    struct stat made {};
    if (::fstat(fd, &made) != 0) return errno;
    const auto oldOwner = static_cast<uid_t>(old.owner);
    const auto oldGroup = static_cast<gid_t>(old.group);
    const uid_t owner = made.st_uid != oldOwner ? oldOwner : static_cast<uid_t>(-1);
    const gid_t group = made.st_gid != oldGroup ? oldGroup : static_cast<gid_t>(-1);
    if (::fchown(fd, owner, group) != 0) return errno;
    if (::fchmod(fd, static_cast<mode_t>(old.mode) & 07777) != 0) return errno;
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

} // namespace

std::string Probe(const fs::path& target, OldFile& old) {
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0) {
        const int error = errno;
        return error == ENOENT ? std::string() : "the file's status cannot be read: " + SystemMessage(error);
    }
    constexpr mode_t anyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    old.exists = true;
    old.regular = S_ISREG(status.st_mode);
    old.readOnly = (status.st_mode & anyWrite) == 0;
    old.links = static_cast<unsigned long>(status.st_nlink);
    old.owner = status.st_uid;
    old.group = status.st_gid;
    old.mode = status.st_mode;
    return {};
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
        const int error = TakeOverOwnerAndMode(out.get(), old);
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

InPlaceFile::~InPlaceFile() {
    if (native >= 0) ::close(static_cast<int>(native));
}

std::string InPlaceFile::Open(const fs::path& target) {
    native = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    return native >= 0 ? std::string() : SystemMessage(errno);
}

std::string InPlaceFile::Read(std::string& text) {
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(static_cast<int>(native), buffer, sizeof buffer, at);
        if (got < 0) return SystemMessage(errno);
        if (got == 0) return {};
        text.append(buffer, static_cast<std::size_t>(got));
        at += got;
    }
}

std::string InPlaceFile::Overwrite(const std::string& contents) {
    const int fd = static_cast<int>(native);
    if (::lseek(fd, 0, SEEK_SET) != 0) return "while writing: " + SystemMessage(errno);
    if (const int error = WriteAll(fd, contents)) return "while writing: " + SystemMessage(error);
    if (::ftruncate(fd, static_cast<off_t>(contents.size())) != 0) {
        return "while cutting it to its new length: " + SystemMessage(errno);
    }
    return {};
}

std::string InPlaceFile::Sync() {
    return ::fsync(static_cast<int>(native)) == 0 ? std::string() : "while syncing: " + SystemMessage(errno);
}

} // namespace postplay::durable
