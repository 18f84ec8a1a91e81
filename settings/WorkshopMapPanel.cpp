// The workshop block of the settings page: the folder box with its refresh button, a
// status line saying what is wrong with the folder, and the map selector.
//
// The status line comes from the last check of the folder (settings/FolderStatus.h), made
// beside the page: a frame never waits for the drive. Only the refresh step, which the
// player starts, checks the folder and scans it in the frame. File-system trouble never
// leaves a frame: a folder whose status cannot be read counts as one that does not exist.
#include "settings/WorkshopMapPanel.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <imgui.h>

#include "localization/LocalizationManager.h"
#include "plugin/PostplayPlugin.h"
#include "plugin/Settings.h"
#include "settings/FolderStatus.h"
#include "settings/PageInternal.h"

namespace {

using MapEntries = std::shared_ptr<const WorkshopMapList::Entries>;

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
std::optional<std::string> DrawMapRows(const WorkshopMapList::Entries& maps, const std::string& selected) {
    std::optional<std::string> chosen;
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(maps.size()));
    if (ImGui::IsWindowAppearing()) {
        const auto selectedEntry = std::find(maps.begin(), maps.end(), selected);
        if (selectedEntry != maps.end()) {
            const int selectedRow = static_cast<int>(selectedEntry - maps.begin());
            clipper.ForceDisplayRangeByIndices(selectedRow, selectedRow + 1);
        }
    }
    while (clipper.Step()) {
        for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row) {
            const std::string& entry = maps[static_cast<std::size_t>(row)];
            const bool isSelected = entry == selected;
            if (ImGui::Selectable(DisplayName(entry).c_str(), isSelected)) chosen = entry;
            if (isSelected) ImGui::SetItemDefaultFocus();
        }
    }
    return chosen;
}

// The refresh step: the player's own action (a click, an edit, the first frame's automatic
// scan), so the folder text just stored is checked and scanned in this frame. The check
// becomes the latest one; an unusable folder empties the list and says so.
FolderState RunRefreshStep(CVarManagerWrapper& cvars, const std::string& folder, WorkshopMapList& maps,
                           FolderStatusWatcher& folderStatus) {
    const FolderState state = folderStatus.CheckNow(folder);
    if (state == FolderState::Directory) {
        cvars.executeCommand(settings::kFindWorkshopMapsCommand, true);
    } else {
        maps.Clear();
        if (!folder.empty()) cvars.log("Invalid workshop maps folder: " + folder);
    }
    return state;
}

void DrawMapSelector(CVarManagerWrapper& cvars, LocalizationManager& localization,
                     const WorkshopMapList::Entries& maps, const SharedText& workshopMap) {
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
    if (chosen) page::SetCvar(cvars, settings::kWorkshopMap.name, *chosen);
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
    // One snapshot of the list per frame: a scan on another thread may swap in a new list
    // meanwhile; this frame keeps drawing the one it took.
    MapEntries maps = workshopMaps->Snapshot();
    // The folder as the last check found it; asks for a new check when one is due.
    std::optional<FolderState> folderState = workshopFolderStatus.StateForFrame(folderSnapshot, maps);

    ImGui::Text("%s:", localization.Translate("workshop_map_folder").c_str());
    char folderBuffer[256];
    page::CopyToBuffer(folderSnapshot, folderBuffer);
    ImGui::PushItemWidth(PanelItemWidth());
    const bool folderEdited = ImGui::InputText("##WorkshopMapsFolder", folderBuffer, sizeof folderBuffer);
    ImGui::PopItemWidth();
    if (folderEdited) page::SetCvar(*cvarManager, settings::kWorkshopMapsFolder.name, std::string(folderBuffer));
    page::TooltipOnHover(localization.Translate("workshop_map_folder_tooltip"));
    ImGui::SameLine();
    const bool refreshClicked = ImGui::Button(localization.Translate("refresh").c_str(), ImVec2(0.0f, 0.0f));

    const bool autoScan = state.workshopAutoScanPending && !folderSnapshot.empty() && maps->empty();
    if (refreshClicked || folderEdited || autoScan) {
        state.workshopAutoScanPending = false;
        const std::string folder = workshopMapsFolder->Get();  // the text just stored, when edited
        const FolderState checked = RunRefreshStep(*cvarManager, folder, *workshopMaps, workshopFolderStatus);
        if (folder == folderSnapshot) folderState = checked;    // news of this frame's folder
    }

    // Until a check of this folder text has landed, nothing is shown below the box.
    if (!folderState || !DrawFolderStatus(localization, *folderState)) return;

    maps = workshopMaps->Snapshot();              // what the scan just found, if one ran
    if (maps->empty()) {
        page::MessageLine(page::kNoticeColour, localization.Translate("workshop_map_folder_no_map_found"));
        page::MessageLine(page::kNoticeColour, localization.Translate("workshop_map_folder_no_map_found_refresh"));
        return;
    }
    DrawMapSelector(*cvarManager, localization, *maps, *workshopMap);
}
