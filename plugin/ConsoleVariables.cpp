// The plug-in's console variables and commands. Every setting is a stored console
// variable; a change callback keeps the plug-in's typed copy of each one in step.
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "localization/LocalizationManager.h"
#include "plugin/EntryGuard.h"
#include "plugin/Log.h"
#include "plugin/PostplayPlugin.h"
#include "storage/PersistentStorage.h"
#include "training/TrainingMode.h"
#include "training/WorkshopMaps.h"

namespace {

struct Range {
    bool hasMin = false;
    float min = 0.0f;
    bool hasMax = false;
    float max = 0.0f;
};

constexpr Range kNoRange{};
constexpr Range kSwitch{true, 0.0f, true, 1.0f};
constexpr Range kNotNegative{true, 0.0f, false, 0.0f};

struct Setting {
    const char* name;
    const char* defaultValue;
    const char* description;
    bool searchable;
    Range range;
};

using Store = std::function<void(PostplayPlugin&, CVarWrapper&)>;

// Registers a stored variable, keeps `store` as its change callback and runs it once on
// the value the host holds now, so the first read passes the same checks as a change.
void RegisterSetting(PostplayPlugin& plugin, const Setting& setting, const Store& store) {
    const Range& range = setting.range;
    CVarWrapper cvar = plugin.persistentStorage
                           ? plugin.persistentStorage->RegisterStoredCvar(
                                 setting.name, setting.defaultValue, setting.description, setting.searchable,
                                 range.hasMin, range.min, range.hasMax, range.max, true)
                           : plugin.cvarManager->registerCvar(setting.name, setting.defaultValue,
                                                              setting.description, setting.searchable, range.hasMin,
                                                              range.min, range.hasMax, range.max, true);
    cvar.addOnValueChanged(
        [self = &plugin, token = plugin.LifetimeToken(), store](std::string /*oldValue*/, CVarWrapper changed) {
            if (token.expired()) return;
            RunGuarded("updating a setting", [&] { store(*self, changed); });
        });
    store(plugin, cvar);
}

// A typed text as it can stand in one console line: control characters are written as
// \t, \n, \r or \xNN, the host's own rule for names it echoes.
std::string Shown(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') shown += "\\t";
        else if (c == '\n') shown += "\\n";
        else if (c == '\r') shown += "\\r";
        else if (byte < 0x20 || byte == 0x7f) shown += fmt::format("\\x{:02x}", byte);
        else shown += c;
    }
    return shown;
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
    if (text != TrainingMode::ToString(mode)) Log("Unknown training mode: {}; free play is used", Shown(text));
    *plugin.trainingMode = mode;
}

void KeepDelay(PostplayPlugin& plugin, CVarWrapper& cvar) {
    *plugin.requeueDelay = cvar.getIntValue();
}

// An accepted code is copied as the variable holds it: the loader upper-cases the copy when
// it loads the pack. An empty value clears the copy, so a code the player deleted is not
// loaded any more. A refused code is said once and the variable goes back to the code in
// use, so the cfg file never keeps it and it cannot replace that code at the next start.
// Setting it back runs this callback again on an accepted (or empty) code, which ends there.
void KeepValidPackCode(PostplayPlugin& plugin, CVarWrapper& cvar) {
    const std::string value = cvar.getStringValue();
    std::string candidate = value;
    if (value.empty() || ValidateTrainingPackCode(candidate)) {
        plugin.customTrainingPackCode->Set(value);
        return;
    }
    const std::string inUse = plugin.customTrainingPackCode->Get();
    if (inUse.empty()) Log("Invalid training pack code, not used: {}; no code is set", Shown(value));
    else Log("Invalid training pack code, not used: {}; the code in use is {}", Shown(value), Shown(inUse));
    if (inUse != value) cvar.setValue(inUse);
}

} // namespace

void PostplayPlugin::_RegisterCVars() {
    RegisterSetting(*this, {"pp_enabled", "1", "Enable the plugin", true, kSwitch}, KeepBool(&PostplayPlugin::enabled));
    RegisterSetting(*this, {"pp_mode", "freeplay", "Set the training mode (freeplay/custom)", true, kNoRange},
                    KeepMode);

    RegisterSetting(*this, {"pp_custom_training_pack_code", "", "Custom training pack code", true, kNoRange},
                    KeepValidPackCode);

    RegisterSetting(*this, {"pp_requeue", "1", "Toggle auto requeue", true, kSwitch},
                    KeepBool(&PostplayPlugin::autoRequeue));
    RegisterSetting(*this, {"pp_requeue_delay", "0", "Set requeue delay in seconds", true, kNotNegative}, KeepDelay);
    RegisterSetting(*this, {"pp_wait_mmr", "1", "Wait for MMR to be visible before leaving", true, kSwitch},
                    KeepBool(&PostplayPlugin::waitMmr));
    RegisterSetting(*this, {"pp_workshop_maps_folder", "", "Workshop maps folder", false, kNoRange},
                    KeepText(&PostplayPlugin::workshopMapsFolder));
    RegisterSetting(*this, {"pp_workshop_map", "", "Workshop map", false, kNoRange},
                    KeepText(&PostplayPlugin::workshopMap));
    RegisterSetting(*this, {"pp_enable_competitive", "1", "Enable competitive mode", true, kSwitch},
                    KeepBool(&PostplayPlugin::enableCompetitive));
    RegisterSetting(*this, {"pp_enable_casual", "1", "Enable casual mode", true, kSwitch},
                    KeepBool(&PostplayPlugin::enableCasual));
    RegisterSetting(*this, {"pp_toggle_bind", "", "Key bind to toggle the plugin", false, kNoRange},
                    KeepText(&PostplayPlugin::toggleBind));
}

void PostplayPlugin::_RegisterNotifiers() {
    cvarManager->registerNotifier(
        toggleCommand,
        [this, token = LifetimeToken()](std::vector<std::string> words) {
            if (token.expired()) return;
            RunGuarded("pp_toggle", [&] { TogglePlugin(std::move(words)); });
        },
        "Toggle the plugin on/off", 0);

    // Fill the map list shortly after load when the folder is already usable. A folder
    // that arrives later (with the stored file) is scanned by the settings page instead.
    const std::string folder = workshopMapsFolder->Get();
    if (!folder.empty() && IsUsableWorkshopFolder(folder)) {
        gameWrapper->SetTimeout(
            [this, token = LifetimeToken()](GameWrapper*) {
                if (token.expired()) return;
                RunGuarded("the start-up map scan",
                           [this] { cvarManager->executeCommand("pp_find_workshop_maps", true); });
            },
            0.5f);
    }

    cvarManager->registerNotifier(
        "pp_find_workshop_maps",
        [this, token = LifetimeToken()](std::vector<std::string> words) {
            if (token.expired()) return;
            RunGuarded("pp_find_workshop_maps", [&] { RefreshWorkshopMaps(std::move(words)); });
        },
        "Find workshop maps in the configured folder", 0);
}

void PostplayPlugin::TogglePlugin(std::vector<std::string> /*words*/) {
    CVarWrapper enabledCvar = cvarManager->getCvar("pp_enabled");
    const bool wasEnabled = enabledCvar.getBoolValue();
    enabledCvar.setValue(wasEnabled ? 0 : 1);

    const std::string key = wasEnabled ? "postplay_disabled" : "postplay_enabled";
    LocalizationManager* localization = localizationManager ? localizationManager : LocalizationManager::GetInstance();
    gameWrapper->Toast("Postplay", localization->Translate(key), "postplay_logo", 2.0f, 0, 290.0f, 60.0f);
}
