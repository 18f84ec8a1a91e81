#include "training/DestinationLoader.h"

#include <string>

#include "base/Log.h"
#include "base/TrainingMode.h"
#include "host/CVarManagerWrapper.h"
#include "training/WorkshopPaths.h"

namespace postplay {

namespace {

// The host's console grammar would read these as the end of the command (a ';' or a line
// break starts another one, "//" a comment) or as quoting, so a path holding one could run
// something other than the load.
bool CanTravelInConsoleLine(const std::string& text) {
    return text.find_first_of("\";\r\n") == std::string::npos && text.find("//") == std::string::npos;
}

} // namespace

void LoadTrainingDestination(CVarManagerWrapper& cvars, TrainingMode::Mode mode, SharedText& packCode,
                             const SharedText& mapsFolder, const SharedText& selectedMap) {
    switch (mode) {
    case TrainingMode::Custom: {
        // The check upper-cases the kept code in place, in one step with reading it.
        std::string code;
        const bool valid = packCode.Update([&code](std::string& kept) {
            const bool accepted = ValidateTrainingPackCode(kept);
            code = kept;
            return accepted;
        });
        if (!valid) {
            Log("Invalid training pack code: {}", code);
            return;
        }
        cvars.executeCommand("load_training " + code, true);
        return;
    }
    case TrainingMode::Workshop: {
        const std::string map = selectedMap.Get();
        if (map.empty()) {
            Log("No workshop map selected");
            return;
        }
        // The command keeps the stored form: folder, a backslash, entry; nothing normalised.
        const std::string mapPath = mapsFolder.Get() + "\\" + map;
        if (!IsWorkshopMapFile(mapPath)) {
            Log("Invalid workshop maps folder or map");
            return;
        }
        // Only a map that would otherwise be loaded needs the refusal; a missing one is
        // reported as missing.
        if (!CanTravelInConsoleLine(mapPath)) {
            Log("Workshop map path cannot be used in a console command: {}", mapPath);
            return;
        }
        cvars.executeCommand("load_workshop " + mapPath, true);
        return;
    }
    case TrainingMode::FreePlay:
        break;
    }
    cvars.executeCommand("load_freeplay", true);
}

} // namespace postplay
