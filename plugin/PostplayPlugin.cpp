#include "plugin/PostplayPlugin.h"

#include <filesystem>
#include <optional>

#include "base/EntryGuard.h"
#include "base/Log.h"
#include "base/NarrowPath.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "host/PathText.h"
#include "localization/LocalizationManager.h"
#include "match/GameEventManager.h"
#include "plugin/PluginEntry.h"
#include "storage/PersistentStorage.h"
#include "training/DestinationLoader.h"

namespace postplay {

const char kPluginMainSource[] = __FILE__;

namespace {

constexpr const char* kToastTextureName = "postplay_logo";

// DATA/Postplay/PostplayLogo.png as the narrow text the host opens it by, or nothing (with
// one line) when no narrow text names it; toasts then show without the logo.
std::optional<std::string> ToastLogoPath(GameWrapper& game) {
    const auto path = game.GetDataFolder() / "Postplay" / "PostplayLogo.png";
    auto text = NarrowPathText(path);
    if (!text) Log("Postplay: the toast logo is not loaded: the system's code page cannot name {}", PathToUtf8(path));
    return text;
}

} // namespace

PostplayPlugin::PostplayPlugin() = default;

PostplayPlugin::~PostplayPlugin() { _StopWorkers(); }

void PostplayPlugin::onLoad() {
    RunGuarded("loading the plug-in", [this] {
        globalCvarManager = cvarManager;
        if (const auto logoPath = ToastLogoPath(*gameWrapper)) {
            gameWrapper->LoadToastTexture(kToastTextureName, *logoPath);
        }
        _InitializeManagers();
        _StartWorkers();
        _InitializeValues();
        _RegisterCVars();
        _RegisterNotifiers();
        _InitializeCore();
    });
}

void PostplayPlugin::onUnload() {
    // Hooks, notifiers and console variables stay until the object goes or the host drops them.
    // The host frees the library right after the unload: no thread of ours may outlive it.
    _StopWorkers();
}

void PostplayPlugin::_StartWorkers() {
    workshopWorker.Start();
    linkOpener.Start();
}

// Stops a running scan at its next query, drops the folder checks asked for, finishes the
// pending cfg write and joins every thread the plug-in started. Safe to call more than once.
void PostplayPlugin::_StopWorkers() {
    RunGuarded("stopping the plug-in's threads", [this] {
        workshopWorker.RequestStop(); // all at once: each ends while the others do
        linkOpener.RequestStop();
        if (persistentStorage) persistentStorage->StopWriter();
        workshopWorker.Stop();
        linkOpener.Stop();
    });
}

void PostplayPlugin::_InitializeManagers() {
    persistentStorage = std::make_shared<PersistentStorage>(this, "Postplay", true, true);

    gameEventManager = std::make_shared<GameEventManager>(globalCvarManager, gameWrapper);
    gameEventManager->Initialize();

    localizationManager = LocalizationManager::GetInstance();
    localizationManager->Initialize(cvarManager, gameWrapper, persistentStorage);
}

// Fresh copies with their start values; registration then sets each from its variable.
void PostplayPlugin::_InitializeValues() {
    static_cast<SettingCells&>(*this) = setting::FreshCells();
    workshopMaps = std::make_shared<WorkshopMapList>();
}

void PostplayPlugin::_LoadTrainingDestination() {
    LoadTrainingDestination(*cvarManager, *trainingMode, *customTrainingPackCode, *workshopMapsFolder, *workshopMap);
}

} // namespace postplay
