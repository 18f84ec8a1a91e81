// The bodies of the plug-in's two commands: switching it on and off, and finding the
// workshop maps of the configured folder.
#include "plugin/Commands.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "localization/LocalizationManager.h"
#include "plugin/Settings.h"
#include "training/WorkshopMaps.h"

void PostplayPlugin::TogglePlugin(std::vector<std::string> /*words*/) {
    CVarWrapper enabledCvar = cvarManager->getCvar(settings::kEnabled.name);
    const bool wasEnabled = enabledCvar.getBoolValue();
    enabledCvar.setValue(static_cast<int>(!wasEnabled));

    const std::string key = wasEnabled ? "postplay_disabled" : "postplay_enabled";
    gameWrapper->Toast("Postplay", localizationManager->Translate(key), "postplay_logo", 2.0f, 0, 290.0f, 60.0f);
}

void PostplayPlugin::RefreshWorkshopMaps(std::vector<std::string> /*words*/) {
    const std::uint64_t scan = workshopMaps->Clear();

    const std::string folder = workshopMapsFolder->Get();
    if (folder.empty()) {
        cvarManager->log("Workshop maps folder is not set. Please set a valid folder path.");
        return;
    }

    // Built aside and swapped in whole: the page keeps drawing its snapshot meanwhile.
    std::string failure;
    std::vector<std::string> found = FindWorkshopMaps(folder, failure);
    const bool none = found.empty();
    // The selection as the host holds it now. The copy follows the variable only after the
    // variable's other callbacks (a cfg write) have run, so a map chosen on the other thread
    // during the scan could still read as the old one here, and would then be reset.
    CVarWrapper selection = cvarManager->getCvar(settings::kWorkshopMap.name);
    const std::string selected = selection ? selection.getStringValue() : workshopMap->Get();
    const bool selectedFound = std::find(found.begin(), found.end(), selected) != found.end();
    if (!workshopMaps->ReplaceIfCurrent(std::move(found), scan)) return;  // a later clear or scan won
    if (none) {
        // The usual line, whether the folder holds no map or could not be listed at all;
        // the system's reason, when there is one, on a line of its own.
        cvarManager->log("No valid workshop maps found in folder: " + folder);
        if (!failure.empty()) cvarManager->log("The folder could not be read: " + failure);
        return;
    }
    if (!failure.empty()) {
        // The part not read may hold the selected map: it stays selected.
        cvarManager->log("Workshop maps folder could not be read, the maps found before the error are kept: " +
                         failure);
        return;
    }

    if (selected.empty() || selectedFound) return;

    workshopMap->Set(std::string());
    if (selection) selection.setValue(std::string());
    cvarManager->log("Selected workshop map is not valid anymore and has been reset.");
}
