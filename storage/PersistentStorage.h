// Keeps chosen console variables in the plug-in's own configuration file
// (HOST/cfg/NAME.cfg), one line per variable in name order:
//     NAME "VALUE" //DESCRIPTION
// The host runs the file 0.1 seconds after construction; from then on every change of a
// stored variable rewrites the whole file.
//
// Sound behaviour beyond the plain format:
//   - Nothing is written before the stored values were loaded (a write requested earlier,
//     by the write command or by destruction, is skipped), so an early write never replaces
//     the saved settings with defaults.
//   - The path handed to the host's loadCfg is the platform's narrow form of the file
//     name. When that form cannot name the file, nothing is loaded and nothing is ever
//     written, so the saved settings are left untouched; one log line says so.
//   - No caller waits for the disk: a change hands the write to the storage's writer
//     thread and returns. Changes that arrive while it writes are coalesced into one more
//     write, and the file written last holds the latest values. The write command (and a direct
//     WriteStorageFile) returns once a write that covers the values of that moment is done,
//     so scripts and tests use it as the point after which the file is settled. A run of
//     failed writes with the same reason logs one line.
//   - StopWriter (at the plug-in's unload) finishes the pending write and joins the writer;
//     later writes, and the one the destructor makes, run on the caller's thread, because
//     the host frees the library right after the unload while this object may live on.
//   - The file is written durably and kept as the player made it (storage/DurableFile.h).
//   - A value or description holding a double quote, a line break or another character
//     that would read back as something else is cleaned before it is written, with one
//     log line, so a line always reads back as the one variable it names.
//   - A variable registered with a check (a ValueCheck) has a value the check refuses
//     left out of the cache: it is never written to any file, not even a temporary one,
//     whichever thread set it and also while the file loads. The cache keeps the value
//     before it (the owner of the variable sets the variable back). A value refused while
//     the file loads means the file holds it: the file is rewritten once the load is done.
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

    PersistentStorage(BakkesMod::Plugin::BakkesModPlugin* plugin, const std::string& storageName,
                      bool autoWrite, bool autoLoad);
    ~PersistentStorage();
    PersistentStorage(const PersistentStorage&) = delete;
    PersistentStorage& operator=(const PersistentStorage&) = delete;

    // Refuses a value by returning false; a plain function, so it runs under no lock of ours.
    using ValueCheck = bool (*)(const std::string& value);

    CVarWrapper RegisterStoredCvar(const std::string& name, const std::string& defaultValue,
                                   const std::string& description, bool searchable, bool hasMin, float min,
                                   bool hasMax, float max, bool saveToCfg);
    // The same, with the check every value of the variable must pass before it is stored.
    CVarWrapper RegisterStoredCvar(const std::string& name, const std::string& defaultValue,
                                   const std::string& description, bool searchable, bool hasMin, float min,
                                   bool hasMax, float max, bool saveToCfg, ValueCheck accepts) EXCLUDES(cacheMutex);
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
    CondVar writeWanted;                         // the writer waits here for work
    CondVar writeDone;                           // callers of WriteStorageFile wait here
    std::uint64_t requestedWrites GUARDED_BY(writeMutex) = 0; // tickets handed out
    std::uint64_t completedWrites GUARDED_BY(writeMutex) = 0; // every ticket up to this one is written
    bool stopping GUARDED_BY(writeMutex) = false; // StopWriter ran: no more background writes
    std::thread writer GUARDED_BY(writeMutex);   // started when the saved settings are loaded

    Mutex fileMutex;                             // one write of the file at a time
    std::string lastFailure GUARDED_BY(fileMutex); // said once for a run of the same failure
    std::shared_ptr<void> lifetime = std::make_shared<char>(); // the delayed load checks it
};

} // namespace postplay
