// The plug-in's page in the host's settings window: a header with the version and two
// link buttons, then two columns. The left column holds the language row, the key-bind
// row and the match-flow switches; the right one the training destination and its detail.
//
// The page reads the setting cells at the start of each frame and writes only through
// console variables; the host's change callbacks bring the cells up to date.
#include <string>

#include <imgui.h>

#include "base/EntryGuard.h"
#include "base/Log.h"
#include "base/SettingTable.h"
#include "base/TrainingMode.h"
#include "localization/LocalizationManager.h"
#include "plugin/PluginEntry.h"
#include "plugin/PostplayPlugin.h"
#include "settings/LanguageSelector.h"
#include "settings/PageWidgets.h"

namespace postplay {

namespace {

struct LinkButton {
    const char* label;
    const char* url;
    const char* tooltip;
    ImVec4 idle, hovered, active;
};

const LinkButton kDiscordButton{"Discord",
                                "https://discord.gg/postplay",
                                "Join our Discord server",
                                {0.4f, 0.6f, 0.9f, 1.0f},
                                {0.5f, 0.7f, 1.0f, 1.0f},
                                {0.3f, 0.5f, 0.8f, 1.0f}};
const LinkButton kDonateButton{"Donate",
                               "https://www.paypal.com/donate?hosted_button_id=POSTPLAY",
                               "Support the development on PayPal",
                               {0.1f, 0.6f, 0.9f, 1.0f},
                               {0.2f, 0.7f, 1.0f, 1.0f},
                               {0.0f, 0.5f, 0.8f, 1.0f}};

constexpr const char* kAuthor = "Postplay team";

// The settings as they stand at the start of a frame; the widgets edit these copies.
struct FrameValues {
    bool enabled, enableCompetitive, enableCasual, autoRequeue, waitMmr;
    int requeueDelay;
    TrainingMode::Mode mode;
};

void DrawLinkButton(PostplayPlugin& plugin, const LinkButton& link) {
    ImGui::PushStyleColor(ImGuiCol_Button, link.idle);
    ImGui::PushStyleColor(ImGuiCol_ButtonHovered, link.hovered);
    ImGui::PushStyleColor(ImGuiCol_ButtonActive, link.active);
    const bool clicked = ImGui::Button(link.label, ImVec2(0.0f, 0.0f));
    ImGui::PopStyleColor(3);
    if (clicked) plugin.OpenWebLink(link.url);
    page::TooltipOnHover(link.tooltip);
}

void DrawHeader(PostplayPlugin& plugin) {
    static const std::string versionLine = std::string("Version ") + kPluginVersion + " by " + kAuthor;
    ImGui::TextUnformatted(versionLine.c_str());
    ImGui::SameLine();
    DrawLinkButton(plugin, kDiscordButton);
    ImGui::SameLine();
    DrawLinkButton(plugin, kDonateButton);
    page::Spacer();
}

void SettingCheckbox(CVarManagerWrapper& cvars, const std::string& label, bool& value, const char* cvarName) {
    if (ImGui::Checkbox(label.c_str(), &value)) page::SetCvar(cvars, cvarName, static_cast<int>(value));
}

// The empty text (no code) or a code that passes the check.
// The text the pack-code box holds after an edit: stored when empty (clears the code) or
// a valid code (upper-cased); anything else is left unstored.
void AcceptPackCode(CVarManagerWrapper& cvars, std::string text) {
    if (text.empty() || ValidateTrainingPackCode(text))
        page::SetCvar(cvars, setting::kCustomTrainingPackCode.name, text);
}

// The pack-code box, filled anew from the stored code in every frame. While the box is
// active it holds what the player is typing; a text that would not be stored gets the box's
// format hint below it at once, not only in the tooltip.
void DrawPackCodeBox(CVarManagerWrapper& cvars, LocalizationManager& localization, const std::string& storedCode) {
    char packCode[128]; // room for a pasted text well beyond a code
    page::CopyToBuffer(storedCode, packCode);
    ImGui::Text("%s:", localization.Translate("custom_training_pack_code").c_str());
    if (ImGui::InputText("##CustomTrainingPackCode", packCode, sizeof packCode)) AcceptPackCode(cvars, packCode);
    const std::string formatHint = localization.Translate("custom_training_pack_code_invalid");
    page::TooltipOnHover(formatHint);
    if (!IsStorablePackCode(packCode)) page::MessageLine(page::kErrorColour, formatHint);
}

} // namespace

namespace {

// The switches of the left column: the plug-in, the playlist classes, the re-queue with its
// delay, and the wait for the MMR update.
void DrawSwitches(CVarManagerWrapper& cvars, LocalizationManager& localization, FrameValues& values) {
    SettingCheckbox(cvars, localization.Translate("enable_postplay"), values.enabled, setting::kEnabled.name);
    ImGui::Indent();
    SettingCheckbox(cvars, localization.Translate("enable_in_competitive"), values.enableCompetitive,
                    setting::kEnableCompetitive.name);
    SettingCheckbox(cvars, localization.Translate("enable_in_casual"), values.enableCasual,
                    setting::kEnableCasual.name);
    ImGui::Unindent();
    page::Spacer();

    SettingCheckbox(cvars, localization.Translate("auto_requeue"), values.autoRequeue, setting::kRequeue.name);
    if (values.autoRequeue) {
        ImGui::Indent();
        ImGui::Text("%s:", localization.Translate("requeue_delay").c_str());
        const setting::PageRange& slider = setting::kRequeueDelay.pageRange;
        if (ImGui::SliderInt("##RequeueDelay", &values.requeueDelay, slider.min, slider.max, "%d")) {
            page::SetCvar(cvars, setting::kRequeueDelay.name, values.requeueDelay);
        }
        ImGui::SameLine();
        ImGui::Text("%s", page::FormatMinutesSeconds(values.requeueDelay).c_str());
        ImGui::Unindent();
    }
    page::Spacer();

    SettingCheckbox(cvars, localization.Translate("wait_mmr_before_leaving"), values.waitMmr, setting::kWaitMmr.name);
    page::TooltipOnHover(localization.Translate("wait_mmr_before_leaving_tooltip"));
}

// One radio button of the training mode; a click stores `mode`.
void ModeButton(CVarManagerWrapper& cvars, const std::string& label, TrainingMode::Mode shown,
                TrainingMode::Mode mode) {
    if (ImGui::RadioButton(label.c_str(), shown == mode)) {
        page::SetCvar(cvars, setting::kMode.name, std::string(TrainingMode::ToString(mode)));
    }
}

void DrawModeButtons(CVarManagerWrapper& cvars, LocalizationManager& localization, TrainingMode::Mode shown) {
    ImGui::Text("%s:", localization.Translate("training_mode").c_str());
    ModeButton(cvars, localization.Translate("free_play"), shown, TrainingMode::FreePlay);
    ImGui::SameLine();
    ModeButton(cvars, localization.Translate("custom_training"), shown, TrainingMode::Custom);
    ImGui::SameLine();
    ModeButton(cvars, localization.Translate("workshop"), shown, TrainingMode::Workshop);
}

} // namespace

// The opener starts on its own thread; a start that fails says so on the game thread.
void PostplayPlugin::OpenWebLink(const std::string& url) {
    linkOpener.Open(url, [this](std::string line) {
        _OnGameThread("reporting a link", [line = std::move(line)] { LogLine(line); });
    });
}

void PostplayPlugin::RenderSettings() {
    if (!cvarManager || !enabled) return; // not loaded yet (the load makes every copy at once)
    RunGuarded("drawing the settings page", [this] {
        LocalizationManager* localization = LocalizationManager::GetInstance();
        CVarManagerWrapper& cvars = *cvarManager;
        FrameValues values{*enabled, *enableCompetitive, *enableCasual, *autoRequeue,
                           *waitMmr, *requeueDelay,      *trainingMode};

        DrawHeader(*this);
        ImGui::Columns(2, "SettingsColumns", true);

        // ---- Left column ----
        RenderLanguageSelector();
        page::Spacer();
        RenderKeyBindSetting();
        page::Spacer();
        DrawSwitches(cvars, *localization, values);
        ImGui::NextColumn();

        // ---- Right column: follows the mode read at the start of the frame ----
        DrawModeButtons(cvars, *localization, values.mode);
        if (values.mode == TrainingMode::Custom) {
            ImGui::Indent();
            DrawPackCodeBox(cvars, *localization, customTrainingPackCode->Get());
            ImGui::Unindent();
        } else if (values.mode == TrainingMode::Workshop) {
            ImGui::Indent();
            RenderWorkshopMapSetting();
            ImGui::Unindent();
        }
        page::Spacer();
    });
}

} // namespace postplay
