#include "plugin/SettingsWindowBase.h"

#include <imgui.h>

namespace postplay {

std::string SettingsWindowBase::GetPluginName() { return "Postplay"; }

void SettingsWindowBase::SetImGuiContext(std::uintptr_t ctx) {
    // The host hands its context over as an integer; only a cast can make it a pointer again.
    ImGui::SetCurrentContext(reinterpret_cast<ImGuiContext*>(ctx)); // NOLINT(performance-no-int-to-ptr)
}

} // namespace postplay
