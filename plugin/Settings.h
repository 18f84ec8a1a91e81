// Every setting of the plug-in in one table: its console variable's name, default,
// description, flags and range, the check a value must pass before it is stored, and which
// of the plug-in's shared copies it feeds; and the names of the plug-in's commands.
// Registration, the settings page, the scan, the match flow, the storage and the
// localization all reach the names through here, so a name is spelled once.
#pragma once

#include <string>

#include "training/TrainingMode.h"

namespace settings {

// Which shared copy of PostplayPlugin a variable's change callback keeps in step.
enum class Copy {
    Enabled,
    TrainingMode,
    CustomTrainingPackCode,
    AutoRequeue,
    RequeueDelay,
    WaitMmr,
    WorkshopMapsFolder,
    WorkshopMap,
    EnableCompetitive,
    EnableCasual,
    ToggleBind,
    None,  // kept by its own owner (the language, by the localization manager)
};

struct Range {
    bool hasMin = false;
    float min = 0.0f;
    bool hasMax = false;
    float max = 0.0f;
};

inline constexpr Range kNoRange{};
inline constexpr Range kSwitch{true, 0.0f, true, 1.0f};
inline constexpr Range kNotNegative{true, 0.0f, false, 0.0f};

// A value a setting refuses is never cached by the storage, so it never reaches the cfg file.
using ValueCheck = bool (*)(const std::string& value);

struct Setting {
    const char* name;
    const char* defaultValue;  // the language's default is the game's language, known at load
    const char* description;
    bool searchable;
    bool save;                 // kept in the plug-in's cfg file
    Range range;
    Copy copy;
    ValueCheck accepts = nullptr;  // none: every value is stored
};

inline constexpr Setting kEnabled{"pp_enabled", "1", "Enable the plugin", true, true, kSwitch, Copy::Enabled};
inline constexpr Setting kMode{"pp_mode", "freeplay", "Set the training mode (freeplay/custom)",
                               true, true, kNoRange, Copy::TrainingMode};
inline constexpr Setting kCustomTrainingPackCode{"pp_custom_training_pack_code", "", "Custom training pack code",
                                                 true, true, kNoRange, Copy::CustomTrainingPackCode,
                                                 &IsStorablePackCode};
inline constexpr Setting kRequeue{"pp_requeue", "1", "Toggle auto requeue", true, true, kSwitch, Copy::AutoRequeue};
inline constexpr Setting kRequeueDelay{"pp_requeue_delay", "0", "Set requeue delay in seconds",
                                       true, true, kNotNegative, Copy::RequeueDelay};
inline constexpr Setting kWaitMmr{"pp_wait_mmr", "1", "Wait for MMR to be visible before leaving",
                                  true, true, kSwitch, Copy::WaitMmr};
inline constexpr Setting kWorkshopMapsFolder{"pp_workshop_maps_folder", "", "Workshop maps folder",
                                             false, true, kNoRange, Copy::WorkshopMapsFolder};
inline constexpr Setting kWorkshopMap{"pp_workshop_map", "", "Workshop map",
                                      false, true, kNoRange, Copy::WorkshopMap};
inline constexpr Setting kEnableCompetitive{"pp_enable_competitive", "1", "Enable competitive mode",
                                            true, true, kSwitch, Copy::EnableCompetitive};
inline constexpr Setting kEnableCasual{"pp_enable_casual", "1", "Enable casual mode",
                                       true, true, kSwitch, Copy::EnableCasual};
inline constexpr Setting kToggleBind{"pp_toggle_bind", "", "Key bind to toggle the plugin",
                                     false, true, kNoRange, Copy::ToggleBind};
inline constexpr Setting kLanguage{"plugin_language", "INT", "Set the language for plugin UI and messages",
                                   true, true, kNoRange, Copy::None};

// The variables the plug-in registers itself, in the order it registers them (the
// language is registered earlier, by the localization manager).
inline constexpr Setting kRegistered[] = {kEnabled,     kMode,           kCustomTrainingPackCode,
                                          kRequeue,     kRequeueDelay,   kWaitMmr,
                                          kWorkshopMapsFolder, kWorkshopMap, kEnableCompetitive,
                                          kEnableCasual, kToggleBind};

// The plug-in's commands; the last one is the storage's, which writes the cfg file at once.
inline constexpr const char* kToggleCommand = "pp_toggle";
inline constexpr const char* kFindWorkshopMapsCommand = "pp_find_workshop_maps";
inline constexpr const char* kWriteConfigCommand = "writeconfig";

} // namespace settings
