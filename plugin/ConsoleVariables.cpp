// The plug-in's console variables and commands. Every setting is a stored console
// variable; a change callback keeps the plug-in's typed copy of each one in step.
#include "plugin/ConsoleVariables.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "plugin/EntryGuard.h"
#include "plugin/Log.h"
#include "plugin/PostplayPlugin.h"
#include "plugin/Settings.h"
#include "storage/PersistentStorage.h"
#include "training/TrainingMode.h"

namespace {

using Store = std::function<void(PostplayPlugin&, CVarWrapper&)>;

// Registers a stored variable, keeps `store` as its change callback and runs it once on
// the value the host holds now, so the first read passes the same checks as a change.
void RegisterSetting(PostplayPlugin& plugin, const settings::Setting& setting, const Store& store) {
    const settings::Range& range = setting.range;
    CVarWrapper cvar = plugin.persistentStorage->RegisterStoredCvar(setting.name, setting.defaultValue,
                                                                    setting.description, setting.searchable,
                                                                    range.hasMin, range.min, range.hasMax, range.max,
                                                                    setting.save, setting.accepts);
    cvar.addOnValueChanged(
        [self = &plugin, token = plugin.LifetimeToken(), store](std::string /*oldValue*/, CVarWrapper changed) {
            if (token.expired()) return;
            RunGuarded("updating a setting", [&] { store(*self, changed); });
        });
    store(plugin, cvar);
}

Store KeepBool(std::shared_ptr<std::atomic<bool>> PostplayPlugin::*cell) {
    return [cell](PostplayPlugin& plugin, CVarWrapper& cvar) { *(plugin.*cell) = cvar.getBoolValue(); };
}

Store KeepText(std::shared_ptr<SharedText> PostplayPlugin::*cell) {
    return [cell](PostplayPlugin& plugin, CVarWrapper& cvar) { (plugin.*cell)->Set(cvar.getStringValue()); };
}

// Any text other than the three forms means free play. The variable keeps what was typed;
// the line tells the player it is not a mode.
void KeepMode(PostplayPlugin& plugin, CVarWrapper& cvar) {
    const std::string text = cvar.getStringValue();
    const TrainingMode::Mode mode = TrainingMode::FromString(text);
    if (text != TrainingMode::ToString(mode)) Log("Unknown training mode: {}; free play is used", text);
    *plugin.trainingMode = mode;
}

void KeepDelay(PostplayPlugin& plugin, CVarWrapper& cvar) {
    *plugin.requeueDelay = cvar.getIntValue();
}

// An accepted code is copied as the variable holds it: the loader upper-cases the copy when
// it loads the pack. An empty value clears the copy, so a code the player deleted is not
// loaded any more. A refused code never reached the storage's cache (the table's check runs
// there first); it is said once and the variable goes back to the code in use, so it cannot
// replace that code at the next start. Setting it back runs this callback again on an
// accepted (or empty) code, which ends there.
void KeepValidPackCode(PostplayPlugin& plugin, CVarWrapper& cvar) {
    const std::string value = cvar.getStringValue();
    if (IsStorablePackCode(value)) {
        plugin.customTrainingPackCode->Set(value);
        return;
    }
    const std::string inUse = plugin.customTrainingPackCode->Get();
    if (inUse.empty()) Log("Invalid training pack code, not used: {}; no code is set", value);
    else Log("Invalid training pack code, not used: {}; the code in use is {}", value, inUse);
    if (inUse != value) cvar.setValue(inUse);
}

// The change callback that keeps `copy` in step with its variable.
Store StoreFor(settings::Copy copy) {
    using settings::Copy;
    switch (copy) {
    case Copy::Enabled: return KeepBool(&PostplayPlugin::enabled);
    case Copy::TrainingMode: return KeepMode;
    case Copy::CustomTrainingPackCode: return KeepValidPackCode;
    case Copy::AutoRequeue: return KeepBool(&PostplayPlugin::autoRequeue);
    case Copy::RequeueDelay: return KeepDelay;
    case Copy::WaitMmr: return KeepBool(&PostplayPlugin::waitMmr);
    case Copy::WorkshopMapsFolder: return KeepText(&PostplayPlugin::workshopMapsFolder);
    case Copy::WorkshopMap: return KeepText(&PostplayPlugin::workshopMap);
    case Copy::EnableCompetitive: return KeepBool(&PostplayPlugin::enableCompetitive);
    case Copy::EnableCasual: return KeepBool(&PostplayPlugin::enableCasual);
    case Copy::ToggleBind: return KeepText(&PostplayPlugin::toggleBind);
    case Copy::None: break;
    }
    return [](PostplayPlugin&, CVarWrapper&) {};
}

} // namespace

void PostplayPlugin::_RegisterCVars() {
    for (const settings::Setting& setting : settings::kRegistered) RegisterSetting(*this, setting, StoreFor(setting.copy));
}

void PostplayPlugin::_RegisterNotifiers() {
    cvarManager->registerNotifier(
        toggleCommand,
        [this, token = LifetimeToken()](std::vector<std::string> words) {
            if (token.expired()) return;
            RunGuarded(settings::kToggleCommand, [&] { TogglePlugin(std::move(words)); });
        },
        "Toggle the plugin on/off", 0);

    // Fill the map list shortly after load when the folder is already usable. The folder is
    // checked on the folder worker; a folder that arrives later (with the stored file) is
    // scanned by the settings page instead.
    const std::string folder = workshopMapsFolder->Get();
    if (!folder.empty()) {
        workshopWorker.Check(folder, [this](FolderWorker::CheckResult checked) {
            _OnGameThread("checking the workshop folder",
                          [this, checked = std::move(checked)]() mutable { _ScheduleStartupScan(std::move(checked)); });
        });
    }

    cvarManager->registerNotifier(
        settings::kFindWorkshopMapsCommand,
        [this, token = LifetimeToken()](std::vector<std::string> words) {
            if (token.expired()) return;
            RunGuarded(settings::kFindWorkshopMapsCommand, [&] { RefreshWorkshopMaps(std::move(words)); });
        },
        "Find workshop maps in the configured folder", 0);
}

// The load's check of the workshop folder has landed: a usable folder is scanned half a
// second later, through the scan command.
void PostplayPlugin::_ScheduleStartupScan(FolderWorker::CheckResult checked) {
    if (checked.state != FolderState::Directory) return;
    gameWrapper->SetTimeout(
        [this, token = LifetimeToken()](GameWrapper*) {
            if (token.expired()) return;
            RunGuarded("the start-up map scan",
                       [this] { cvarManager->executeCommand(settings::kFindWorkshopMapsCommand, true); });
        },
        0.5f);
}
