// The plug-in object. It owns the match flow, the storage handle and the setting cells,
// and runs the fixed load sequence in onLoad:
//   1. globalCvarManager, the toast texture "postplay_logo";
//   2. _InitializeManagers: storage, game event manager, localization;
//   3. _InitializeValues: the setting cells with their start values;
//   4. _RegisterCVars, _RegisterNotifiers: console variables and commands;
//   5. _InitializeCore: the MMR notifier and the match-flow callbacks.
// Every setting lives in a console variable; the cells are typed copies kept in step by
// the variables' change callbacks, read by the match flow and the settings page.
//
// Threads: the README's "Threads" section describes the two threads and what runs on each.
// Here: the cells are atomics or guarded texts (plugin/SharedCells.h), RenderSettings and
// its panels run on the rendering thread, and transitionPending is the game thread's alone.
//
// Host callbacks hold plain pointers to this object. Timers and jobs that could outlive
// it also capture LifetimeToken() and do nothing once the token has expired.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "host/BakkesModPlugin.h"
#include "host/MMRWrapper.h"
#include "plugin/Settings.h"
#include "plugin/SettingsWindowBase.h"
#include "plugin/SharedCells.h"
#include "settings/LinkOpener.h"
#include "training/FolderWorker.h"
#include "training/TrainingMode.h"

class PersistentStorage;
class GameEventManager;
class LocalizationManager;

// The typed copies of the settings (plugin/Settings.h names the variable each one follows),
// shared by the game thread and the rendering thread. Empty until the load creates them all
// at once; each is then replaced only by the next load.
struct SettingCopies {
    std::shared_ptr<std::atomic<bool>> enabled;
    std::shared_ptr<std::atomic<TrainingMode::Mode>> trainingMode;
    std::shared_ptr<SharedText> customTrainingPackCode;
    std::shared_ptr<std::atomic<bool>> autoRequeue;
    std::shared_ptr<std::atomic<int>> requeueDelay;
    std::shared_ptr<std::atomic<bool>> waitMmr;
    std::shared_ptr<SharedText> workshopMapsFolder;
    std::shared_ptr<SharedText> workshopMap;
    std::shared_ptr<WorkshopMapList> workshopMaps;
    std::shared_ptr<std::atomic<bool>> enableCompetitive;
    std::shared_ptr<std::atomic<bool>> enableCasual;
    std::shared_ptr<SharedText> toggleBind;

    // Calls `visit` on every copy of `copies` (const or not), in declaration order.
    template <class Copies, class Visit>
    static void ForEachCopy(Copies& copies, Visit&& visit) {
        visit(copies.enabled), visit(copies.trainingMode), visit(copies.customTrainingPackCode);
        visit(copies.autoRequeue), visit(copies.requeueDelay), visit(copies.waitMmr);
        visit(copies.workshopMapsFolder), visit(copies.workshopMap), visit(copies.workshopMaps);
        visit(copies.enableCompetitive), visit(copies.enableCasual), visit(copies.toggleBind);
    }

    // A new cell for every copy, holding its start value: off, empty, zero or free play,
    // and on for the switches whose default is on.
    static SettingCopies Fresh() {
        SettingCopies copies;
        ForEachCopy(copies, [](auto& copy) {
            copy = std::make_shared<typename std::decay_t<decltype(copy)>::element_type>();
        });
        *copies.trainingMode = TrainingMode::FreePlay;
        for (auto* on : {&copies.enabled, &copies.autoRequeue, &copies.waitMmr, &copies.enableCompetitive,
                         &copies.enableCasual}) {
            **on = true;
        }
        return copies;
    }
};

class PostplayPlugin : public BakkesMod::Plugin::BakkesModPlugin,
                       public SettingsWindowBase,
                       public SettingCopies {
public:
    PostplayPlugin();
    ~PostplayPlugin() override;

    void onLoad() override;
    void onUnload() override;
    void RenderSettings() override;              // settings/SettingsPage.cpp

    // Expires when this object is destroyed; deferred callbacks check it before use.
    std::weak_ptr<void> LifetimeToken() const { return lifetime; }

    // ---- Fields, in declaration order (destroyed in reverse) ---------------------------
    std::unique_ptr<MMRNotifierToken> mmrNotifierToken;
    std::shared_ptr<PersistentStorage> persistentStorage;
    std::shared_ptr<GameEventManager> gameEventManager;
    LocalizationManager* localizationManager = nullptr;  // not owned; the library-wide instance
    std::string toggleCommand = settings::kToggleCommand;
    bool transitionPending = false;

    // ---- Commands (callbacks of the console commands) ----------------------------------
    void TogglePlugin(std::vector<std::string> words);        // settings::kToggleCommand
    // Asks the folder worker for a scan of the folder and returns; the list, the reset of a
    // selection the folder no longer holds and the lines land on the game thread.
    void RefreshWorkshopMaps(std::vector<std::string> words); // settings::kFindWorkshopMapsCommand
    // The settings page's refresh step: checks `folder` on the worker; on the game thread a
    // usable folder is then scanned, an unusable one empties the list with a line.
    void RefreshWorkshopFolder(std::string folder);

    // The threads that do the plug-in's slow work, beside the frame and the game thread.
    FolderWorker workshopWorker;                 // folder scans and checks
    LinkOpener linkOpener;                       // the page's web links

    // ---- Settings page panels (settings/) -----------------------------------------------
    void RenderKeyBindSetting();
    void RenderWorkshopMapSetting();
    void OpenWebLink(const std::string& url);    // hands the link to the opener's thread

private:
    friend class PostplayPluginTestPeer;         // lets tests call the steps one by one

    // Load sequence (plugin/PostplayPlugin.cpp, plugin/ConsoleVariables.cpp, match/MatchFlow.cpp)
    void _InitializeManagers();
    void _InitializeValues();
    void _RegisterCVars();
    void _RegisterNotifiers();
    void _InitializeCore();
    void _StartWorkers();                        // at load, so that no frame starts a thread
    void _StopWorkers();                         // at unload: finish the cfg write, join threads
    void _ScheduleStartupScan(FolderWorker::CheckResult checked);

    // Match flow (match/MatchFlow.cpp)
    void _ProcessMatchEnd(bool mmrUpdated);
    void _HandleTransition(float delaySeconds);
    void _HandleQueue(float extraSeconds);

    // Destination loading (training/DestinationLoader.h)
    void _LoadTrainingDestination();

    // Results of the folder worker, on the game thread (plugin/Commands.cpp)
    void _LandWorkshopScan(FolderWorker::ScanResult scan);
    void _LandWorkshopFolderCheck(FolderWorker::CheckResult checked);
    void _ReplaceWorkshopMaps(WorkshopMapList::Maps maps);
    // Runs `land` on the game thread, through the host's Execute, unless this object is gone
    // by then. Called on the worker threads.
    void _OnGameThread(const char* what, std::function<void()> land);

    std::uint64_t onlineGamesEntered = 0;       // game thread only; tells a re-queue's match from later ones
    std::shared_ptr<void> lifetime = std::make_shared<char>();
};
