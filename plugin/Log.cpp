#include "plugin/Log.h"

#include "host/ConsoleText.h"

std::shared_ptr<CVarManagerWrapper> globalCvarManager;

void LogLine(const std::string& line) {
    if (globalCvarManager) globalCvarManager->log(EscapeControls(line));
}
