// The workshop block of the settings page: the folder box with its refresh button, a line
// while a scan runs, a status line saying what is wrong with the folder, and the map
// selector.
//
// A frame never waits for the drive. The status line comes from the last check of the
// folder, made on the folder worker (training/FolderWorker.h); the refresh step only asks
// the worker to check the folder, and the scan, the list and its lines land on the game
// thread. Until then the page shows the list it had. While no check of the current folder
// text has landed yet (the panel's first frame, or a folder changed from the console), the
// panel shows no status line and nothing below it: the state of another folder text could
// be wrong about this one. File-system trouble never leaves a frame: a folder whose status
// cannot be read counts as one that does not exist.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <imgui.h>

#include "base/SettingTable.h"
#include "localization/LocalizationManager.h"
#include "plugin/PostplayPlugin.h"
#include "settings/PageState.h"
#include "settings/PageWidgets.h"

namespace postplay {

namespace {

// "Stadium\stadium.upk" is listed as "Stadium".
std::string DisplayName(const std::string& entry) { return entry.substr(0, entry.find('\\')); }

float PanelItemWidth() { return ImGui::GetContentRegionAvail().x * 0.7f; }

// The status line of a folder state; false when the panel ends with it.
bool DrawFolderStatus(LocalizationManager& localization, FolderState state) {
    switch (state) {
    case FolderState::Empty:
        page::MessageLine(page::kErrorColour, localization.Translate("workshop_map_folder_empty"));
        return false;
    case FolderState::Missing:
        page::MessageLine(page::kErrorColour, localization.Translate("workshop_map_folder_doesnt_exist"));
        return false;
    case FolderState::NotDirectory:
        page::MessageLine(page::kErrorColour, localization.Translate("workshop_map_folder_not_directory"));
        return false;
    case FolderState::Directory:
        break;
    }
    return true;
}

// The selector's popup: the entry clicked, if any. A folder may hold thousands of maps:
// only the rows in view are submitted. In the frame the popup opens, the selected row is
// submitted too, wherever it lies, so that the popup scrolls to it (SetItemDefaultFocus).
std::optional<std::string> DrawMapRows(const FoundMaps& maps, const std::string& selected) {
    std::optional<std::string> chosen;
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(maps.Size()));
    if (ImGui::IsWindowAppearing()) {
        if (const std::optional<std::size_t> row = maps.RowOf(selected)) {
            const int selectedRow = static_cast<int>(*row);
            clipper.ForceDisplayRangeByIndices(selectedRow, selectedRow + 1);
        }
    }
    while (clipper.Step()) {
        for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row) {
            const std::string& entry = maps.Entries()[static_cast<std::size_t>(row)];
            const bool isSelected = entry == selected;
            if (ImGui::Selectable(DisplayName(entry).c_str(), isSelected)) chosen = entry;
            if (isSelected) ImGui::SetItemDefaultFocus();
        }
    }
    return chosen;
}

// While a scan is asked for or under way: says so, with the maps found so far.
void DrawScanProgress(LocalizationManager& localization, const FolderWorker::Progress& progress) {
    if (!progress.busy) return;
    page::MessageLine(page::kNoticeColour,
                      localization.Translate("workshop_maps_scanning") + " " + std::to_string(progress.found));
}

void DrawMapSelector(CVarManagerWrapper& cvars, LocalizationManager& localization, const FoundMaps& maps,
                     const SharedText& workshopMap) {
    ImGui::Indent();
    ImGui::Text("%s:", localization.Translate("select_workshop_map").c_str());
    const std::string selected = workshopMap.Get();
    const std::string preview = selected.empty() ? "Select a map" : DisplayName(selected);
    std::optional<std::string> chosen;
    ImGui::PushItemWidth(PanelItemWidth());
    if (ImGui::BeginCombo("##WorkshopMapSelector", preview.c_str(), 0)) {
        chosen = DrawMapRows(maps, selected);
        ImGui::EndCombo();
    }
    ImGui::PopItemWidth();
    // Written once the list is no longer being walked: the write runs the host's callbacks.
    if (chosen) page::SetCvar(cvars, setting::kWorkshopMap.name, *chosen);
    if (workshopMap.Empty()) {
        page::MessageLine(page::kNoticeColour, localization.Translate("please_select_a_workshop_map"));
    }
    ImGui::Unindent();
}

} // namespace

void PostplayPlugin::RenderWorkshopMapSetting() {
    LocalizationManager& localization = *LocalizationManager::GetInstance();
    SettingsPageState& state = PageState();
    const std::string folderSnapshot = workshopMapsFolder->Get();
    // One snapshot of the list per frame: a scan landing on the game thread may swap in a
    // new list meanwhile; this frame keeps drawing the one it took.
    const std::uint64_t listVersion = workshopMaps->Version();
    const WorkshopMapList::Maps maps = workshopMaps->Snapshot();
    // The folder as the last check found it; asks for a new check when one is due.
    const std::optional<FolderState> folderState = workshopWorker.StatusForFrame(folderSnapshot, listVersion);

    ImGui::Text("%s:", localization.Translate("workshop_map_folder").c_str());
    char folderBuffer[256];
    page::CopyToBuffer(folderSnapshot, folderBuffer);
    ImGui::PushItemWidth(PanelItemWidth());
    const bool folderEdited = ImGui::InputText("##WorkshopMapsFolder", folderBuffer, sizeof folderBuffer);
    ImGui::PopItemWidth();
    if (folderEdited) page::SetCvar(*cvarManager, setting::kWorkshopMapsFolder.name, std::string(folderBuffer));
    page::TooltipOnHover(localization.Translate("workshop_map_folder_tooltip"));
    ImGui::SameLine();
    const bool refreshClicked = ImGui::Button(localization.Translate("refresh").c_str(), ImVec2(0.0f, 0.0f));

    // The refresh step: the player's own action (a click, an edit, the first frame's
    // automatic scan). The folder text just stored is checked on the worker.
    const bool autoScan = state.workshopAutoScanPending && !folderSnapshot.empty() && maps->Empty();
    if (refreshClicked || folderEdited || autoScan) {
        state.workshopAutoScanPending = false;
        RefreshWorkshopFolder(workshopMapsFolder->Get()); // the text just stored, when edited
    }
    const FolderWorker::Progress progress = workshopWorker.ScanProgress();
    DrawScanProgress(localization, progress);

    if (!folderState || !DrawFolderStatus(localization, *folderState)) return;
    if (maps->Empty()) {
        if (progress.busy) return; // the scan under way may still find maps
        page::MessageLine(page::kNoticeColour, localization.Translate("workshop_map_folder_no_map_found"));
        page::MessageLine(page::kNoticeColour, localization.Translate("workshop_map_folder_no_map_found_refresh"));
        return;
    }
    DrawMapSelector(*cvarManager, localization, *maps, *workshopMap);
}

} // namespace postplay
