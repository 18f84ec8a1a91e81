// STUB: replaced by the settings work.
#include "localization/LocalizationManager.h"
LocalizationManager* LocalizationManager::GetInstance() { static LocalizationManager m; return &m; }
void LocalizationManager::Initialize(std::shared_ptr<CVarManagerWrapper>, std::shared_ptr<GameWrapper>, std::shared_ptr<PersistentStorage>) {}
std::string LocalizationManager::Translate(const std::string& key) const { return key; }
void LocalizationManager::SetLanguage(const std::string&) {}
std::string LocalizationManager::NormalizeLocale(std::string, std::string fallback) const { return fallback; }
void LocalizationManager::AddTranslation(const std::string&, const std::string&, const std::string&) {}
void LocalizationManager::LoadTranslations() {}
