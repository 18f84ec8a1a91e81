// The plug-in's console variables and commands. Every setting is a stored console
// variable; a change callback keeps the plug-in's typed copy of each one in step.
#include <functional>
#include <memory>
#include <utility>

#include "host/CVarManagerWrapper.h"
#include "host/GameWrapper.h"
#include "localization/LocalizationManager.h"
#include "plugin/EntryGuard.h"
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

// Registers a stored variable, keeps `store` as its change callback and runs `firstRead`
// (by default `store`) once on the value the host holds now.
void RegisterSetting(PostplayPlugin& plugin, const Setting& setting, const Store& store,
                     const Store& firstRead = nullptr) {
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
    (firstRead ? firstRead : store)(plugin, cvar);
}

Store KeepBool(std::shared_ptr<std::atomic<bool>> PostplayPlugin::*cell) {
    return [cell](PostplayPlugin& plugin, CVarWrapper& cvar) { *(plugin.*cell) = cvar.getBoolValue(); };
}

Store KeepText(std::shared_ptr<SharedText> PostplayPlugin::*cell) {
    return [cell](PostplayPlugin& plugin, CVarWrapper& cvar) { (plugin.*cell)->Set(cvar.getStringValue()); };
}

void KeepMode(PostplayPlugin& plugin, CVarWrapper& cvar) {
    *plugin.trainingMode = TrainingMode::FromString(cvar.getStringValue());
}

void KeepDelay(PostplayPlugin& plugin, CVarWrapper& cvar) {
    *plugin.requeueDelay = cvar.getIntValue();
}

// A rejected code leaves the last accepted one in the copy. An accepted code is copied
// as the variable holds it: the loader upper-cases the copy when it loads the pack. An
// empty value clears the copy, so a code the player deleted is not loaded any more, in
// this session as after a restart.
void KeepValidPackCode(PostplayPlugin& plugin, CVarWrapper& cvar) {
    const std::string value = cvar.getStringValue();
    std::string candidate = value;
    if (value.empty() || ValidateTrainingPackCode(candidate)) plugin.customTrainingPackCode->Set(value);
}

} // namespace

void PostplayPlugin::_RegisterCVars() {
    RegisterSetting(*this, {"pp_enabled", "1", "Enable the plugin", true, kSwitch}, KeepBool(&PostplayPlugin::enabled));
    RegisterSetting(*this, {"pp_mode", "freeplay", "Set the training mode (freeplay/custom)", true, kNoRange},
                    KeepMode);

    // The code the host holds at registration is taken as it is; later changes (the
    // stored file's among them) must pass the check.
    RegisterSetting(*this, {"pp_custom_training_pack_code", "", "Custom training pack code", true, kNoRange},
                    KeepValidPackCode, KeepText(&PostplayPlugin::customTrainingPackCode));

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
