// Keeps chosen console variables in the plug-in's own configuration file
// (HOST/cfg/NAME.cfg), one line per variable in name order:
//     NAME "VALUE" //DESCRIPTION
// The host runs the file 0.1 seconds after construction; from then on every change of a
// stored variable rewrites the whole file.
//
// Sound behaviour beyond the plain format:
//   - Nothing is written before the stored values were loaded (a write requested earlier,
//     by "writeconfig" or by destruction, is skipped), so an early write never replaces
//     the saved settings with defaults.
//   - The file is replaced atomically: written to a temporary file of its own in the same
//     folder, then renamed over it. A temporary left behind by a crash is removed by the
//     next write. When the file is a symbolic link, the link's target is replaced (in the
//     target's folder) and the link stays. The file's permissions are kept; a file made
//     read-only, or one that cannot be written, is left as it is and one log line says the
//     settings were not saved and why.
//   - Writes are serialized, and a change made while a write runs (on the other thread) is
//     written once more by that same writer after re-reading the variables, so the file
//     written last holds the latest values.
//   - A value or description holding a double quote, a line break or another character
//     that would read back as something else is cleaned before it is written, with one
//     log line, so a line always reads back as the one variable it names.
#pragma once

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "host/CVarWrapper.h"

class CVarManagerWrapper;
class GameWrapper;
namespace BakkesMod::Plugin {
class BakkesModPlugin;
}

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

    CVarWrapper RegisterStoredCvar(const std::string& name, const std::string& defaultValue,
                                   const std::string& description = "", bool searchable = true,
                                   bool hasMin = false, float min = 0.0f, bool hasMax = false,
                                   float max = 0.0f, bool saveToCfg = true);
    void AddCVar(const std::string& name);
    void WriteStorageFile();
    void OnStoredCvarChanged(std::string oldValue, CVarWrapper cvar);
    void LoadStorageFile();

    const std::filesystem::path& StorageFile() const { return storageFile; }

private:
    std::filesystem::path MakeStorageFilePath(const std::string& storageName);
    void RefreshCacheFromHost();                 // no lock held while the host is read
    std::string FileContents() const;
    void WriteOnce();

    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
    std::filesystem::path storageFile;
    bool autoWrite;
    std::atomic<bool> loaded{false};

    mutable std::mutex cacheMutex;               // guards `cache`
    std::map<std::string, CachedCvar> cache;

    std::mutex writeMutex;                       // guards the two flags below
    bool writing = false;                        // a thread is writing the file now
    bool writeRequested = false;                 // a change arrived that is not written yet
    std::shared_ptr<void> lifetime = std::make_shared<char>(); // the delayed load checks it
};
