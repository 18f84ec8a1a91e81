// A recording double of the Dear ImGui functions the plug-in calls. It is linked into the
// page tests in place of the library: every call of a frame is recorded (kind, label,
// texts, values, colours), and the player's input for the next frame is scripted
// ("click this button", "type this text into that box").
#pragma once

#include <string>
#include <vector>

#include <imgui.h>

namespace imgui_double {

enum class Kind {
    Text,
    TextColored,
    Button,
    Checkbox,
    RadioButton,
    Slider,
    InputText,
    Combo,
    EndCombo,
    Selectable,
    DefaultFocus,
    Tooltip,
    Columns,
    NextColumn,
    Spacer,
    SameLine,
    Indent,
    Unindent,
    PushColour,
    PopColour,
    PushWidth,
    PopWidth,
    PushWrap,
    PopWrap,
};

struct Call {
    Kind kind = Kind::Text;
    std::string label; // the widget's label, or the text shown
    std::string text;  // a box's text after the call, a combo's preview, a slider's range
    bool on = false;   // check box after the call, active radio button, selected item, open combo
    int value = 0;     // slider after the call, colour slot, pop count, column count
    float size = 0.0f; // pushed width, spacer height
    ImVec4 colour{};
};

// Input for the next frame; labels are the full labels the page passes.
void Click(const std::string& label);                         // button, check box, radio button, selectable
void Type(const std::string& label, const std::string& text); // text box
void Slide(const std::string& label, int value);
void OpenCombo(const std::string& label);
void Hover(const std::string& label);
void HoverEverything();              // every item of the next frame is hovered
void Fail(const std::string& label); // drawing that item throws something that is no std::exception

void BeginFrame(); // forgets the calls of the previous frame
void EndFrame();   // forgets the input scripted for this frame
const std::vector<Call>& Calls();

} // namespace imgui_double
