#include "plugin/Log.h"

std::shared_ptr<CVarManagerWrapper> globalCvarManager;

void LogLine(const std::string& line) {
    if (globalCvarManager) globalCvarManager->log(line);
}
