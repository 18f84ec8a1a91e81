// The rewrite of one file below the storage: what stays of the player's file (its other
// names, owner, group and mode) and what a refused folder or a failing disk leaves.
#include "storage/DurableFile.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#if !defined(_WIN32)
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "InterposedCalls.h"

#include "support/HostFixture.h"
#include "support/TextFiles.h"

using namespace postplay;

namespace fs = std::filesystem;

namespace {

std::size_t Temporaries(const fs::path& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) count += entry.path().extension() == ".tmp" ? 1 : 0;
    return count;
}

} // namespace

// A second name made for a backup or a synced folder keeps showing the settings: the file
// is written over, not replaced by a new one.
TEST(DurableFileTest, AFileWithAnotherHardLinkIsRewrittenUnderBothNames) {
    ScratchFolder dir;
    const fs::path file = dir.path() / "cfg" / "Postplay.cfg";
    const fs::path other = dir.path() / "backup" / "Postplay.cfg";
    WriteText(file, "a longer previous text\nover two lines\n");
    fs::create_directories(other.parent_path());
    std::error_code error;
    fs::create_hard_link(file, other, error);
    if (error) GTEST_SKIP() << "this file system has no hard links: " << error.message();

    EXPECT_EQ(ReplaceFileDurably(file, "new\n"), "");
    EXPECT_EQ(ReadBytes(file), "new\n");
    EXPECT_EQ(ReadBytes(other), "new\n");
    EXPECT_TRUE(fs::equivalent(file, other));
    EXPECT_EQ(Temporaries(file.parent_path()), 0u);
}

#if !defined(_WIN32)
using namespace interposed;

namespace {

constexpr uid_t kNobody = 65534;
constexpr const char* kNotNobody = "!the child could not become the user nobody";

// Runs `write` in a child process that gave up root for the user and group nobody, as a
// player's own program runs; returns what it returned, or nothing when the child could not
// become nobody.
std::optional<std::string> AsNobody(const std::function<std::string()>& write) {
    int ends[2];
    if (pipe(ends) != 0) return std::nullopt;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        const bool dropped = setgroups(0, nullptr) == 0 && setresgid(kNobody, kNobody, kNobody) == 0 &&
                             setresuid(kNobody, kNobody, kNobody) == 0;
        const std::string reply = dropped ? write() : kNotNobody;
        _exit(::write(ends[1], reply.data(), reply.size()) == static_cast<ssize_t>(reply.size()) ? 0 : 1);
    }
    close(ends[1]);
    std::string reply;
    char buffer[512];
    for (ssize_t got; child > 0 && (got = read(ends[0], buffer, sizeof buffer)) > 0;) reply.append(buffer, got);
    close(ends[0]);
    int status = 1;
    if (child > 0) waitpid(child, &status, 0);
    if (child < 0 || status != 0 || reply == kNotNobody) return std::nullopt;
    return reply;
}

struct stat StatusOf(const fs::path& file) {
    struct stat status {};
    EXPECT_EQ(stat(file.c_str(), &status), 0) << file;
    return status;
}

// Gives a folder back its owner's write permission when it goes, so that it can be removed.
class WritableAgain {
public:
    explicit WritableAgain(fs::path folder) : folder(std::move(folder)) {}
    WritableAgain(const WritableAgain&) = delete;
    WritableAgain& operator=(const WritableAgain&) = delete;
    ~WritableAgain() {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    }

private:
    fs::path folder;
};

} // namespace

// The new file is synced, put in place under the old name (a new inode), then its folder
// synced, so that the rename survives a power cut; an earlier write's leftover temporary
// goes, nothing else. A close that fails leaves the old file.
TEST(DurableFileTest, SyncsTheNewFileThenTheFolderItWasRenamedIn) {
    ScratchFolder dir;
    const fs::path file = dir.path() / "Postplay.cfg";
    for (const char* name : {"Postplay.cfg", "Postplay.cfg.0123abcd0001.tmp", "Postplay.cfg.tmp", "Other.cfg.1.tmp"})
        WriteText(dir.path() / name, "old\n");
    const ino_t before = StatusOf(file).st_ino;
    recordingSyncs = true;
    EXPECT_EQ(ReplaceFileDurably(file, "new\n"), "");
    recordingSyncs = false;
    EXPECT_EQ(syncs, (std::vector<std::string>{"file", "folder"}));
    EXPECT_NE(StatusOf(file).st_ino, before);
    EXPECT_EQ(Temporaries(dir.path()), 2u);

    const Raised failing(temporaryClosesFail);
    EXPECT_EQ(ReplaceFileDurably(file, "newer\n"), "closing the new file failed: Input/output error");
    EXPECT_EQ(ReadBytes(file), "new\n");
    EXPECT_EQ(Temporaries(dir.path()), 2u);
}

