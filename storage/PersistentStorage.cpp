#include "storage/PersistentStorage.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "host/BakkesModPlugin.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "plugin/EntryGuard.h"
#include "plugin/Log.h"

namespace fs = std::filesystem;

namespace {

// A double quote would close the quoted value early and a line break or NUL would end
// the line: either way the rest of the text would read back as another value or command.
bool BreaksStoredLine(char c) {
    return c == '"' || c == '\n' || c == '\r' || c == '\0';
}

// Drops the characters that a stored line cannot hold; true when there were any.
bool DropUnstorableCharacters(std::string& text) {
    const auto before = text.size();
    text.erase(std::remove_if(text.begin(), text.end(), BreaksStoredLine), text.end());
    return text.size() != before;
}

constexpr int kMaxLinkHops = 40;

// The file a write must replace: `file` itself, or the end of its chain of symbolic links
// (relative links read from the link's own folder). Empty, with `why`, on a loop.
fs::path FinalTarget(const fs::path& file, std::string& why) {
    fs::path target = file;
    for (int hops = 0;; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
        if (hops == kMaxLinkHops) {
            why = "too many levels of symbolic links";
            return {};
        }
        const fs::path link = fs::read_symlink(target, error);
        if (error) {
            why = error.message();
            return {};
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

// The cfg file is a text file of the platform: CRLF line ends on Windows, LF elsewhere.
#if defined(_WIN32)
constexpr const char* kLineEnd = "\r\n";
#else
constexpr const char* kLineEnd = "\n";
#endif

// A name for this write's own temporary file, beside `target`.
fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> writes{0};
    static const unsigned process = std::random_device{}();
    fs::path name = target.filename();
    name += fmt::format(".{:08x}{:04x}.tmp", process, writes++ & 0xffffu);
    return target.parent_path() / name;
}

bool IsTemporaryOf(const fs::path& candidate, const fs::path& target) {
    const std::string name = candidate.filename().u8string();
    const std::string prefix = target.filename().u8string() + ".";
    const std::string suffix = ".tmp";
    return name.size() > prefix.size() + suffix.size() - 1 && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Temporaries of `target` that an interrupted write left behind. Writes are serialized, so
// none of them belongs to a write in progress.
void RemoveLeftoverTemporaries(const fs::path& target) {
    std::error_code error;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator entry(target.parent_path(), error); !error && entry != fs::directory_iterator();
         entry.increment(error)) {
        if (IsTemporaryOf(entry->path(), target)) leftovers.push_back(entry->path());
    }
    for (const fs::path& leftover : leftovers) fs::remove(leftover, error);
}

bool IsReadOnly(const fs::file_status& status) {
    constexpr fs::perms anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return fs::exists(status) && (status.permissions() & anyWrite) == fs::perms::none;
}

// Writes `contents` to a temporary file beside `file`'s final target, then renames it over
// that target, so the target is always either the previous file or the complete new one.
// Returns an empty text on success, else why nothing was saved (the previous file is then
// left as it was).
std::string ReplaceFileAtomically(const fs::path& file, const std::string& contents) {
    std::string why;
    const fs::path target = FinalTarget(file, why);
    if (target.empty()) return why;
    std::error_code error;
    const fs::file_status existing = fs::status(target, error);
    if (IsReadOnly(existing)) return "the file is read-only";
    if (fs::exists(existing) && !fs::is_regular_file(existing)) return "it is not a regular file";

    const fs::path temporary = TemporaryBeside(target);
    std::error_code ignored;
    {
        // The streams do not say why they failed; the system's error number does.
        const auto reason = [] { return errno ? ": " + std::generic_category().message(errno) : std::string(); };
        errno = 0;
        std::ofstream out(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!out) return "the temporary file " + temporary.u8string() + " cannot be created" + reason();
        out << contents;
        out.flush();
        out.close();
        if (out.fail()) {
            const std::string why = "writing " + temporary.u8string() + " failed" + reason();
            fs::remove(temporary, ignored);
            return why;
        }
    }
    if (fs::exists(existing)) fs::permissions(temporary, existing.permissions(), ignored);
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, ignored);
        return error.message();
    }
    RemoveLeftoverTemporaries(target);
    return {};
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
    Log("PersistentStorage: created and will store the data in {}", storageFile.u8string());

    const std::weak_ptr<void> token = lifetime;
    cvarManager->registerNotifier(
        "writeconfig",
        [this, token](std::vector<std::string>) {
            if (token.expired()) return;
            RunGuarded("writeconfig", [this] {
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
        WriteStorageFile();
    } catch (...) {
        // A destructor must not throw; the last write is best effort.
    }
}

CVarWrapper PersistentStorage::RegisterStoredCvar(const std::string& name, const std::string& defaultValue,
                                                  const std::string& description, bool searchable, bool hasMin,
                                                  float min, bool hasMax, float max, bool saveToCfg) {
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
        Log("PersistentStorage: Warning the cvar {} should be registered before adding it to persistent storage",
            name);
        return;
    }
    CachedCvar entry = MakeCachedCvar(name, cvar.getStringValue(), cvar.getDescription());
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        cache[name] = std::move(entry);
    }
    const std::weak_ptr<void> token = lifetime;
    cvar.addOnValueChanged([this, token](std::string oldValue, CVarWrapper changed) {
        if (token.expired()) return;
        RunGuarded("storing a setting", [&] { OnStoredCvarChanged(std::move(oldValue), changed); });
    });
}

void PersistentStorage::OnStoredCvarChanged(std::string /*oldValue*/, CVarWrapper cvar) {
    const std::string name = cvar.getCVarName();
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        known = cache.count(name) != 0;
    }
    if (known) {
        CachedCvar entry = MakeCachedCvar(name, cvar.getStringValue(), cvar.getDescription());
        std::lock_guard<std::mutex> lock(cacheMutex);
        cache[name] = std::move(entry);
    }
    if (autoWrite && loaded) WriteStorageFile();
}

void PersistentStorage::WriteStorageFile() {
    // Before the delayed load the variables still hold their defaults: writing them now
    // would replace the player's saved settings.
    if (!loaded) return;
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        writeRequested = true;
        if (writing) return;                     // the thread writing now writes once more for us
        writing = true;
    }
    struct WriterDone {
        PersistentStorage& storage;
        ~WriterDone() {
            std::lock_guard<std::mutex> lock(storage.writeMutex);
            storage.writing = false;
        }
    } done{*this};
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(writeMutex);
            if (!writeRequested) return;
            writeRequested = false;
        }
        WriteOnce();
    }
}

