// The colours and small widget helpers the settings page and its panels share.
#pragma once

#include <cstddef>
#include <string>

#include <imgui.h>

#include "host/CVarManagerWrapper.h"

namespace postplay {

namespace page {

inline const ImVec4 kErrorColour{1.0f, 0.3f, 0.3f, 1.0f};
inline const ImVec4 kNoticeColour{1.0f, 0.7f, 0.0f, 1.0f}; // orange; also the bind warning

// The vertical gap between groups of the page.
inline void Spacer() { ImGui::Dummy(ImVec2(0.0f, 10.0f)); }

// A status or warning line. Some of these sentences are longer than a column is wide (in
// French by half again), so a line that would pass the column's edge goes on below.
inline void MessageLine(const ImVec4& colour, const std::string& text) {
    ImGui::PushTextWrapPos(0.0f); // 0: wrap at the edge of the column
    ImGui::TextColored(colour, "%s", text.c_str());
    ImGui::PopTextWrapPos();
}

// A tooltip for the item drawn just before.
inline void TooltipOnHover(const std::string& text) {
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", text.c_str());
}

// Copies as much of `text` as fits, always zero-terminated.
template <std::size_t N>
void CopyToBuffer(const std::string& text, char (&buffer)[N]) {
    buffer[text.copy(buffer, N - 1)] = '\0';
}

// Writes a setting through its console variable; the host then refreshes the plug-in's copy.
template <typename Value>
void SetCvar(CVarManagerWrapper& cvars, const char* name, const Value& value) {
    CVarWrapper cvar = cvars.getCvar(name);
    if (cvar) cvar.setValue(value);
}

// "M:SS": 90 gives "1:30", 3600 gives "60:00".
std::string FormatMinutesSeconds(int seconds);

} // namespace page

} // namespace postplay
