// The workshop block of the settings page: the folder box with its refresh button, a
// status line saying what is wrong with the folder, and the map selector.
//
// File-system trouble never leaves a frame: a folder whose status cannot be read (access
// denied, a name too long, a loop of links...) is shown and treated as one that does not
// exist, since the plug-in cannot reach anything there.
#include <algorithm>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <imgui.h>

#include "localization/LocalizationManager.h"
#include "plugin/PostplayPlugin.h"
#include "settings/PageInternal.h"
#include "training/WorkshopMaps.h"

namespace {

enum class FolderState { Empty, Missing, NotDirectory, Directory };

FolderState QueryFolderState(const std::string& folder) {
    if (folder.empty()) return FolderState::Empty;
    try {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(PathFromText(folder), error);
        if (!std::filesystem::exists(status)) return FolderState::Missing;   // also when unreadable
        return std::filesystem::is_directory(status) ? FolderState::Directory : FolderState::NotDirectory;
    } catch (const std::exception&) {
        return FolderState::Missing;             // the text cannot even be turned into a path
    }
}

// "Stadium\stadium.upk" is listed as "Stadium".
std::string DisplayName(const std::string& entry) { return entry.substr(0, entry.find('\\')); }

float PanelItemWidth() { return ImGui::GetContentRegionAvail().x * 0.7f; }

} // namespace

void PostplayPlugin::RenderWorkshopMapSetting() {
    LocalizationManager* localization = LocalizationManager::GetInstance();
    SettingsPageState& state = PageState();
    const std::string folderSnapshot = workshopMapsFolder->Get();
    // One snapshot of the list per frame: a scan on another thread may swap in a new list
    // meanwhile; this frame keeps drawing the one it took.
    std::shared_ptr<const WorkshopMapList::Entries> maps = workshopMaps->Snapshot();

    ImGui::Text("%s:", localization->Translate("workshop_map_folder").c_str());
    char folderBuffer[256];
    page::CopyToBuffer(folderSnapshot, folderBuffer);
    ImGui::PushItemWidth(PanelItemWidth());
    const bool folderEdited = ImGui::InputText("##WorkshopMapsFolder", folderBuffer, sizeof folderBuffer);
    ImGui::PopItemWidth();
    if (folderEdited) page::SetCvar(*cvarManager, "pp_workshop_maps_folder", std::string(folderBuffer));
    page::TooltipOnHover(localization->Translate("workshop_map_folder_tooltip"));
    ImGui::SameLine();
    const bool refreshClicked = ImGui::Button(localization->Translate("refresh").c_str(), ImVec2(0.0f, 0.0f));

    const bool autoScan = state.workshopAutoScanPending && !folderSnapshot.empty() && maps->empty();
    if (refreshClicked || folderEdited || autoScan) {
        state.workshopAutoScanPending = false;
        const std::string folder = workshopMapsFolder->Get();  // the text just stored, when edited
        if (QueryFolderState(folder) == FolderState::Directory) {
            cvarManager->executeCommand("pp_find_workshop_maps", true);
        } else {
            workshopMaps->Clear();
            if (!folder.empty()) cvarManager->log("Invalid workshop maps folder: " + folder);
        }
    }

    switch (QueryFolderState(folderSnapshot)) {
    case FolderState::Empty:
        page::MessageLine(page::kErrorColour, localization->Translate("workshop_map_folder_empty"));
        return;
    case FolderState::Missing:
        page::MessageLine(page::kErrorColour, localization->Translate("workshop_map_folder_doesnt_exist"));
        return;
    case FolderState::NotDirectory:
        page::MessageLine(page::kErrorColour, localization->Translate("workshop_map_folder_not_directory"));
        return;
    case FolderState::Directory:
        break;
    }

    maps = workshopMaps->Snapshot();              // what the scan just found, if one ran
    if (maps->empty()) {
        page::MessageLine(page::kNoticeColour, localization->Translate("workshop_map_folder_no_map_found"));
        page::MessageLine(page::kNoticeColour, localization->Translate("workshop_map_folder_no_map_found_refresh"));
        return;
    }

    ImGui::Indent();
    ImGui::Text("%s:", localization->Translate("select_workshop_map").c_str());
    const std::string selected = workshopMap->Get();
    const std::string preview = selected.empty() ? "Select a map" : DisplayName(selected);
    std::optional<std::string> chosen;
    ImGui::PushItemWidth(PanelItemWidth());
    if (ImGui::BeginCombo("##WorkshopMapSelector", preview.c_str(), 0)) {
        // A folder may hold thousands of maps: only the rows in view are submitted. In the
        // frame the popup opens, the selected row is submitted too, wherever it lies, so that
        // the popup scrolls to it (SetItemDefaultFocus).
        ImGuiListClipper clipper;
        clipper.Begin(static_cast<int>(maps->size()));
        if (!selected.empty() && ImGui::IsWindowAppearing()) {
            const auto selectedEntry = std::find(maps->begin(), maps->end(), selected);
            if (selectedEntry != maps->end()) {
                const int selectedRow = static_cast<int>(selectedEntry - maps->begin());
                clipper.ForceDisplayRangeByIndices(selectedRow, selectedRow + 1);
            }
        }
        while (clipper.Step()) {
            for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row) {
                const std::string& entry = (*maps)[static_cast<std::size_t>(row)];
                const bool isSelected = entry == selected;
                if (ImGui::Selectable(DisplayName(entry).c_str(), isSelected)) chosen = entry;
                if (isSelected) ImGui::SetItemDefaultFocus();
            }
        }
        ImGui::EndCombo();
    }
    ImGui::PopItemWidth();
    // Written once the list is no longer being walked: the write runs the host's callbacks.
    if (chosen) page::SetCvar(*cvarManager, "pp_workshop_map", *chosen);
    if (workshopMap->Empty()) {
        page::MessageLine(page::kNoticeColour, localization->Translate("please_select_a_workshop_map"));
    }
    ImGui::Unindent();
}
