#include "localization/LocalizationManager.h"

#include <new>
#include <utility>

#include "base/AsciiText.h"
#include "base/EntryGuard.h"
#include "base/Log.h"
#include "base/SettingTable.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "storage/PersistentStorage.h"

namespace postplay {

namespace {

constexpr const char* kEnglish = "INT";
constexpr const char* kLanguageCvar = setting::kLanguage.name;

// The text of `key` in the table of `locale`, or nullptr.
const std::string* FindText(const std::map<std::string, std::map<std::string, std::string>>& translations,
                            const std::string& locale, const std::string& key) {
    const auto table = translations.find(locale);
    if (table == translations.end()) return nullptr;
    const auto text = table->second.find(key);
    return text == table->second.end() ? nullptr : &text->second;
}

} // namespace

LocalizationManager* LocalizationManager::GetInstance() {
    // Never destroyed: the language handler holds a plain pointer to it for as long as the
    // library is loaded, and nothing of it should run during static destruction.
    alignas(LocalizationManager) static unsigned char storage[sizeof(LocalizationManager)];
    static LocalizationManager* const instance = ::new (static_cast<void*>(storage)) LocalizationManager();
    return instance;
}

void LocalizationManager::Initialize(std::shared_ptr<CVarManagerWrapper> cvarManager,
                                     std::shared_ptr<GameWrapper> gameWrapper,
                                     std::shared_ptr<PersistentStorage> persistentStorage) {
    // Replacing the storage handle releases the previous load's storage, which writes
    // its last values once more before this load's storage reads them.
    this->cvarManager = std::move(cvarManager);
    this->gameWrapper = std::move(gameWrapper);
    this->persistentStorage = std::move(persistentStorage);

    localeAliases["INT"] = "INT";
    localeAliases["FRA"] = "FRA";
    localeAliases["EN"] = "INT";
    localeAliases["FR"] = "FRA";

    LoadTranslations();

    gameLocale = kEnglish;
    if (this->gameWrapper) {
        const UnrealStringWrapper uiLanguage = this->gameWrapper->GetUILanguage();
        if (!uiLanguage.IsNull()) gameLocale = NormalizeLocale(uiLanguage.ToString(), kEnglish);
    }

    // The table's default stands for English; the variable starts at the game's language.
    const setting::Setting& setting = setting::kLanguage;
    const setting::Range& range = setting.range;
    // Without a storage (a manager used before any plug-in loads, as the fuzzer does) there
    // is no variable: the language then changes only through SetLanguage.
    CVarWrapper language(0);
    if (this->persistentStorage) {
        language = this->persistentStorage->RegisterStoredCvar(kLanguageCvar, gameLocale, setting.description,
                                                               setting.searchable, range.hasMin, range.min,
                                                               range.hasMax, range.max, setting.save);
    }
    language.addOnValueChanged([this](const std::string& /*oldValue*/, CVarWrapper changed) {
        RunGuarded("changing the language", [&] {
            const std::string locale = NormalizeLocale(changed.getStringValue(), kEnglish);
            ActivateLocale(locale);
            Log("Updated locale: {}", locale);
        });
    });
    if (language) ActivateLocale(NormalizeLocale(language.getStringValue(), kEnglish));

    Log("Localization initialized. Game locale: {}, Active locale: {}", gameLocale, ActiveLocale());
}

std::string LocalizationManager::Translate(const std::string& key) const {
    if (const TextTable* table = activeTable.load(std::memory_order_acquire)) {
        const auto text = table->find(key);
        if (text != table->end()) return text->second;
    }
    // Missing from the active table (or none active): the English text, then the key itself.
    // With English active this looks in the same table twice, which costs a lookup only.
    if (const std::string* text = FindText(translations, kEnglish, key)) return *text;
    return key;
}

std::string LocalizationManager::ActiveLocale() const {
    MutexLock lock(localeMutex);
    return activeLocale;
}

void LocalizationManager::ActivateLocale(const std::string& locale) {
    const auto table = translations.find(locale); // the tables are not written after Initialize
    MutexLock lock(localeMutex);
    activeLocale = locale;
    activeTable.store(table == translations.end() ? nullptr : &table->second, std::memory_order_release);
}

void LocalizationManager::SetLanguage(const std::string& code) {
    const std::string locale = NormalizeLocale(code, kEnglish);
    if (cvarManager) {
        CVarWrapper language = cvarManager->getCvar(kLanguageCvar);
        if (language) language.setValue(locale);
    }
    ActivateLocale(locale);
}

// By value, as the manager has always taken its codes.
std::string
LocalizationManager::NormalizeLocale(std::string code,
                                     std::string fallback) const { // NOLINT(performance-unnecessary-value-param)
    const auto alias = localeAliases.find(AsciiUpperCase(std::move(code)));
    return alias == localeAliases.end() ? fallback : alias->second;
}

void LocalizationManager::AddTranslation(const std::string& locale, const std::string& key, const std::string& text) {
    translations[locale][key] = text;
}

} // namespace postplay
