// The workshop map list the settings page and the game thread share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "host/Mutex.h"
#include "training/WorkshopMaps.h"

namespace postplay {

// The workshop map entries found by the last scan. A scan builds its list aside and swaps it
// in whole; readers take a snapshot that stays whole and unchanged however the list is
// replaced meanwhile. Which scan's list lands, and when, is the folder worker's business
// (training/FolderWorker.h): the list only keeps the one that landed last.
class WorkshopMapList {
public:
    using Maps = std::shared_ptr<const FoundMaps>;

    WorkshopMapList() : maps(std::make_shared<const FoundMaps>()) {}
    WorkshopMapList(const WorkshopMapList&) = delete;
    WorkshopMapList& operator=(const WorkshopMapList&) = delete;

    Maps Snapshot() const {
        MutexLock lock(mutex);
        return maps;
    }

    // Grows with every replacement: another version than a frame saw before means a scan
    // or a clear landed since.
    std::uint64_t Version() const {
        MutexLock lock(mutex);
        return version;
    }

    // Swaps `replacement` in whole and hands back the list it replaced, for the caller to
    // release where freeing a long list costs no frame.
    Maps Replace(Maps replacement) {
        if (!replacement) replacement = std::make_shared<const FoundMaps>();
        MutexLock lock(mutex);
        maps.swap(replacement);
        ++version;
        return replacement;
    }

    bool Empty() const { return Snapshot()->Empty(); }
    std::size_t Size() const { return Snapshot()->Size(); }

private:
    mutable Mutex mutex;
    Maps maps GUARDED_BY(mutex); // never null
    std::uint64_t version GUARDED_BY(mutex) = 0;
};

} // namespace postplay
