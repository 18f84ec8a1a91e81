#include "settings/FolderStatus.h"

#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "training/WorkshopMaps.h"

namespace {

// How many watchers have a check asked for or under way, for WaitUntilIdle. Taken inside
// a watcher's lock, never the other way round.
struct IdleBoard {
    Mutex mutex;
    CondVar changed;
    int busyWatchers GUARDED_BY(mutex) = 0;
};

IdleBoard& Board() {
    static IdleBoard board;
    return board;
}

} // namespace

FolderState QueryFolderState(const std::string& folder) {
    if (folder.empty()) return FolderState::Empty;
    // A text holding a NUL names no folder: the system would read it only up to the NUL.
    if (folder.find('\0') != std::string::npos) return FolderState::Missing;
    try {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(PathFromText(folder), error);
        if (!std::filesystem::exists(status)) return FolderState::Missing;   // also when unreadable
        return std::filesystem::is_directory(status) ? FolderState::Directory : FolderState::NotDirectory;
    } catch (const std::exception&) {
        return FolderState::Missing;             // the text cannot even be turned into a path
    }
}

std::optional<FolderState> FolderStatusWatcher::StateForFrame(const std::string& folder,
                                                             std::shared_ptr<const void> list) {
    if (folder.empty()) return FolderState::Empty;
    const Clock::time_point now = Clock::now();
    MutexLock lock(mutex);
    const bool listChanged = list.get() != seenList.get();
    seenList.swap(list);                         // the list seen before goes with `list`, after the lock
    if (Due(folder, listChanged, now) && !AskLocked(folder, now)) {
        lock.RunUnlocked([&] { CheckNow(folder); });  // no worker (stopped): check here
    }
    if (latest && latest->folder == folder) return latest->state;
    return std::nullopt;
}

bool FolderStatusWatcher::Due(const std::string& folder, bool listChanged, Clock::time_point now) const {
    const bool pendingHere = pending && *pending == folder;
    if (listChanged && !pendingHere) return true;  // a check under way may have started before the scan
    const bool known = latest && latest->folder == folder;
    if (!known) return !pendingHere && !(running && *running == folder);
    return !pending && !running && now - lastAsked >= kRecheckPeriod;
}

// Hands `folder` to the worker, starting it the first time; false when there is no worker.
bool FolderStatusWatcher::AskLocked(const std::string& folder, Clock::time_point now) {
    if (stopped) return false;
    if (!worker.joinable()) {
        try {
            worker = std::thread([this] { Work(); });
        } catch (const std::system_error&) {
            stopped = true;                      // no thread to be had: check on the caller
            return false;
        }
    }
    pending = folder;
    lastAsked = now;
    MarkBusyLocked();
    wake.NotifyOne();
    return true;
}

FolderState FolderStatusWatcher::CheckNow(const std::string& folder) {
    if (folder.empty()) return FolderState::Empty;
    std::uint64_t ticket = 0;
    {
        MutexLock lock(mutex);
        ticket = ++lastTicket;
        lastAsked = Clock::now();
        pending.reset();                         // this check answers the newest question
        MarkBusyLocked();
    }
    const FolderState state = QueryFolderState(folder);
    MutexLock lock(mutex);
    LandLocked(Check{folder, state, ticket});
    return state;
}

// A check that started before the latest one landed has older news: it is dropped.
void FolderStatusWatcher::LandLocked(Check check) {
    if (!latest || check.ticket > latest->ticket) latest = std::move(check);
}

void FolderStatusWatcher::MarkBusyLocked() {
    const bool busy = pending.has_value() || running.has_value();
    if (busy == countedBusy) return;
    countedBusy = busy;
    IdleBoard& board = Board();
    MutexLock lock(board.mutex);
    board.busyWatchers += busy ? 1 : -1;
    board.changed.NotifyAll();
}

void FolderStatusWatcher::Work() noexcept {
    MutexLock lock(mutex);
    try {
        for (;;) {
            while (!stopped && !pending) wake.Wait(lock);
            if (stopped) break;
            running = std::move(*pending);
            pending.reset();
            const std::uint64_t ticket = ++lastTicket;
            const std::string folder = *running;
            const FolderState state = lock.RunUnlocked([&] { return QueryFolderState(folder); });
            running.reset();
            LandLocked(Check{folder, state, ticket});
            MarkBusyLocked();
        }
    } catch (...) {
        // Only a failed allocation gets here, with the lock held. From now on checks run on
        // the caller.
        stopped = true;
    }
    pending.reset();
    running.reset();
    MarkBusyLocked();
}

void FolderStatusWatcher::Stop() {
    std::thread finished;
    {
        MutexLock lock(mutex);
        stopped = true;
        finished.swap(worker);
        wake.NotifyAll();
    }
    if (finished.joinable()) finished.join();
}

bool FolderStatusWatcher::WaitUntilIdle(std::chrono::milliseconds limit) {
    IdleBoard& board = Board();
    const auto deadline = Clock::now() + limit;
    MutexLock lock(board.mutex);
    while (board.busyWatchers != 0) {
        if (Clock::now() >= deadline) return false;
        board.changed.WaitFor(lock, deadline - Clock::now());
    }
    return true;
}
