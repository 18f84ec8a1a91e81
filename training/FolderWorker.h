// The one thread that does the workshop folder's file-system work, so that neither a frame
// nor the game thread ever waits for the drive: scans, usability checks and the page's status
// checks. Callers ask and return at once; a result reaches the landing its caller gave, on
// the worker thread. A newer Scan or Refresh supersedes the older ones (a running walk stops
// before its next query); a Check is never superseded. Each request holds a BackgroundWork
// until its result has landed. README.md ("Threads") describes how the plug-in uses it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/BackgroundWork.h"
#include "host/Mutex.h"
#include "training/WorkshopMaps.h"
#include "training/WorkshopPaths.h"

namespace postplay {

class FolderWorker {
public:
    using Clock = std::chrono::steady_clock;
    using Work = std::shared_ptr<BackgroundWork>;
    static constexpr std::chrono::milliseconds kStatusRecheckPeriod{500};

    struct ScanResult {
        std::uint64_t ticket = 0;
        std::string folder;
        std::shared_ptr<const FoundMaps> maps; // never null
        std::string failure;                   // why the walk ended early, when an error ended it
        Clock::duration took{};
        Work work;
    };
    struct CheckResult {
        std::uint64_t ticket = 0; // 0 for a Check
        std::string folder;
        FolderState state = FolderState::Empty;
        Work work;
    };
    using ScanLanding = std::function<void(ScanResult)>;
    using CheckLanding = std::function<void(CheckResult)>;

    struct Progress {
        bool busy = false;     // a scan or refresh is asked for or under way
        std::size_t found = 0; // maps found so far by the latest scan
    };

    FolderWorker() = default;
    ~FolderWorker() { Stop(); }
    FolderWorker(const FolderWorker&) = delete;
    FolderWorker& operator=(const FolderWorker&) = delete;

    // Starts the thread (at load, so that no frame pays for it). Without a thread to be had,
    // requests run on the caller's thread.
    void Start() EXCLUDES(mutex);

    std::uint64_t Scan(std::string folder, ScanLanding land) EXCLUDES(mutex);
    std::uint64_t Refresh(std::string folder, CheckLanding land) EXCLUDES(mutex);
    void Check(std::string folder, CheckLanding land) EXCLUDES(mutex);
    bool IsLatest(std::uint64_t ticket) const { return latestTicket.load() == ticket; }

    // The frame's call: the state of `folder` by the last check of that very text, or
    // nullopt while none has landed. Asks for a check when the text is new, when the map
    // list has changed since the last frame (`listVersion`), or every kStatusRecheckPeriod.
    std::optional<FolderState> StatusForFrame(const std::string& folder, std::uint64_t listVersion) EXCLUDES(mutex);

    Progress ScanProgress() const EXCLUDES(mutex);

    // Frees `old` here once no one else holds it.
    void Release(std::shared_ptr<const void> old) EXCLUDES(mutex);

    // Drops what is pending and has a running walk stop before its next query; returns at once.
    void RequestStop() EXCLUDES(mutex);
    // RequestStop, then waits for the query under way and joins the thread.
    void Stop() EXCLUDES(mutex);

    // For tests: runs on the worker thread before each file-system query it makes.
    void SetBeforeQuery(std::function<void()> hook) EXCLUDES(mutex);

private:
    enum class Kind { Scan, Refresh, Check, Status };
    struct Request {
        Kind kind;
        std::uint64_t ticket = 0;
        std::string folder;
        ScanLanding scanLanding;
        CheckLanding checkLanding;
        Work work;
    };
    struct StatusRecord {
        std::string folder;
        FolderState state;
        std::uint64_t sequence; // queries are numbered as they start
    };
    class WalkControl;

    std::uint64_t AskOrdered(Request request) EXCLUDES(mutex);
    void Enqueue(Request request) EXCLUDES(mutex);
    std::optional<Request> NextLocked() REQUIRES(mutex);
    bool StatusDueLocked(const std::string& folder, bool listChanged, Clock::time_point now) const REQUIRES(mutex);
    void Run() noexcept EXCLUDES(mutex);
    void Serve(Request request) EXCLUDES(mutex);
    void ServeScan(Request request) EXCLUDES(mutex);
    void ServeCheck(Request request) EXCLUDES(mutex);
    bool BeforeQuery(std::uint64_t ticket) EXCLUDES(mutex);
    void RecordStatusLocked(StatusRecord record) REQUIRES(mutex);
    void MarkOrderedDone() EXCLUDES(mutex);
    std::optional<FolderState> KnownStateLocked(const std::string& folder) const REQUIRES(mutex);
    std::vector<std::shared_ptr<const void>> TakeReleasableLocked() REQUIRES(mutex);

    std::atomic<std::uint64_t> latestTicket{0}; // the newest ordered request
    std::atomic<bool> stopping{false};
    std::atomic<std::size_t> found{0};

    mutable Mutex mutex;
    CondVar wake;
    std::thread thread GUARDED_BY(mutex);
    bool inline_ GUARDED_BY(mutex) = false; // no thread: requests run on the caller
    std::uint64_t ticketsIssued GUARDED_BY(mutex) = 0;
    std::deque<Request> checks GUARDED_BY(mutex);     // never superseded
    std::optional<Request> ordered GUARDED_BY(mutex); // the latest ordered request, not started
    std::optional<Request> status GUARDED_BY(mutex);  // the page's status check, not started
    std::optional<std::string> statusRunning GUARDED_BY(mutex);
    bool orderedRunning GUARDED_BY(mutex) = false;
    static constexpr std::size_t kRememberedFolders = 8;
    std::vector<StatusRecord> statusRecords GUARDED_BY(mutex); // the newest check of each recent text
    std::uint64_t querySequence GUARDED_BY(mutex) = 0;
    Clock::time_point lastStatusAsk GUARDED_BY(mutex){};
    std::uint64_t seenListVersion GUARDED_BY(mutex) = 0;
    std::vector<std::shared_ptr<const void>> graveyard GUARDED_BY(mutex);
    std::function<void()> beforeQuery GUARDED_BY(mutex);
};

} // namespace postplay
