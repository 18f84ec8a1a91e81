// The count of work that plug-ins have handed to threads of their own, and the wait that
// lets it land before a scripted host moves on (host/BackgroundWork.h).
#include "host/BackgroundWork.h"

#include "sim/HostImpl.h"

namespace sim {

namespace {

// Process-wide: the work outlives no host, but a plug-in's thread does not know which host
// it runs under. Taken after a host's `mutex` when both are held, never before it.
struct WorkBoard {
    Mutex mutex;
    CondVar changed;
    int pending GUARDED_BY(mutex) = 0;
    std::uint64_t jobsScheduled GUARDED_BY(mutex) = 0;
};

WorkBoard& Board() {
    static WorkBoard board;
    return board;
}

} // namespace

std::uint64_t NoteJobScheduled() {
    WorkBoard& board = Board();
    MutexLock lock(board.mutex);
    board.changed.NotifyAll();
    return ++board.jobsScheduled;
}

std::uint64_t JobsScheduled() {
    WorkBoard& board = Board();
    MutexLock lock(board.mutex);
    return board.jobsScheduled;
}

bool WaitForBackgroundWork(std::uint64_t jobsSeen) {
    WorkBoard& board = Board();
    MutexLock lock(board.mutex);
    if (board.pending == 0) return false;
    while (board.pending > 0 && board.jobsScheduled == jobsSeen) board.changed.Wait(lock);
    return true;
}

} // namespace sim

BackgroundWork::BackgroundWork() {
    sim::WorkBoard& board = sim::Board();
    MutexLock lock(board.mutex);
    ++board.pending;
}

BackgroundWork::~BackgroundWork() {
    sim::WorkBoard& board = sim::Board();
    MutexLock lock(board.mutex);
    --board.pending;
    board.changed.NotifyAll();
}
