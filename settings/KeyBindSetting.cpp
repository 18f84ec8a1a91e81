// The key-bind row of the settings page: the player types a key name, and the bind button
// binds that key to the toggle command, drops the plug-in's previous bind and records the
// key in the toggle-bind setting. A warning shows while the typed key runs some other command.
#include <string>
#include <utility>

#include <imgui.h>

#include "base/EntryGuard.h"
#include "base/Log.h"
#include "base/SettingTable.h"
#include "localization/LocalizationManager.h"
#include "plugin/PostplayPlugin.h"
#include "settings/PageState.h"
#include "settings/PageWidgets.h"

namespace postplay {

namespace {

constexpr float kKeyBoxWidth = 200.0f;

// A key name holding a double quote, ';' or a control character (a line break among them)
// would read back as another command or value once it is in a bind or the configuration file.
bool IsSafeKeyName(const std::string& key) {
    for (const unsigned char c : key) {
        if (c == '"' || c == ';' || c < 0x20 || c == 0x7f) return false;
    }
    return true;
}

// The bind job's work, on the game thread.
void ApplyToggleBind(PostplayPlugin& plugin, const std::string& key) {
    CVarManagerWrapper& cvars = *plugin.cvarManager;
    const std::string oldKey = plugin.toggleBind->Get();
    // The old key is left alone when the player has given it to another command meanwhile.
    if (cvars.getBindStringForKey(oldKey) == plugin.toggleCommand) cvars.removeBind(oldKey);
    page::SetCvar(cvars, setting::kToggleBind.name, key);
    cvars.setBind(key, plugin.toggleCommand);
}

// Hands the bind job the key in the box as it is now: the job runs later on the game
// thread, and not at all once the plug-in object is gone. A key name that would read back
// as another command is refused with one line, and the next frame shows the stored key.
void BindToggleKey(PostplayPlugin& plugin, SettingsPageState& state) {
    std::string key = state.keyBindBuffer;
    if (!IsSafeKeyName(key)) {
        Log("Key name refused for the toggle bind: it must not hold double quotes, ';' or line breaks");
        state.keyBindEdited = false;
        return;
    }
    PostplayPlugin* target = &plugin;
    plugin.gameWrapper->Execute([target, alive = plugin.LifetimeToken(), key = std::move(key)](GameWrapper*) {
        if (alive.expired()) return;
        RunGuarded("binding the toggle key", [&] { ApplyToggleBind(*target, key); });
    });
}

} // namespace

void PostplayPlugin::RenderKeyBindSetting() {
    LocalizationManager* localization = LocalizationManager::GetInstance();
    SettingsPageState& state = PageState();
    const std::string helpText = localization->Translate("bind_to_toggle_toolip");

    ImGui::Text("%s", localization->Translate("bind_to_toggle").c_str());
    ImGui::SameLine();
    ImGui::Button("?##bindHelp", ImVec2(0.0f, 0.0f));
    page::TooltipOnHover(helpText);

    // The box holds the player's text from the first edit until it equals the stored key
    // again: after a click on bind, that is once the job has run on the game thread, so the
    // box keeps the key typed and bind and reset stay until then. Otherwise the box follows
    // the stored key, also one that arrives after the first frame (the stored settings load
    // a moment after the plug-in).
    const std::string storedKey = toggleBind->Get();
    if (!state.keyBindEdited) page::CopyToBuffer(storedKey, state.keyBindBuffer);
    ImGui::PushItemWidth(kKeyBoxWidth);
    if (ImGui::InputText("##BinKeyInput", state.keyBindBuffer, sizeof state.keyBindBuffer)) state.keyBindEdited = true;
    ImGui::PopItemWidth();
    page::TooltipOnHover(helpText);

    if (storedKey == state.keyBindBuffer) {
        state.keyBindEdited = false;
    } else {
        ImGui::SameLine();
        if (ImGui::Button(localization->Translate("bind").c_str(), ImVec2(0.0f, 0.0f))) BindToggleKey(*this, state);
        ImGui::SameLine();
        const std::string resetLabel = localization->Translate("reset") + "##ResetBindKey";
        if (ImGui::Button(resetLabel.c_str(), ImVec2(0.0f, 0.0f))) {
            page::CopyToBuffer(storedKey, state.keyBindBuffer);
            state.keyBindEdited = false;
        }
    }

    const std::string boundCommand = cvarManager->getBindStringForKey(state.keyBindBuffer);
    if (!boundCommand.empty() && boundCommand != toggleCommand) {
        page::MessageLine(page::kNoticeColour, localization->Translate("this_key_is_already_bound"));
    }
}

} // namespace postplay
