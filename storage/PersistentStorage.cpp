#include "storage/PersistentStorage.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "base/EntryGuard.h"
#include "base/Log.h"
#include "base/NarrowPath.h"
#include "base/SettingTable.h"
#include "base/ThreadPriority.h"
#include "host/BakkesModPlugin.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "host/PathText.h"
#include "storage/DurableFile.h"
#include "storage/LineEnd.h"

namespace postplay {

namespace fs = std::filesystem;

namespace {

// A double quote would close the quoted value early and a line break or NUL would end
// the line: either way the rest of the text would read back as another value or command.
bool BreaksStoredLine(char c) { return c == '"' || c == '\n' || c == '\r' || c == '\0'; }

// Drops the characters that a stored line cannot hold; true when there were any.
bool DropUnstorableCharacters(std::string& text) {
    const auto before = text.size();
    text.erase(std::remove_if(text.begin(), text.end(), BreaksStoredLine), text.end());
    return text.size() != before;
}

// The cache entry for a variable, with anything a stored line cannot hold left out; says
// so once, when the text arrives, rather than at every later write.
PersistentStorage::CachedCvar MakeCachedCvar(const std::string& name, std::string value, std::string description) {
    const bool valueCleaned = DropUnstorableCharacters(value);
    const bool descriptionCleaned = DropUnstorableCharacters(description);
    if (valueCleaned || descriptionCleaned) {
        Log("PersistentStorage: double quotes, line breaks and NUL characters were left out of the stored {} "
            "so that the file reads back as written",
            name);
    }
    return {std::move(value), std::move(description)};
}

} // namespace

PersistentStorage::PersistentStorage(BakkesMod::Plugin::BakkesModPlugin* plugin, const std::string& storageName,
                                     bool autoWrite, bool autoLoad)
    : cvarManager(plugin->cvarManager), gameWrapper(plugin->gameWrapper), autoWrite(autoWrite) {
    storageFile = MakeStorageFilePath(storageName);
    Log("PersistentStorage: created and will store the data in {}", PathToUtf8(storageFile));

    const std::weak_ptr<void> token = lifetime;
    cvarManager->registerNotifier(
        command::kWriteConfig,
        [this, token](const std::vector<std::string>& /*words*/) {
            if (token.expired()) return;
            RunGuarded(command::kWriteConfig, [this] {
                if (!loaded) {
                    Log("PersistentStorage: writeconfig skipped: the saved settings are not loaded yet");
                    return;
                }
                WriteStorageFile();
            });
        },
        "", 0);

    if (autoLoad) {
        gameWrapper->SetTimeout(
            [this, token](GameWrapper*) {
                if (!token.expired()) RunGuarded("loading the stored settings", [this] { LoadStorageFile(); });
            },
            0.1f);
    }
}

PersistentStorage::~PersistentStorage() {
    try {
        StopWriter();
        // The last values, written on this thread: the writer is gone.
        if (loaded) WriteNow();
    } catch (...) {
        // A destructor must not throw; the last write is best effort.
    }
}

CVarWrapper PersistentStorage::RegisterStoredCvar(const std::string& name, const std::string& defaultValue,
                                                  const std::string& description, bool searchable, bool hasMin,
                                                  float min, bool hasMax, float max, bool saveToCfg) {
    return RegisterStoredCvar(name, defaultValue, description, searchable, hasMin, min, hasMax, max, saveToCfg,
                              nullptr);
}

CVarWrapper PersistentStorage::RegisterStoredCvar(const std::string& name, const std::string& defaultValue,
                                                  const std::string& description, bool searchable, bool hasMin,
                                                  float min, bool hasMax, float max, bool saveToCfg,
                                                  ValueCheck accepts) {
    if (accepts) {
        MutexLock lock(cacheMutex);
        checks[name] = accepts;
    }
    CVarWrapper cvar =
        cvarManager->registerCvar(name, defaultValue, description, searchable, hasMin, min, hasMax, max, saveToCfg);
    if (!cvar) {
        Log("PersistentStorage: Failed to register the cvar {}", name);
    } else {
        AddCVar(name);
    }
    return cvar;
}

void PersistentStorage::AddCVar(const std::string& name) {
    CVarWrapper cvar = cvarManager->getCvar(name);
    if (!cvar) {
        Log("PersistentStorage: Warning the cvar {} should be registered before adding it to persistent storage", name);
        return;
    }
    std::uint64_t order = 0;
    {
        MutexLock lock(cacheMutex);
        order = ++changeCount;
    }
    std::string value = cvar.getStringValue();
    if (Refuses(name, value)) value.clear(); // the host held a refused value: stored as none
    StoreInCache(name, MakeCachedCvar(name, std::move(value), cvar.getDescription()), order);
    const std::weak_ptr<void> token = lifetime;
    cvar.addOnValueChanged([this, token](std::string oldValue, CVarWrapper changed) {
        if (token.expired()) return;
        RunGuarded("storing a setting", [&] { OnStoredCvarChanged(std::move(oldValue), changed); });
    });
}

// Takes the old value by value, as the host's change callbacks hand it over.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void PersistentStorage::OnStoredCvarChanged(std::string /*oldValue*/, CVarWrapper cvar) {
    const std::string name = cvar.getCVarName();
    std::uint64_t order = 0;
    {
        MutexLock lock(cacheMutex);
        if (cache.count(name) != 0) order = ++changeCount;
    }
    // The order is taken before the value is read, so of two changes racing on one
    // variable, the one read last (which sees the latest value) is the one kept.
    const std::string value = cvar.getStringValue();
    if (Refuses(name, value)) {
        MutexLock lock(cacheMutex);
        if (!loaded) refusedWhileLoading = true;
        return; // not cached, so no write can hold it
    }
    if (order != 0) StoreInCache(name, MakeCachedCvar(name, value, cvar.getDescription()), order);
    if (autoWrite && loaded) RequestWrite();
}

