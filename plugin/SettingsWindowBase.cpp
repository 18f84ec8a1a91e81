#include "plugin/SettingsWindowBase.h"

#include <imgui.h>

namespace postplay {

std::string SettingsWindowBase::GetPluginName() {
    return "Postplay";
}

void SettingsWindowBase::SetImGuiContext(std::uintptr_t ctx) {
    ImGui::SetCurrentContext(reinterpret_cast<ImGuiContext*>(ctx));
}

} // namespace postplay
