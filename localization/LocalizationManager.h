// The plug-in's texts in English ("INT") and French ("FRA") and the choice of language.
// One instance per loaded library, never destroyed; the load sequence initialises it on
// every load. The active language follows the language setting, whose default is the game's
// own language.
//
// Threads: the tables and aliases are written only by Initialize (before anything draws)
// and only read afterwards. The active language is switched from either thread (the page's
// selector, the variable's change handler) while both translate: it is kept behind
// `localeMutex`, and Translate reads the active table through an atomic pointer, so a
// frame's many look-ups take no lock.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "host/Mutex.h"

class CVarManagerWrapper;
class GameWrapper;

namespace postplay {

class PersistentStorage;

class LocalizationManager {
public:
    static LocalizationManager* GetInstance();

    void Initialize(std::shared_ptr<CVarManagerWrapper> cvarManager, std::shared_ptr<GameWrapper> gameWrapper,
                    std::shared_ptr<PersistentStorage> persistentStorage);
    std::string Translate(const std::string& key) const;
    void SetLanguage(const std::string& code);
    std::string ActiveLocale() const; // "INT" or "FRA"
    // Makes `locale` the active language as given (not normalised, not stored).
    void ActivateLocale(const std::string& locale);
    std::string NormalizeLocale(std::string code, std::string fallback) const;
    void AddTranslation(const std::string& locale, const std::string& key, const std::string& text);
    void LoadTranslations();

    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
    std::shared_ptr<PersistentStorage> persistentStorage;
    std::map<std::string, std::string> localeAliases;
    std::map<std::string, std::map<std::string, std::string>> translations;
    std::string gameLocale;

private:
    using TextTable = std::map<std::string, std::string>;

    LocalizationManager() = default;

    mutable Mutex localeMutex;
    std::string activeLocale GUARDED_BY(localeMutex);
    std::atomic<const TextTable*> activeTable{nullptr}; // translations[activeLocale], or null
};

} // namespace postplay
