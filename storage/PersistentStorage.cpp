#include "storage/PersistentStorage.h"

#include <algorithm>
#include <fstream>
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

// Writes `contents` to a file beside `target`, then renames it over `target`, so the
// target is always either the previous file or the complete new one. Returns an empty
// text on success, else why it failed (the previous file is then left as it was).
std::string ReplaceFileAtomically(const fs::path& target, const std::string& contents) {
    fs::path temporary = target;
    temporary += ".tmp";
    std::error_code ignored;
    {
        std::ofstream out(temporary, std::ios::out | std::ios::trunc);
        if (!out) return "the temporary file " + temporary.string() + " cannot be created";
        out << contents;
        out.flush();
        out.close();
        if (out.fail()) {
            fs::remove(temporary, ignored);
            return "writing " + temporary.string() + " failed";
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, ignored);
        return error.message();
    }
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
    Log("PersistentStorage: created and will store the data in {}", storageFile.string());

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
    cache[name] = MakeCachedCvar(name, cvar.getStringValue(), cvar.getDescription());
    const std::weak_ptr<void> token = lifetime;
    cvar.addOnValueChanged([this, token](std::string oldValue, CVarWrapper changed) {
        if (token.expired()) return;
        RunGuarded("storing a setting", [&] { OnStoredCvarChanged(std::move(oldValue), changed); });
    });
}

void PersistentStorage::OnStoredCvarChanged(std::string /*oldValue*/, CVarWrapper cvar) {
    const auto entry = cache.find(cvar.getCVarName());
    if (entry != cache.end()) entry->second = MakeCachedCvar(entry->first, cvar.getStringValue(), cvar.getDescription());
    if (autoWrite && loaded) WriteStorageFile();
}

void PersistentStorage::WriteStorageFile() {
    // Before the delayed load the variables still hold their defaults: writing them now
    // would replace the player's saved settings.
    if (!loaded) return;

    std::string contents;
    for (const auto& [name, cvar] : cache) {
        contents += fmt::format("{} \"{}\" //{}\n", name, cvar.value, cvar.description);
    }

    const std::string failure = ReplaceFileAtomically(storageFile, contents);
    if (!failure.empty()) {
        Log("PersistentStorage: could not write {}, the previous file is kept: {}", storageFile.string(), failure);
    }
}

void PersistentStorage::LoadStorageFile() {
    Log("PersistentStorage: Loading the persistent storage cfg");
    cvarManager->loadCfg(storageFile.string());
    loaded = true;
}

std::filesystem::path PersistentStorage::MakeStorageFilePath(const std::string& storageName) {
    return fs::path(gameWrapper->GetBakkesModPath()) / "cfg" / fs::path(storageName + ".cfg");
}
