// The plug-in object: it owns the match flow, the storage handle, the setting cells and
// the worker threads, and runs the fixed load sequence in onLoad (manager set-up, worker
// start, cells, variables, commands, match-flow callbacks). The cells are typed copies of
// the console variables, kept in step by their change callbacks. Host callbacks hold plain
// pointers to this object; deferred ones also capture LifetimeToken() and do nothing once
// it has expired, because the object may be gone by the time they run.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/SettingTable.h"
#include "base/SharedCells.h"
#include "base/TrainingMode.h"
#include "host/BakkesModPlugin.h"
#include "host/MMRWrapper.h"
#include "plugin/SettingsWindowBase.h"
#include "settings/LinkOpener.h"
#include "training/FolderWorker.h"
#include "training/WorkshopMapList.h"

namespace postplay {

// The plug-in's main source file as the build names it: the information record's fileName.
extern const char kPluginMainSource[];

class PersistentStorage;
class GameEventManager;
class LocalizationManager;

class PostplayPlugin : public BakkesMod::Plugin::BakkesModPlugin, public SettingsWindowBase, public SettingCells {
public:
    PostplayPlugin();
    ~PostplayPlugin() override;

    void onLoad() override;
    void onUnload() override;
    void RenderSettings() override; // settings/SettingsPage.cpp

    // Expires when this object is destroyed; deferred callbacks check it before use.
    std::weak_ptr<void> LifetimeToken() const { return lifetime; }

    // ---- Fields, in declaration order (destroyed in reverse) ---------------------------
    std::unique_ptr<MMRNotifierToken> mmrNotifierToken;
    std::shared_ptr<PersistentStorage> persistentStorage;
    std::shared_ptr<GameEventManager> gameEventManager;
    LocalizationManager* localizationManager = nullptr; // not owned; the library-wide instance
    std::shared_ptr<WorkshopMapList> workshopMaps;      // the maps the last scan found; no variable
    std::string toggleCommand = command::kToggle;
    bool transitionPending = false;

    // ---- Commands (callbacks of the console commands) ----------------------------------
    void TogglePlugin(std::vector<std::string> words); // command::kToggle
    // Asks the folder worker for a scan of the folder and returns; the list, the reset of a
    // selection the folder no longer holds and the lines land on the game thread.
    void RefreshWorkshopMaps(std::vector<std::string> words); // command::kFindWorkshopMaps
    // The settings page's refresh step: checks `folder` on the worker; on the game thread a
    // usable folder is then scanned, an unusable one empties the list with a line.
    void RefreshWorkshopFolder(std::string folder);

    // The threads that do the plug-in's slow work, beside the frame and the game thread.
    FolderWorker workshopWorker; // folder scans and checks
    LinkOpener linkOpener;       // the page's web links

    // ---- Settings page panels (settings/) -----------------------------------------------
    void RenderKeyBindSetting();
    void RenderWorkshopMapSetting();
    void OpenWebLink(const std::string& url); // hands the link to the opener's thread

private:
    friend class PostplayPluginTestPeer; // lets tests call the steps one by one

    // Load sequence (plugin/PostplayPlugin.cpp, plugin/ConsoleVariables.cpp, match/MatchFlow.cpp)
    void _InitializeManagers();
    void _InitializeValues();
    void _RegisterCVars();
    void _RegisterNotifiers();
    void _InitializeCore();
    void _StartWorkers(); // at load, so that no frame starts a thread
    void _StopWorkers();  // at unload: finish the cfg write, join threads
    void _ScheduleStartupScan(const FolderWorker::CheckResult& checked);

    // Match flow (match/MatchFlow.cpp)
    void _ProcessMatchEnd(bool mmrUpdated);
    void _HandleTransition(float delaySeconds);
    void _HandleQueue(float extraSeconds);

    // Destination loading (training/DestinationLoader.h)
    void _LoadTrainingDestination();

    // Results of the folder worker, on the game thread (plugin/Commands.cpp)
    void _LandWorkshopScan(FolderWorker::ScanResult scan);
    void _LandWorkshopFolderCheck(const FolderWorker::CheckResult& checked);
    void _ReplaceWorkshopMaps(WorkshopMapList::Maps maps);
    // Runs `land` on the game thread, through the host's Execute, unless this object is gone
    // by then. Called on the worker threads.
    void _OnGameThread(const char* what, std::function<void()> land);

    std::uint64_t onlineGamesEntered = 0; // game thread only; tells a re-queue's match from later ones
    std::shared_ptr<void> lifetime = std::make_shared<char>();
};

} // namespace postplay
