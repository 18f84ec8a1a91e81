// The settings-window side of the plug-in object: names the page and takes the host's
// Dear ImGui context. The page itself is drawn by the plug-in's RenderSettings.
#pragma once

#include <cstdint>
#include <string>

#include "host/PluginSettingsWindow.h"

namespace postplay {

class SettingsWindowBase : public BakkesMod::Plugin::PluginSettingsWindow {
public:
    std::string GetPluginName() override;              // "Postplay"
    void SetImGuiContext(std::uintptr_t ctx) override; // makes ctx ImGui's current context
};

} // namespace postplay
