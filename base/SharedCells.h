// The setting cells that the game thread and the rendering thread share. Numbers and
// switches are atomics; texts live behind their own small lock, held only to copy or
// replace the value, never while calling the host.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/TrainingMode.h"
#include "host/Mutex.h"

namespace postplay {

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

// The typed copies of the settings, one cell per row of the setting table
// (base/SettingTable.h), which names the variable each follows. Empty until the load
// creates them all at once; each is then replaced only by the next load.
struct SettingCells {
    std::shared_ptr<std::atomic<bool>> enabled;
    std::shared_ptr<std::atomic<TrainingMode::Mode>> trainingMode;
    std::shared_ptr<SharedText> customTrainingPackCode;
    std::shared_ptr<std::atomic<bool>> autoRequeue;
    std::shared_ptr<std::atomic<int>> requeueDelay;
    std::shared_ptr<std::atomic<bool>> waitMmr;
    std::shared_ptr<SharedText> workshopMapsFolder;
    std::shared_ptr<SharedText> workshopMap;
    std::shared_ptr<std::atomic<bool>> enableCompetitive;
    std::shared_ptr<std::atomic<bool>> enableCasual;
    std::shared_ptr<SharedText> toggleBind;
};

} // namespace postplay
