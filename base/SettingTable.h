// Every setting of the plug-in as one row: its console variable's name, default,
// description, flags and range, the page's range, the check a value must pass before it is
// stored with the lines that refuse it, and the cell it feeds. Registration, the change
// callbacks, the storage and the page take what they need from the row, so a setting is
// written in one place. The names of the plug-in's commands are here too.
#pragma once

#include <memory>
#include <string>
#include <variant>

#include "base/SharedCells.h"
#include "base/TrainingMode.h"

namespace postplay {

namespace setting {

struct Range {
    bool hasMin = false;
    float min = 0.0f;
    bool hasMax = false;
    float max = 0.0f;
};

inline constexpr Range kNoRange{};
inline constexpr Range kSwitch{true, 0.0f, true, 1.0f};
inline constexpr Range kNotNegative{true, 0.0f, false, 0.0f};

// The slider's range on the settings page, where the setting has one.
struct PageRange {
    int min = 0;
    int max = 0;
};

// A value a row refuses is never cached by the storage, so it never reaches the cfg file.
using ValueCheck = bool (*)(const std::string& value);

// The lines that refuse a value, the refused text and the value kept in their "{}"s: one
// when a value is kept, one when none is set.
struct Refusal {
    const char* keepingValue = nullptr;
    const char* keepingNone = nullptr;
};

template <class Value>
using CellOf = std::shared_ptr<Value> SettingCells::*;

// The cell of SettingCells a variable's change callback keeps in step; none for the
// language, which its own manager keeps.
using Cell = std::variant<std::monostate, CellOf<std::atomic<bool>>, CellOf<std::atomic<int>>,
                          CellOf<std::atomic<TrainingMode::Mode>>, CellOf<SharedText>>;

// Visits a Cell with one lambda per kind of cell.
template <class... Visits>
struct Overloaded : Visits... {
    using Visits::operator()...;
};
template <class... Visits>
Overloaded(Visits...) -> Overloaded<Visits...>;

struct Setting {
    const char* name;
    const char* defaultValue; // the language's default is the game's language, known at load
    const char* description;
    bool searchable;
    bool save; // kept in the plug-in's cfg file
    Range range;
    Cell cell;
    PageRange pageRange{};
    ValueCheck accepts = nullptr; // none: every value is stored
    Refusal refusal{};
};

inline constexpr Setting kEnabled{"pp_enabled", "1", "Enable the plugin", true, true, kSwitch, &SettingCells::enabled};
inline constexpr Setting kMode{"pp_mode",
                               "freeplay",
                               "Set the training mode (freeplay/custom)",
                               true,
                               true,
                               kNoRange,
                               &SettingCells::trainingMode};
inline constexpr Setting kCustomTrainingPackCode{
    "pp_custom_training_pack_code",
    "",
    "Custom training pack code",
    true,
    true,
    kNoRange,
    &SettingCells::customTrainingPackCode,
    PageRange{},
    &IsStorablePackCode,
    Refusal{"Invalid training pack code, not used: {}; the code in use is {}",
            "Invalid training pack code, not used: {}; no code is set"}};
inline constexpr Setting kRequeue{"pp_requeue", "1",     "Toggle auto requeue",     true,
                                  true,         kSwitch, &SettingCells::autoRequeue};
inline constexpr Setting kRequeueDelay{
    "pp_requeue_delay", "0", "Set requeue delay in seconds", true, true, kNotNegative, &SettingCells::requeueDelay,
    PageRange{0, 900}};
inline constexpr Setting kWaitMmr{
    "pp_wait_mmr", "1", "Wait for MMR to be visible before leaving", true, true, kSwitch, &SettingCells::waitMmr};
inline constexpr Setting kWorkshopMapsFolder{
    "pp_workshop_maps_folder", "", "Workshop maps folder", false, true, kNoRange, &SettingCells::workshopMapsFolder};
inline constexpr Setting kWorkshopMap{"pp_workshop_map",         "", "Workshop map", false, true, kNoRange,
                                      &SettingCells::workshopMap};
inline constexpr Setting kEnableCompetitive{
    "pp_enable_competitive", "1", "Enable competitive mode", true, true, kSwitch, &SettingCells::enableCompetitive};
inline constexpr Setting kEnableCasual{"pp_enable_casual",         "1", "Enable casual mode", true, true, kSwitch,
                                       &SettingCells::enableCasual};
inline constexpr Setting kToggleBind{
    "pp_toggle_bind", "", "Key bind to toggle the plugin", false, true, kNoRange, &SettingCells::toggleBind};
inline constexpr Setting kLanguage{
    "plugin_language", "INT", "Set the language for plugin UI and messages", true, true, kNoRange, std::monostate{}};

// The variables the plug-in registers itself, in the order it registers them (the
// language is registered earlier, by the localization manager).
inline constexpr Setting kRegistered[] = {kEnabled,
                                          kMode,
                                          kCustomTrainingPackCode,
                                          kRequeue,
                                          kRequeueDelay,
                                          kWaitMmr,
                                          kWorkshopMapsFolder,
                                          kWorkshopMap,
                                          kEnableCompetitive,
                                          kEnableCasual,
                                          kToggleBind};

// A new cell for every registered setting, holding its default value.
SettingCells FreshCells();

} // namespace setting

// The plug-in's commands; the last one is the storage's, which writes the cfg file at once.
namespace command {
inline constexpr const char* kToggle = "pp_toggle";
inline constexpr const char* kFindWorkshopMaps = "pp_find_workshop_maps";
inline constexpr const char* kWriteConfig = "writeconfig";
} // namespace command

} // namespace postplay