// A folder refusing new files (for want of rights, or read-only) leaves the file to be
// rewritten in place; any other failure to make the new file is said, the file untouched.
TEST(DurableFileTest, OnlyAFolderThatRefusesNewFilesLeadsToARewriteInPlace) {
    ScratchFolder dir;
    const fs::path file = dir.path() / "Postplay.cfg";
    for (const int refusal : {EACCES, EPERM, EROFS, EEXIST, ENOSPC}) {
        WriteText(file, "old\n");
        temporariesFail = refusal;
        const std::string why = ReplaceFileDurably(file, "new\n");
        const bool missing = ReplaceFileDurably(dir.path() / "missing.cfg", "x").empty();
        temporariesFail = 0;
        const bool inPlace = refusal != EEXIST && refusal != ENOSPC;
        const std::string failure = std::string("the temporary file beside it cannot be created: ") + strerror(refusal);
        EXPECT_EQ(why, inPlace ? "" : failure);
        EXPECT_EQ(ReadBytes(file), inPlace ? "new\n" : "old\n") << refusal;
        EXPECT_FALSE(missing) << refusal;
    }
}

// The player made the folder read-only but not the file: the file is still saved, in
// place. As root the folder refuses nothing, so the write runs as the user nobody, the
// file being theirs.
TEST(DurableFileTest, AFolderThatRefusesNewFilesHasTheFileRewrittenInPlace) {
    ScratchFolder dir;
    const fs::path folder = dir.path() / "cfg";
    const fs::path file = folder / "Postplay.cfg";
    WriteText(file, "the previous, longer text\n");
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(file.c_str(), kNobody, kNobody), 0);
    }
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const WritableAgain restore(folder);
    const struct stat before = StatusOf(file);

    const std::function<std::string()> writes = [&] { return ReplaceFileDurably(file, "new\n"); };
    const std::optional<std::string> reply = root ? AsNobody(writes) : writes();
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, "");
    EXPECT_EQ(ReadBytes(file), "new\n");
    const struct stat after = StatusOf(file);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(Temporaries(folder), 0u);
}

// Root saving a player's file gives the new file the player's owner, group and mode; a
// player saving a file whose group they may not give to a new file has it rewritten in
// place, so the group stays.
TEST(DurableFileTest, OwnerGroupAndModeStayWhoeverWrites) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    ScratchFolder dir;
    const fs::path players = dir.path() / "players.cfg";
    WriteText(players, "old\n");
    ASSERT_EQ(chown(players.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(players.c_str(), 0640), 0);
    EXPECT_EQ(ReplaceFileDurably(players, "new\n"), "");
    EXPECT_EQ(ReadBytes(players), "new\n");
    const struct stat replaced = StatusOf(players);
    EXPECT_EQ(replaced.st_uid, kNobody);
    EXPECT_EQ(replaced.st_gid, kNobody);
    EXPECT_EQ(replaced.st_mode & 07777, 0640u);
    const fs::path own = dir.path() / "own.cfg"; // and root's own file stays root's
    WriteText(own, "old\n");
    EXPECT_EQ(ReplaceFileDurably(own, "new\n"), "");
    EXPECT_TRUE(StatusOf(own).st_uid == 0 && StatusOf(own).st_gid == 0);

    const fs::path folder = dir.path() / "own";
    const fs::path shared = folder / "shared.cfg";
    WriteText(shared, "old text\n");
    ASSERT_EQ(chown(folder.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chown(shared.c_str(), kNobody, 0), 0);
    ASSERT_EQ(chmod(shared.c_str(), 0664), 0);
    const struct stat before = StatusOf(shared);
    const std::optional<std::string> reply = AsNobody([&] { return ReplaceFileDurably(shared, "new\n"); });
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, "");
    EXPECT_EQ(ReadBytes(shared), "new\n");
    const struct stat after = StatusOf(shared);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_gid, 0u);
    EXPECT_EQ(after.st_mode & 07777, 0664u);
    EXPECT_EQ(Temporaries(folder), 0u);
}

// A disk that cannot sync: the previous text stays, whether the write went through a new
// file or in place, and the reason says what the system said.
TEST(DurableFileTest, AFailingSyncKeepsThePreviousTextAndSaysWhy) {
    const std::string previous = "the previous text\n";
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "in place" : "through a new file");
        ScratchFolder dir;
        const fs::path file = dir.path() / "Postplay.cfg";
        WriteText(file, previous);
        if (linked) fs::create_hard_link(file, dir.path() / "link.cfg");
        const ino_t inode = StatusOf(file).st_ino;
        std::string why;
        {
            const Raised failing(syncsFail);
            why = ReplaceFileDurably(file, "a new and longer text\n");
        }
        EXPECT_NE(why.find("Input/output error"), std::string::npos) << why;
        EXPECT_EQ(ReadBytes(file), previous);
        EXPECT_EQ(StatusOf(file).st_ino, inode);
        EXPECT_EQ(Temporaries(dir.path()), 0u);
    }
}
#endif
