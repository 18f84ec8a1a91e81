// The setting cells that the game thread and the rendering thread share. Numbers and
// switches are atomics; texts and the workshop map list live behind their own small lock,
// held only to copy or replace the value, never while calling the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/Mutex.h"
#include "training/WorkshopMaps.h"

// A text one thread may replace while another reads it. Readers get a copy.
class SharedText {
public:
    SharedText() = default;
    explicit SharedText(std::string initial) : text(std::move(initial)) {}
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    std::string Get() const {
        MutexLock lock(mutex);
        return text;
    }

    void Set(std::string value) {
        MutexLock lock(mutex);
        text.swap(value);
    }

    SharedText& operator=(std::string value) {
        Set(std::move(value));
        return *this;
    }

    bool Empty() const {
        MutexLock lock(mutex);
        return text.empty();
    }

    // Runs `edit` on the text under the lock, so a read, a check and a write back are one
    // step; `edit` must not call the host.
    template <class Edit>
    auto Update(Edit&& edit) EXCLUDES(mutex) {
        MutexLock lock(mutex);
        return edit(text);
    }

    friend bool operator==(const SharedText& cell, const std::string& other) { return cell.Get() == other; }
    friend bool operator!=(const SharedText& cell, const std::string& other) { return !(cell == other); }

private:
    mutable Mutex mutex;
    std::string text GUARDED_BY(mutex);
};

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
    Maps maps GUARDED_BY(mutex);                 // never null
    std::uint64_t version GUARDED_BY(mutex) = 0;
};