void PersistentStorage::StoreInCache(const std::string& name, CachedCvar entry, std::uint64_t order) {
    MutexLock lock(cacheMutex);
    std::uint64_t& storedOrder = cacheOrder[name];
    if (order < storedOrder) return; // a later change is already stored
    storedOrder = order;
    cache[name] = std::move(entry);
}

bool PersistentStorage::Refuses(const std::string& name, const std::string& value) const {
    ValueCheck accepts = nullptr;
    {
        MutexLock lock(cacheMutex);
        const auto check = checks.find(name);
        if (check != checks.end()) accepts = check->second;
    }
    return accepts != nullptr && !accepts(value);
}

void PersistentStorage::WriteStorageFile() {
    // Before the delayed load the variables still hold their defaults: writing them now
    // would replace the player's saved settings.
    if (!loaded) return;
    WaitForWrite(RequestWrite());
}

std::uint64_t PersistentStorage::RequestWrite() {
    MutexLock lock(writeMutex);
    const std::uint64_t ticket = ++requestedWrites;
    if (stopping) {
        // After the unload no thread of ours may run: the caller writes.
        lock.RunUnlocked([this] { WriteNow(); });
        completedWrites = std::max(completedWrites, ticket);
        writeDone.NotifyAll();
        return ticket;
    }
    StartWriterLocked();
    lock.Unlock(); // woken after: it need not wait for our lock
    writeWanted.NotifyOne();
    return ticket;
}

void PersistentStorage::StartWriter() {
    MutexLock lock(writeMutex);
    if (!stopping) StartWriterLocked();
}

void PersistentStorage::StartWriterLocked() {
    if (!writer.joinable()) writer = std::thread([this] { WriterLoop(); });
}

void PersistentStorage::WaitForWrite(std::uint64_t ticket) {
    MutexLock lock(writeMutex);
    while (completedWrites < ticket) writeDone.Wait(lock);
}

void PersistentStorage::WaitForPendingWrites() {
    std::uint64_t ticket = 0;
    {
        MutexLock lock(writeMutex);
        ticket = requestedWrites;
    }
    WaitForWrite(ticket);
}

// Runs until StopWriter, then finishes what is pending. Every request made before a write
// starts is covered by it, because a request is made after its value is in the cache.
void PersistentStorage::WriterLoop() {
    LowerThisThreadsPriority();
    MutexLock lock(writeMutex);
    for (;;) {
        while (!stopping && requestedWrites == completedWrites) writeWanted.Wait(lock);
        if (requestedWrites == completedWrites) return;
        const std::uint64_t ticket = requestedWrites;
        lock.RunUnlocked([this] { RunGuarded("writing the settings file", [this] { WriteNow(); }); });
        completedWrites = std::max(completedWrites, ticket);
        writeDone.NotifyAll();
    }
}

void PersistentStorage::StopWriter() {
    std::thread finishing;
    {
        MutexLock lock(writeMutex);
        stopping = true;
        finishing.swap(writer);
    }
    writeWanted.NotifyOne();
    if (finishing.joinable()) finishing.join(); // it writes what is pending, then ends
}

void PersistentStorage::WriteNow() {
    MutexLock lock(fileMutex);
    // The contents are taken under the file lock, so of two writes the later one holds the
    // later values.
    const std::string failure = ReplaceFileDurably(storageFile, FileContents());
    if (failure.empty()) {
        lastFailure.clear();
        return;
    }
    if (failure == lastFailure) return; // said once for the whole run of failures
    lastFailure = failure;
    Log("PersistentStorage: could not write {}, the settings were not saved and the previous file is kept: {}",
        PathToUtf8(storageFile), failure);
}

std::string PersistentStorage::FileContents() const {
    MutexLock lock(cacheMutex);
    std::string contents;
    for (const auto& [name, cvar] : cache) {
        contents += fmt::format("{} \"{}\" //{}{}", name, cvar.value, cvar.description, kCfgLineEnd);
    }
    return contents;
}

void PersistentStorage::LoadStorageFile() {
    Log("PersistentStorage: Loading the persistent storage cfg");
    const std::optional<std::string> hostPath = NarrowPathText(storageFile);
    if (!hostPath) {
        // The host could not open the file under any name we can give it: loading nothing
        // and then writing would replace the saved settings with defaults.
        Log("PersistentStorage: the settings file {} cannot be named in the system's encoding; the saved settings "
            "are not loaded and the file is left untouched",
            PathToUtf8(storageFile));
        return;
    }
    cvarManager->loadCfg(*hostPath);
    loaded = true;
    StartWriter(); // here, so that no change pays for it in a frame
    bool rewrite = false;
    {
        MutexLock lock(cacheMutex);
        rewrite = refusedWhileLoading;
    }
    if (rewrite) RequestWrite();
}

std::filesystem::path PersistentStorage::MakeStorageFilePath(const std::string& storageName) {
    return gameWrapper->GetBakkesModPath() / "cfg" / Utf8ToPath(storageName + ".cfg");
}

} // namespace postplay
