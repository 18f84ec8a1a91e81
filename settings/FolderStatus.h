// The workshop folder's state for the panel's status line, kept off the frame.
//
// A folder on a slow or sleeping drive can take a long time to answer a status query, and
// the page is drawn on the game's rendering thread: a query made while drawing would hold
// up every frame. So the frame never queries the folder. It reads the result of the last
// check and, when one is due, asks for a new check, which a small worker thread of the
// watcher makes beside the page (the thread starts the first time a check is asked for).
//
// A check is asked for when the folder text differs from the one last checked, when the
// map list was replaced since the previous frame (a scan or a clear ran, from the page or
// the console), and otherwise every kRecheckPeriod while the panel is drawn. The refresh
// step (a click on refresh, an edit of the folder, the first frame's automatic scan) is
// the player's own action: it checks the folder on the frame's thread, as it always has,
// and its result becomes the latest check.
//
// While no check of the current folder text has landed yet (the panel's first frame, or a
// folder changed from the console), the panel shows no status line and nothing below it:
// the state of another folder text could be wrong about this one, and the check lands a
// frame or so later (as long as the drive takes to answer). An empty text is Empty at
// once, without a check.
//
// The lock guards only the watcher's own fields; file-system work and the host are never
// reached while it is held. Stop (at unload) joins the thread; a check asked for after it
// is made on the caller's thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "host/Mutex.h"

enum class FolderState { Empty, Missing, NotDirectory, Directory };

// Queries the file system for the folder text's state (as long as the drive takes). Any
// failure to read the status (access denied, a name too long, a loop of links, a text
// that names no path) reads as Missing: the plug-in cannot reach anything there.
FolderState QueryFolderState(const std::string& folder);

class FolderStatusWatcher {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kRecheckPeriod{500};

    FolderStatusWatcher() = default;
    ~FolderStatusWatcher() { Stop(); }
    FolderStatusWatcher(const FolderStatusWatcher&) = delete;
    FolderStatusWatcher& operator=(const FolderStatusWatcher&) = delete;

    // The frame's call: the state of `folder` by the last check of that very text, or
    // nullopt while none has landed. Asks for a check when one is due and returns at once.
    // `list` is the frame's snapshot of the map list; another list than the previous
    // frame's means a scan or a clear ran since.
    std::optional<FolderState> StateForFrame(const std::string& folder,
                                             std::shared_ptr<const void> list) EXCLUDES(mutex);

    // Checks `folder` here and now and records the result as the latest check.
    FolderState CheckNow(const std::string& folder) EXCLUDES(mutex);

    // Joins the worker thread (waiting for a check it is making). Safe to call again.
    void Stop() EXCLUDES(mutex);

    // For tests and benchmarks: waits until no watcher has a check asked for or under way,
    // at most `limit`; false when that did not happen in time.
    static bool WaitUntilIdle(std::chrono::milliseconds limit);

private:
    struct Check {
        std::string folder;
        FolderState state;
        std::uint64_t ticket;                    // checks are numbered as they start
    };

    bool Due(const std::string& folder, bool listChanged, Clock::time_point now) const REQUIRES(mutex);
    bool AskLocked(const std::string& folder, Clock::time_point now) REQUIRES(mutex);
    void LandLocked(Check check) REQUIRES(mutex);
    void MarkBusyLocked() REQUIRES(mutex);
    void Work() noexcept EXCLUDES(mutex);

    // The frame (rendering thread) asks and reads; the worker checks; Stop runs at unload.
    mutable Mutex mutex;
    CondVar wake;
    std::thread worker GUARDED_BY(mutex);
    std::optional<std::string> pending GUARDED_BY(mutex); // asked for, not started
    std::optional<std::string> running GUARDED_BY(mutex); // being checked by the worker
    std::optional<Check> latest GUARDED_BY(mutex); // the check that started last, of those landed
    std::uint64_t lastTicket GUARDED_BY(mutex) = 0;
    Clock::time_point lastAsked GUARDED_BY(mutex){};
    // Kept alive, so a new list never reuses its address.
    std::shared_ptr<const void> seenList GUARDED_BY(mutex);
    bool stopped GUARDED_BY(mutex) = false;      // no worker any more: checks run on the caller
    bool countedBusy GUARDED_BY(mutex) = false;
};
