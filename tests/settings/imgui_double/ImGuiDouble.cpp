#include "ImGuiDouble.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace imgui_double {
namespace {

struct Script {
    std::set<std::string> clicks, openCombos, hovers, failures;
    bool hoverEverything = false;
    std::map<std::string, std::string> typed;
    std::map<std::string, int> slid;
};

Script script;
std::vector<Call> calls;
std::string lastItem;

Call& Record(Kind kind, std::string label) {
    Call call;
    call.kind = kind;
    call.label = std::move(label);
    calls.push_back(std::move(call));
    return calls.back();
}

Call& RecordItem(Kind kind, const char* label) {
    if (script.failures.count(label) > 0) throw 0;
    lastItem = label;
    return Record(kind, label);
}

std::string Format(const char* format, va_list args) {
    char buffer[4096];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    return buffer;
}

} // namespace

void Click(const std::string& label) { script.clicks.insert(label); }
void Type(const std::string& label, const std::string& text) { script.typed[label] = text; }
void Slide(const std::string& label, int value) { script.slid[label] = value; }
void OpenCombo(const std::string& label) { script.openCombos.insert(label); }
void Hover(const std::string& label) { script.hovers.insert(label); }
void HoverEverything() { script.hoverEverything = true; }
void Fail(const std::string& label) { script.failures.insert(label); }

void BeginFrame() {
    calls.clear();
    lastItem.clear();
}

void EndFrame() { script = Script{}; }
const std::vector<Call>& Calls() { return calls; }

} // namespace imgui_double

using namespace imgui_double;

namespace ImGui {

ImGuiContext* GetCurrentContext() { return nullptr; }
void SetCurrentContext(ImGuiContext*) {}

void Text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Record(Kind::Text, Format(format, args));
    va_end(args);
}

void TextUnformatted(const char* text, const char* end) {
    Record(Kind::Text, end ? std::string(text, end) : std::string(text));
}

void TextColored(const ImVec4& colour, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Record(Kind::TextColored, Format(format, args)).colour = colour;
    va_end(args);
}

bool Button(const char* label, const ImVec2&) {
    RecordItem(Kind::Button, label);
    return script.clicks.count(label) > 0;
}

bool Checkbox(const char* label, bool* value) {
    const bool clicked = script.clicks.count(label) > 0;
    if (clicked) *value = !*value;
    RecordItem(Kind::Checkbox, label).on = *value;
    return clicked;
}

bool RadioButton(const char* label, bool active) {
    RecordItem(Kind::RadioButton, label).on = active;
    return script.clicks.count(label) > 0;
}

bool SliderInt(const char* label, int* value, int min, int max, const char*, ImGuiSliderFlags) {
    const auto slid = script.slid.find(label);
    if (slid != script.slid.end()) *value = slid->second;
    Call& call = RecordItem(Kind::Slider, label);
    call.value = *value;
    call.text = std::to_string(min) + ".." + std::to_string(max);
    return slid != script.slid.end();
}

bool InputText(const char* label, char* buffer, size_t capacity, ImGuiInputTextFlags, ImGuiInputTextCallback, void*) {
    const auto typed = script.typed.find(label);
    const bool edited = typed != script.typed.end() && typed->second != buffer;
    if (edited) {
        const size_t length = std::min(typed->second.size(), capacity - 1);
        std::memcpy(buffer, typed->second.data(), length);
        buffer[length] = '\0';
    }
    RecordItem(Kind::InputText, label).text = buffer;
    return edited;
}

bool BeginCombo(const char* label, const char* preview, ImGuiComboFlags) {
    Call& call = RecordItem(Kind::Combo, label);
    call.text = preview;
    call.on = script.openCombos.count(label) > 0;
    return call.on;
}

void EndCombo() { Record(Kind::EndCombo, ""); }

bool Selectable(const char* label, bool selected, ImGuiSelectableFlags, const ImVec2&) {
    RecordItem(Kind::Selectable, label).on = selected;
    return script.clicks.count(label) > 0;
}

void SetItemDefaultFocus() { Record(Kind::DefaultFocus, lastItem); }
bool IsItemHovered(ImGuiHoveredFlags) { return script.hoverEverything || script.hovers.count(lastItem) > 0; }

void SetTooltip(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Record(Kind::Tooltip, lastItem).text = Format(format, args);
    va_end(args);
}

void Columns(int count, const char* id, bool border) {
    Call& call = Record(Kind::Columns, id ? id : "");
    call.value = count;
    call.on = border;
}

void NextColumn() { Record(Kind::NextColumn, ""); }
void Dummy(const ImVec2& size) { Record(Kind::Spacer, "").size = size.y; }
void SameLine(float, float) { Record(Kind::SameLine, ""); }
void Indent(float) { Record(Kind::Indent, ""); }
void Unindent(float) { Record(Kind::Unindent, ""); }

void PushStyleColor(ImGuiCol slot, const ImVec4& colour) {
    Call& call = Record(Kind::PushColour, "");
    call.value = slot;
    call.colour = colour;
}

void PopStyleColor(int count) { Record(Kind::PopColour, "").value = count; }
void PushItemWidth(float width) { Record(Kind::PushWidth, "").size = width; }
void PopItemWidth() { Record(Kind::PopWidth, ""); }
void PushTextWrapPos(float) { Record(Kind::PushWrap, ""); }
void PopTextWrapPos() { Record(Kind::PopWrap, ""); }
ImVec2 GetContentRegionAvail() { return ImVec2(400.0f, 300.0f); }
// Every open combo is drawn as if it had just opened: the double keeps no popup state.
bool IsWindowAppearing() { return true; }

} // namespace ImGui

// The list clipper of the double has a view of kViewRows rows: the first step shows those,
// a second one the range forced into view, when it lies below them.
namespace {
constexpr int kViewRows = 8;
int forcedBegin = 0, forcedEnd = 0;
} // namespace

ImGuiListClipper::ImGuiListClipper()
    : DisplayStart(0), DisplayEnd(0), ItemsCount(-1), ItemsHeight(0.0f), StartPosY(0.0f), TempData(nullptr) {}
ImGuiListClipper::~ImGuiListClipper() { End(); }

void ImGuiListClipper::Begin(int count, float height) {
    ItemsCount = count;
    ItemsHeight = height;
    DisplayStart = DisplayEnd = forcedBegin = forcedEnd = 0;
}

void ImGuiListClipper::End() { ItemsCount = -1; }

bool ImGuiListClipper::Step() {
    if (ItemsCount > 0 && DisplayEnd == 0) {
        DisplayEnd = std::min(ItemsCount, kViewRows);
        return true;
    }
    if (ItemsCount > 0 && forcedBegin >= DisplayEnd && forcedEnd > forcedBegin) {
        DisplayStart = forcedBegin;
        DisplayEnd = std::min(ItemsCount, forcedEnd);
        forcedBegin = forcedEnd = 0;
        return true;
    }
    End();
    return false;
}

void ImGuiListClipper::ForceDisplayRangeByIndices(int begin, int end) {
    forcedBegin = begin;
    forcedEnd = end;
}
