// Keeps chosen console variables in the plug-in's own configuration file
// (HOST/cfg/NAME.cfg), one line per variable in name order: NAME "VALUE" //DESCRIPTION.
// The host runs the file 0.1 seconds after construction; from then on every change of a
// stored variable rewrites the whole file, on the storage's own writer thread. Nothing is
// written before the load, a value a variable's check refuses is never cached, and the file
// is replaced durably: README.md ("Threads", "Behaviour beyond the plain design") says why.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "host/CVarWrapper.h"
#include "host/Mutex.h"

class CVarManagerWrapper;
class GameWrapper;
namespace BakkesMod::Plugin {
class BakkesModPlugin;
}

namespace postplay {

class PersistentStorage {
public:
    struct CachedCvar {
        std::string value;
        std::string description;
    };

    PersistentStorage(BakkesMod::Plugin::BakkesModPlugin* plugin, const std::string& storageName, bool autoWrite,
                      bool autoLoad);
    ~PersistentStorage();
    PersistentStorage(const PersistentStorage&) = delete;
    PersistentStorage& operator=(const PersistentStorage&) = delete;

    // Refuses a value by returning false; a plain function, so it runs under no lock of ours.
    using ValueCheck = bool (*)(const std::string& value);

    CVarWrapper RegisterStoredCvar(const std::string& name, const std::string& defaultValue,
                                   const std::string& description, bool searchable, bool hasMin, float min, bool hasMax,
                                   float max, bool saveToCfg);
    // The same, with the check every value of the variable must pass before it is stored.
    CVarWrapper RegisterStoredCvar(const std::string& name, const std::string& defaultValue,
                                   const std::string& description, bool searchable, bool hasMin, float min, bool hasMax,
                                   float max, bool saveToCfg, ValueCheck accepts) EXCLUDES(cacheMutex);
    void AddCVar(const std::string& name);
    void WriteStorageFile();
    void OnStoredCvarChanged(std::string oldValue, CVarWrapper cvar);
    void LoadStorageFile();

    // Returns once every write asked for so far is done, without asking for one.
    void WaitForPendingWrites() EXCLUDES(writeMutex);

    // Finishes the pending write and joins the writer thread; later writes run on the
    // caller's thread. Safe to call more than once.
    void StopWriter() EXCLUDES(writeMutex);

private:
    std::filesystem::path MakeStorageFilePath(const std::string& storageName);
    void StoreInCache(const std::string& name, CachedCvar entry, std::uint64_t order) EXCLUDES(cacheMutex);
    bool Refuses(const std::string& name, const std::string& value) const EXCLUDES(cacheMutex);
    void StartWriter() EXCLUDES(writeMutex);
    void StartWriterLocked() REQUIRES(writeMutex);
    std::uint64_t RequestWrite() EXCLUDES(writeMutex); // returns the request's ticket
    void WaitForWrite(std::uint64_t ticket) EXCLUDES(writeMutex);
    void WriterLoop() EXCLUDES(writeMutex);
    void WriteNow() EXCLUDES(fileMutex, cacheMutex); // one write of the cache as it is now
    std::string FileContents() const EXCLUDES(cacheMutex);

    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
    std::filesystem::path storageFile;
    bool autoWrite;
    std::atomic<bool> loaded{false};

    // Threads: registration and the load run on the game thread; change callbacks on
    // whichever thread changed a variable; writes on the writer thread (or, after
    // StopWriter, on the caller's). Each lock is held only to copy or update its fields,
    // never while the host or the file system is called.
    mutable Mutex cacheMutex;
    std::map<std::string, CachedCvar> cache GUARDED_BY(cacheMutex);
    // For each name, the order of the change whose value the cache holds. Two threads may
    // change one variable at once; the change that came last wins even when its callback
    // stores its value first.
    std::map<std::string, std::uint64_t> cacheOrder GUARDED_BY(cacheMutex);
    std::uint64_t changeCount GUARDED_BY(cacheMutex) = 0;
    std::map<std::string, ValueCheck> checks GUARDED_BY(cacheMutex);
    // The file being loaded held a value that was refused: it is rewritten after the load,
    // so that it does not keep that value.
    bool refusedWhileLoading GUARDED_BY(cacheMutex) = false;

    Mutex writeMutex;
    CondVar writeWanted;                                      // the writer waits here for work
    CondVar writeDone;                                        // callers of WriteStorageFile wait here
    std::uint64_t requestedWrites GUARDED_BY(writeMutex) = 0; // tickets handed out
    std::uint64_t completedWrites GUARDED_BY(writeMutex) = 0; // every ticket up to this one is written
    bool stopping GUARDED_BY(writeMutex) = false;             // StopWriter ran: no more background writes
    std::thread writer GUARDED_BY(writeMutex);                // started when the saved settings are loaded

    Mutex fileMutex;                                           // one write of the file at a time
    std::string lastFailure GUARDED_BY(fileMutex);             // said once for a run of the same failure
    std::shared_ptr<void> lifetime = std::make_shared<char>(); // the delayed load checks it
};

} // namespace postplay
