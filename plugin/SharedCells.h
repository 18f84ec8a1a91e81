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

// The workshop map entries. A scan builds its list aside and swaps it in whole; readers take
// a snapshot that stays whole and unchanged however the list is replaced meanwhile. Every
// Clear starts a new generation: a scan that began before it (and so may describe another
// folder) finds its result superseded and drops it, so the last clear or scan started wins.
class WorkshopMapList {
public:
    using Entries = std::vector<std::string>;

    WorkshopMapList() : entries(std::make_shared<const Entries>()) {}
    WorkshopMapList(const WorkshopMapList&) = delete;
    WorkshopMapList& operator=(const WorkshopMapList&) = delete;

    std::shared_ptr<const Entries> Snapshot() const {
        MutexLock lock(mutex);
        return entries;
    }

    // Empties the list; returns the new generation.
    std::uint64_t Clear() {
        auto empty = std::make_shared<const Entries>();
        MutexLock lock(mutex);
        entries.swap(empty);                     // the old list goes after the lock, with its last reader
        return ++generation;
    }

    // Swaps `entries` in whole, superseding any scan still running.
    void Replace(Entries replacement) {
        auto list = std::make_shared<const Entries>(std::move(replacement));
        MutexLock lock(mutex);
        entries.swap(list);
        ++generation;
    }

    // Swaps `found` in unless the list was cleared since `since`; false when superseded.
    bool ReplaceIfCurrent(Entries found, std::uint64_t since) {
        auto replacement = std::make_shared<const Entries>(std::move(found));
        MutexLock lock(mutex);
        if (generation != since) return false;
        entries.swap(replacement);
        return true;
    }

    bool Empty() const { return Snapshot()->empty(); }
    std::size_t Size() const { return Snapshot()->size(); }

private:
    mutable Mutex mutex;
    std::shared_ptr<const Entries> entries GUARDED_BY(mutex); // never null
    std::uint64_t generation GUARDED_BY(mutex) = 0;
};
