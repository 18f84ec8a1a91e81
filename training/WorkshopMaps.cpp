// STUB: replaced by the settings work.
#include "training/WorkshopMaps.h"
#include "plugin/PostplayPlugin.h"
std::vector<std::string> FindWorkshopMaps(std::string) { return {}; }
void PostplayPlugin::RefreshWorkshopMaps(std::vector<std::string>) {}
