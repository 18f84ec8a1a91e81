// The plug-in's console variables and commands. Every setting is a stored console
// variable; a change callback keeps the plug-in's typed copy of each one in step.
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "base/EntryGuard.h"
#include "base/Log.h"
#include "base/SettingTable.h"
#include "base/TrainingMode.h"
#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "plugin/PostplayPlugin.h"
#include "storage/PersistentStorage.h"

namespace postplay {

namespace {

using setting::CellOf;
using setting::Overloaded;

// Any text other than the three forms means free play. The variable keeps what was typed;
// the line tells the player it is not a mode.
void KeepMode(std::atomic<TrainingMode::Mode>& cell, CVarWrapper& cvar) {
    const std::string text = cvar.getStringValue();
    const TrainingMode::Mode mode = TrainingMode::FromString(text);
    if (text != TrainingMode::ToString(mode)) Log("Unknown training mode: {}; free play is used", text);
    cell = mode;
}

// A text the row's check accepts is copied as the variable holds it (the loader upper-cases
// a pack code when it loads the pack; an empty value clears the copy). A refused text never
// reached the storage's cache, which runs the same check first: it is said once and the
// variable goes back to the text in use, so it cannot replace that text at the next start.
// Setting it back runs this callback again on an accepted text, which ends there.
void KeepText(const setting::Setting& row, SharedText& cell, CVarWrapper& cvar) {
    const std::string value = cvar.getStringValue();
    if (!row.accepts || row.accepts(value)) {
        cell.Set(value);
        return;
    }
    const std::string inUse = cell.Get();
    if (inUse.empty())
        Log(row.refusal.keepingNone, value);
    else
        Log(row.refusal.keepingValue, value, inUse);
    if (inUse != value) cvar.setValue(inUse);
}

// Brings the row's cell in step with its variable.
void KeepInStep(PostplayPlugin& plugin, const setting::Setting& row, CVarWrapper& cvar) {
    std::visit(Overloaded{[](std::monostate) {},
                          [&](CellOf<std::atomic<bool>> cell) { *(plugin.*cell) = cvar.getBoolValue(); },
                          [&](CellOf<std::atomic<int>> cell) { *(plugin.*cell) = cvar.getIntValue(); },
                          [&](CellOf<std::atomic<TrainingMode::Mode>> cell) { KeepMode(*(plugin.*cell), cvar); },
                          [&](CellOf<SharedText> cell) { KeepText(row, *(plugin.*cell), cvar); }},
               row.cell);
}

// Registers a stored variable with its row's check, keeps its cell in step on every change
// and once now, on the value the host holds, so the first read passes the same checks.
void RegisterSetting(PostplayPlugin& plugin, const setting::Setting& row) {
    const setting::Range& range = row.range;
    CVarWrapper cvar = plugin.persistentStorage->RegisterStoredCvar(row.name, row.defaultValue, row.description,
                                                                    row.searchable, range.hasMin, range.min,
                                                                    range.hasMax, range.max, row.save, row.accepts);
    cvar.addOnValueChanged(
        [self = &plugin, token = plugin.LifetimeToken(), &row](const std::string& /*oldValue*/, CVarWrapper changed) {
            if (token.expired()) return;
            RunGuarded("updating a setting", [&] { KeepInStep(*self, row, changed); });
        });
    KeepInStep(plugin, row, cvar);
}

} // namespace

void PostplayPlugin::_RegisterCVars() {
    for (const setting::Setting& row : setting::kRegistered) RegisterSetting(*this, row);
}

void PostplayPlugin::_RegisterNotifiers() {
    cvarManager->registerNotifier(
        toggleCommand,
        [this, token = LifetimeToken()](std::vector<std::string> words) {
            if (token.expired()) return;
            RunGuarded(command::kToggle, [&] { TogglePlugin(std::move(words)); });
        },
        "Toggle the plugin on/off", 0);

    // Fill the map list shortly after load when the folder is already usable. The folder is
    // checked on the folder worker; a folder that arrives later (with the stored file) is
    // scanned by the settings page instead.
    const std::string folder = workshopMapsFolder->Get();
    if (!folder.empty()) {
        workshopWorker.Check(folder, [this](FolderWorker::CheckResult checked) {
            _OnGameThread("checking the workshop folder",
                          [this, checked = std::move(checked)] { _ScheduleStartupScan(checked); });
        });
    }

    cvarManager->registerNotifier(
        command::kFindWorkshopMaps,
        [this, token = LifetimeToken()](std::vector<std::string> words) {
            if (token.expired()) return;
            RunGuarded(command::kFindWorkshopMaps, [&] { RefreshWorkshopMaps(std::move(words)); });
        },
        "Find workshop maps in the configured folder", 0);
}

// The load's check of the workshop folder has landed: a usable folder is scanned half a
// second later, through the scan command.
void PostplayPlugin::_ScheduleStartupScan(const FolderWorker::CheckResult& checked) {
    if (checked.state != FolderState::Directory) return;
    gameWrapper->SetTimeout(
        [this, token = LifetimeToken()](GameWrapper*) {
            if (token.expired()) return;
            RunGuarded("the start-up map scan",
                       [this] { cvarManager->executeCommand(command::kFindWorkshopMaps, true); });
        },
        0.5f);
}

} // namespace postplay