void PersistentStorage::WriteOnce() {
    RefreshCacheFromHost();
    const std::string failure = ReplaceFileAtomically(storageFile, FileContents());
    if (!failure.empty()) {
        Log("PersistentStorage: could not write {}, the settings were not saved and the previous file is kept: {}",
            storageFile.u8string(), failure);
    }
}

// A change callback on the other thread may have read an older value than the one the
// variable holds now; reading every value again here makes the write hold the latest.
// Variables the host no longer has (after an unload) keep their cached values.
void PersistentStorage::RefreshCacheFromHost() {
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        for (const auto& entry : cache) names.push_back(entry.first);
    }
    for (const std::string& name : names) {
        CVarWrapper cvar = cvarManager->getCvar(name);
        if (!cvar) continue;
        std::string value = cvar.getStringValue();
        std::string cleaned = value;
        DropUnstorableCharacters(cleaned);
        {
            std::lock_guard<std::mutex> lock(cacheMutex);
            auto entry = cache.find(name);
            if (entry == cache.end() || entry->second.value == cleaned) continue;
        }
        CachedCvar refreshed = MakeCachedCvar(name, std::move(value), cvar.getDescription());
        std::lock_guard<std::mutex> lock(cacheMutex);
        cache[name] = std::move(refreshed);
    }
}

std::string PersistentStorage::FileContents() const {
    std::lock_guard<std::mutex> lock(cacheMutex);
    std::string contents;
    for (const auto& [name, cvar] : cache) {
        contents += fmt::format("{} \"{}\" //{}{}", name, cvar.value, cvar.description, kLineEnd);
    }
    return contents;
}

void PersistentStorage::LoadStorageFile() {
    Log("PersistentStorage: Loading the persistent storage cfg");
    cvarManager->loadCfg(storageFile.u8string());
    loaded = true;
}

std::filesystem::path PersistentStorage::MakeStorageFilePath(const std::string& storageName) {
    return gameWrapper->GetBakkesModPath() / "cfg" / fs::u8path(storageName + ".cfg");
}
