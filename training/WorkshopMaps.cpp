// STUB: replaced by the settings work.
#include "training/WorkshopMaps.h"
#include "plugin/PostplayPlugin.h"
std::vector<std::string> FindWorkshopMaps(std::string) { return {}; }
bool IsWorkshopMapFile(const std::string&) { return false; }
bool IsUsableWorkshopFolder(const std::string&) { return false; }
void PostplayPlugin::RefreshWorkshopMaps(std::vector<std::string>) {}
