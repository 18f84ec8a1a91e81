// STUB: replaced by the settings work.
#include "storage/PersistentStorage.h"
#include "host/BakkesModPlugin.h"
PersistentStorage::PersistentStorage(BakkesMod::Plugin::BakkesModPlugin*, const std::string&, bool a, bool) : autoWrite(a) {}
PersistentStorage::~PersistentStorage() = default;
CVarWrapper PersistentStorage::RegisterStoredCvar(const std::string&, const std::string&, const std::string&, bool, bool, float, bool, float, bool) { return CVarWrapper(0); }
void PersistentStorage::AddCVar(const std::string&) {}
void PersistentStorage::WriteStorageFile() {}
void PersistentStorage::OnStoredCvarChanged(std::string, CVarWrapper) {}
void PersistentStorage::LoadStorageFile() {}
std::filesystem::path PersistentStorage::MakeStorageFilePath(const std::string&) { return {}; }
