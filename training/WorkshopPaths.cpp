// STUB: replaced by the match-flow work.
#include "training/WorkshopMaps.h"
std::filesystem::path PathFromText(const std::string& text) { return text; }
bool IsWorkshopMapFile(const std::string&) { return false; }
bool IsUsableWorkshopFolder(const std::string&) { return false; }
