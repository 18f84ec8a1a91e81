#include "base/Log.h"

#include "host/ConsoleText.h"

namespace postplay {

std::shared_ptr<CVarManagerWrapper> globalCvarManager;

void LogLine(const std::string& line) {
    if (globalCvarManager) globalCvarManager->log(EscapeControls(line));
}

} // namespace postplay
