// The bodies of the plug-in's two commands: switching it on and off, and finding the
// workshop maps of the configured folder. The folder work runs on the folder worker; its
// results land here on the game thread, in the order they were asked for, and a result
// that a newer request has superseded is dropped.
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "base/EntryGuard.h"
#include "base/Log.h"
#include "base/SettingTable.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "localization/LocalizationManager.h"
#include "plugin/PostplayPlugin.h"

namespace postplay {

namespace {
// A scan that took longer says when it is done: the player may have stopped waiting.
constexpr std::chrono::seconds kLongScan{1};
} // namespace

// The commands take their words by value, as the host's notifiers hand them over.
void PostplayPlugin::TogglePlugin(std::vector<std::string> /*words*/) { // NOLINT(performance-unnecessary-value-param)
    CVarWrapper enabledCvar = cvarManager->getCvar(setting::kEnabled.name);
    const bool wasEnabled = enabledCvar.getBoolValue();
    enabledCvar.setValue(static_cast<int>(!wasEnabled));

    const std::string key = wasEnabled ? "postplay_disabled" : "postplay_enabled";
    gameWrapper->Toast("Postplay", localizationManager->Translate(key), "postplay_logo", 2.0f, 0, 290.0f, 60.0f);
}

void PostplayPlugin::RefreshWorkshopMaps(
    std::vector<std::string> /*words*/) { // NOLINT(performance-unnecessary-value-param)
    workshopWorker.Scan(workshopMapsFolder->Get(), [this](FolderWorker::ScanResult scan) {
        _OnGameThread("landing a workshop map scan",
                      [this, scan = std::move(scan)]() mutable { _LandWorkshopScan(std::move(scan)); });
    });
}

void PostplayPlugin::RefreshWorkshopFolder(std::string folder) {
    workshopWorker.Refresh(std::move(folder), [this](FolderWorker::CheckResult checked) {
        _OnGameThread("landing a workshop folder check",
                      [this, checked = std::move(checked)] { _LandWorkshopFolderCheck(checked); });
    });
}

void PostplayPlugin::_OnGameThread(const char* what, std::function<void()> land) {
    gameWrapper->Execute([what, land = std::move(land), token = LifetimeToken()](GameWrapper*) {
        if (token.expired()) return;
        RunGuarded(what, land);
    });
}

// The old list is freed on the worker once no frame holds it any more.
void PostplayPlugin::_ReplaceWorkshopMaps(WorkshopMapList::Maps maps) {
    workshopWorker.Release(workshopMaps->Replace(std::move(maps)));
}

void PostplayPlugin::_LandWorkshopScan(FolderWorker::ScanResult scan) {
    if (!workshopWorker.IsLatest(scan.ticket)) return; // a newer scan or refresh was asked for
    const std::string& folder = scan.folder;
    if (folder.empty()) {
        _ReplaceWorkshopMaps(nullptr);
        LogLine("Workshop maps folder is not set. Please set a valid folder path.");
        return;
    }
    const bool none = scan.maps->Empty();
    const std::size_t count = scan.maps->Size();
    const std::shared_ptr<const FoundMaps> found = scan.maps;
    _ReplaceWorkshopMaps(std::move(scan.maps));
    if (scan.took >= kLongScan) {
        Log("Workshop map scan of {} done after {:.1f} s: {} maps found", folder,
            std::chrono::duration<double>(scan.took).count(), count);
    }
    if (none) {
        // The usual line, whether the folder holds no map or could not be listed at all;
        // the system's reason, when there is one, on a line of its own.
        LogLine("No valid workshop maps found in folder: " + folder);
        if (!scan.failure.empty()) LogLine("The folder could not be read: " + scan.failure);
        return;
    }
    if (!scan.failure.empty()) {
        // The part not read may hold the selected map: it stays selected.
        LogLine("Workshop maps folder could not be read, the maps found before the error are kept: " + scan.failure);
        return;
    }

    // The selection as the host holds it now: the copy follows the variable only after the
    // variable's other callbacks have run.
    CVarWrapper selection = cvarManager->getCvar(setting::kWorkshopMap.name);
    const std::string selected = selection ? selection.getStringValue() : workshopMap->Get();
    if (selected.empty() || found->Contains(selected)) return;

    workshopMap->Set(std::string());
    if (selection) selection.setValue(std::string());
    LogLine("Selected workshop map is not valid anymore and has been reset.");
}

// The page's refresh step, on the game thread: a usable folder is scanned through the scan
// command, as the page always ran it; an unusable one empties the list and says so.
void PostplayPlugin::_LandWorkshopFolderCheck(const FolderWorker::CheckResult& checked) {
    if (!workshopWorker.IsLatest(checked.ticket)) return;
    if (checked.state == FolderState::Directory) {
        cvarManager->executeCommand(command::kFindWorkshopMaps, true);
        return;
    }
    _ReplaceWorkshopMaps(nullptr);
    if (!checked.folder.empty()) LogLine("Invalid workshop maps folder: " + checked.folder);
}

} // namespace postplay
