// The plug-in's texts in English ("INT") and French ("FRA") and the choice of language.
// One instance per loaded library, never destroyed; the load sequence initialises it on
// every load. The active language follows "plugin_language", whose default is the game's
// own language.
#pragma once

#include <map>
#include <memory>
#include <string>

class CVarManagerWrapper;
class GameWrapper;
class PersistentStorage;

class LocalizationManager {
public:
    static LocalizationManager* GetInstance();

    void Initialize(std::shared_ptr<CVarManagerWrapper> cvarManager, std::shared_ptr<GameWrapper> gameWrapper,
                    std::shared_ptr<PersistentStorage> persistentStorage);
    std::string Translate(const std::string& key) const;
    void SetLanguage(const std::string& code);
    std::string NormalizeLocale(std::string code, std::string fallback) const;
    void AddTranslation(const std::string& locale, const std::string& key, const std::string& text);
    void LoadTranslations();

    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
    std::shared_ptr<PersistentStorage> persistentStorage;
    std::map<std::string, std::string> localeAliases;
    std::map<std::string, std::map<std::string, std::string>> translations;
    std::string gameLocale;
    std::string activeLocale;

private:
    LocalizationManager() = default;
};
