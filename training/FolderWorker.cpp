#include "training/FolderWorker.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "base/ThreadPriority.h"

namespace postplay {

namespace {
// How often the worker looks again at lists it was handed while a frame still held them.
constexpr std::chrono::milliseconds kReleaseRetry{100};
} // namespace

// The running scan's view of the worker: stops when a newer ordered request came or the
// worker stops, and tells how many maps it has found.
class FolderWorker::WalkControl final : public ScanControl {
public:
    WalkControl(FolderWorker& worker, std::uint64_t ticket) : worker(worker), ticket(ticket) {}
    bool Continue() override { return worker.BeforeQuery(ticket); }
    void Found(std::size_t count) override { worker.found = count; }

private:
    FolderWorker& worker;
    std::uint64_t ticket;
};

void FolderWorker::Start() {
    MutexLock lock(mutex);
    if (thread.joinable() || inline_ || stopping) return;
    try {
        thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        inline_ = true;
    }
}

std::uint64_t FolderWorker::Scan(std::string folder, ScanLanding land) {
    return AskOrdered(
        Request{Kind::Scan, 0, std::move(folder), std::move(land), {}, std::make_shared<BackgroundWork>()});
}

std::uint64_t FolderWorker::Refresh(std::string folder, CheckLanding land) {
    return AskOrdered(
        Request{Kind::Refresh, 0, std::move(folder), {}, std::move(land), std::make_shared<BackgroundWork>()});
}

void FolderWorker::Check(std::string folder, CheckLanding land) {
    Enqueue(Request{Kind::Check, 0, std::move(folder), {}, std::move(land), std::make_shared<BackgroundWork>()});
}

std::uint64_t FolderWorker::AskOrdered(Request request) {
    std::optional<Request> superseded; // dropped after the lock, with its work
    std::uint64_t ticket = 0;
    {
        MutexLock lock(mutex);
        ticket = request.ticket = ++ticketsIssued;
        latestTicket = ticket;       // a running walk stops at its next query
        if (stopping) return ticket; // after the unload: dropped, with its work
        if (!inline_) {
            superseded.swap(ordered);
            ordered = std::move(request);
            lock.Unlock(); // woken after: it need not wait for our lock
            wake.NotifyAll();
            return ticket;
        }
    }
    Serve(std::move(request));
    return ticket;
}

void FolderWorker::Enqueue(Request request) {
    {
        MutexLock lock(mutex);
        if (stopping) return;
        if (!inline_) {
            checks.push_back(std::move(request));
            lock.Unlock();
            wake.NotifyAll();
            return;
        }
    }
    Serve(std::move(request));
}

std::optional<FolderState> FolderWorker::StatusForFrame(const std::string& folder, std::uint64_t listVersion) {
    if (folder.empty()) return FolderState::Empty;
    const Clock::time_point now = Clock::now();
    std::optional<Request> ask;
    std::optional<Request> superseded;
    bool asked = false;
    {
        MutexLock lock(mutex);
        const bool listChanged = listVersion != seenListVersion;
        seenListVersion = listVersion;
        if (!stopping && StatusDueLocked(folder, listChanged, now)) {
            lastStatusAsk = now;
            Request request{Kind::Status, 0, folder, {}, {}, std::make_shared<BackgroundWork>()};
            if (inline_) {
                ask = std::move(request);
            } else {
                superseded.swap(status);
                status = std::move(request);
                asked = true;
            }
        }
        if (!ask) {
            const std::optional<FolderState> known = KnownStateLocked(folder);
            lock.Unlock();
            if (asked) wake.NotifyAll();
            return known;
        }
    }
    Serve(std::move(*ask)); // no thread: checked here
    MutexLock lock(mutex);
    return KnownStateLocked(folder);
}

std::optional<FolderState> FolderWorker::KnownStateLocked(const std::string& folder) const {
    for (const StatusRecord& record : statusRecords)
        if (record.folder == folder) return record.state;
    return std::nullopt;
}

// A list change means a scan or a clear ran since the last frame: the folder may have
// changed too. A text not known yet is asked for once; a known one every period.
bool FolderWorker::StatusDueLocked(const std::string& folder, bool listChanged, Clock::time_point now) const {
    const bool askedHere = status && status->folder == folder;
    if (listChanged && !askedHere) return true;
    const bool known = KnownStateLocked(folder).has_value();
    if (!known) return !askedHere && !(statusRunning && *statusRunning == folder);
    return !status && !statusRunning && now - lastStatusAsk >= kStatusRecheckPeriod;
}

FolderWorker::Progress FolderWorker::ScanProgress() const {
    MutexLock lock(mutex);
    return {ordered.has_value() || orderedRunning, found.load()};
}

void FolderWorker::Release(std::shared_ptr<const void> old) {
    if (!old) return;
    MutexLock lock(mutex);
    if (inline_ || stopping) return; // `old` goes here, with the caller's reference
    graveyard.push_back(std::move(old));
    lock.Unlock();
    wake.NotifyAll();
}

void FolderWorker::SetBeforeQuery(std::function<void()> hook) {
    MutexLock lock(mutex);
    beforeQuery = std::move(hook);
}

// Checks first (quick, and never dropped), then the latest ordered request, then the page's
// status check.
std::optional<FolderWorker::Request> FolderWorker::NextLocked() {
    std::optional<Request> next;
    if (!checks.empty()) {
        next = std::move(checks.front());
        checks.pop_front();
    } else if (ordered) {
        next.swap(ordered);
    } else if (status) {
        next.swap(status);
        statusRunning = next->folder;
    }
    return next;
}

void FolderWorker::Run() noexcept {
    LowerThisThreadsPriority();
    MutexLock lock(mutex);
    for (;;) {
        while (!stopping && checks.empty() && !ordered && !status) {
            if (graveyard.empty()) {
                wake.Wait(lock);
            } else {
                wake.WaitFor(lock, kReleaseRetry);
                auto released = TakeReleasableLocked();
                if (!released.empty()) lock.RunUnlocked([&released] { released.clear(); });
            }
        }
        if (stopping) return;
        auto released = TakeReleasableLocked();
        std::optional<Request> next = NextLocked();
        const bool orderedNext = next && (next->kind == Kind::Scan || next->kind == Kind::Refresh);
        orderedRunning = orderedNext;
        lock.RunUnlocked([&] {
            released.clear();
            if (next) Serve(std::move(*next));
        });
        statusRunning.reset();
        orderedRunning = false;
    }
}

std::vector<std::shared_ptr<const void>> FolderWorker::TakeReleasableLocked() {
    std::vector<std::shared_ptr<const void>> released;
    for (auto item = graveyard.begin(); item != graveyard.end();) {
        if (item->use_count() == 1) { // only here: no frame can take it back
            released.push_back(std::move(*item));
            item = graveyard.erase(item);
        } else {
            ++item;
        }
    }
    return released;
}

void FolderWorker::Serve(Request request) {
    try {
        if (request.kind == Kind::Scan)
            ServeScan(std::move(request));
        else
            ServeCheck(std::move(request));
    } catch (...) {
        // Only a failed allocation gets here; the request is dropped with its work.
    }
}

void FolderWorker::ServeScan(Request request) {
    ScanResult result;
    result.ticket = request.ticket;
    result.folder = request.folder;
    const Clock::time_point start = Clock::now();
    if (!request.folder.empty()) {
        found = 0;
        WalkControl control(*this, request.ticket);
        std::vector<std::string> maps = FindWorkshopMaps(request.folder, result.failure, &control);
        if (!IsLatest(request.ticket) || stopping) return; // stopped part-way: nothing to land
        result.maps = std::make_shared<const FoundMaps>(std::move(maps));
    } else {
        result.maps = std::make_shared<const FoundMaps>();
    }
    result.took = Clock::now() - start;
    result.work = std::move(request.work);
    MarkOrderedDone();
    request.scanLanding(std::move(result));
}

void FolderWorker::ServeCheck(Request request) {
    std::uint64_t sequence = 0;
    {
        MutexLock lock(mutex);
        sequence = ++querySequence;
    }
    if (!request.folder.empty() && !BeforeQuery(request.kind == Kind::Refresh ? request.ticket : 0)) return;
    const FolderState state = QueryFolderState(request.folder);
    {
        MutexLock lock(mutex);
        RecordStatusLocked(StatusRecord{request.folder, state, sequence});
    }
    if (request.kind == Kind::Status || stopping) return; // read by the frame, or unloading: `work` ends here
    if (request.kind == Kind::Refresh) MarkOrderedDone();
    request.checkLanding(CheckResult{request.ticket, std::move(request.folder), state, std::move(request.work)});
}

// Before a landing is handed on: by the time it lands, the page no longer shows the work.
void FolderWorker::MarkOrderedDone() {
    MutexLock lock(mutex);
    orderedRunning = false;
}

// Keeps the newest check of each of the last few folder texts: a check that started before
// the one recorded for its text has older news and is dropped.
void FolderWorker::RecordStatusLocked(StatusRecord record) {
    if (record.folder.empty()) return;
    for (StatusRecord& kept : statusRecords) {
        if (kept.folder != record.folder) continue;
        if (record.sequence > kept.sequence) kept = std::move(record);
        return;
    }
    if (statusRecords.size() == kRememberedFolders) {
        statusRecords.erase(
            std::min_element(statusRecords.begin(), statusRecords.end(),
                             [](const StatusRecord& a, const StatusRecord& b) { return a.sequence < b.sequence; }));
    }
    statusRecords.push_back(std::move(record));
}

// Asked before each query: runs the tests' hook, then says whether the walk (or check)
// with `ticket` is still wanted (0: a check nothing supersedes).
bool FolderWorker::BeforeQuery(std::uint64_t ticket) {
    std::function<void()> hook;
    {
        MutexLock lock(mutex);
        hook = beforeQuery;
    }
    if (hook) hook();
    if (stopping) return false;
    return ticket == 0 || IsLatest(ticket);
}

void FolderWorker::RequestStop() {
    std::deque<Request> droppedChecks;
    std::optional<Request> droppedOrdered, droppedStatus;
    std::vector<std::shared_ptr<const void>> droppedLists;
    MutexLock lock(mutex);
    stopping = true;
    droppedChecks.swap(checks);
    droppedOrdered.swap(ordered);
    droppedStatus.swap(status);
    droppedLists.swap(graveyard);
    wake.NotifyAll();
    lock.RunUnlocked([&] {
        droppedChecks.clear();
        droppedOrdered.reset();
        droppedStatus.reset();
        droppedLists.clear();
    });
}

void FolderWorker::Stop() {
    RequestStop();
    std::thread finished;
    {
        MutexLock lock(mutex);
        finished.swap(thread);
    }
    if (finished.joinable()) finished.join(); // a running query ends, then the walk stops
}

} // namespace postplay
