// The plug-in loaded in a simulated host, its settings page drawn through the ImGui double.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "ImGuiDouble.h"
#include "settings/PageState.h"
#include "settings/PageWidgets.h"
#include "support/HostFixture.h"

using imgui_double::Call;
using imgui_double::Kind;

class PageTest : public HostFixture {
protected:
    void SetUp() override {
        postplay::ResetPageState();
        LoadPlugin();
        Wait(1.0); // the stored settings are in
    }

    // One frame of the page with the input scripted before it.
    std::vector<Call> Frame() {
        imgui_double::BeginFrame();
        plugin().RenderSettings();
        imgui_double::EndFrame();
        return imgui_double::Calls();
    }

    std::string Bind(const std::string& key) { return plugin().cvarManager->getBindStringForKey(key); }
};

inline const Call* Find(const std::vector<Call>& calls, Kind kind, const std::string& label) {
    const auto it = std::find_if(calls.begin(), calls.end(),
                                 [&](const Call& call) { return call.kind == kind && call.label == label; });
    return it == calls.end() ? nullptr : &*it;
}

inline bool Has(const std::vector<Call>& calls, Kind kind, const std::string& label) {
    return Find(calls, kind, label) != nullptr;
}

// The call, or (with a test failure) an empty one, so a missing widget fails the test
// without ending the program.
inline const Call& Get(const std::vector<Call>& calls, Kind kind, const std::string& label) {
    static const Call missing;
    const Call* call = Find(calls, kind, label);
    if (call) return *call;
    ADD_FAILURE() << "no widget " << label;
    return missing;
}

// The first call of `kind` after `from`.
inline const Call& Next(const std::vector<Call>& calls, const Call& from, Kind kind) {
    static const Call missing;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (&calls[i] != &from) continue;
        for (std::size_t j = i + 1; j < calls.size(); ++j)
            if (calls[j].kind == kind) return calls[j];
    }
    ADD_FAILURE() << "nothing follows " << from.label;
    return missing;
}

inline bool SameColour(const ImVec4& a, const ImVec4& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

// A frame as a reader sees it: one line per row of widgets, "+" where the next one stays
// on the same line, and every push, pop, indent, gap, tooltip and colour in its place.
inline std::string Layout(const std::vector<Call>& calls) {
    const auto number = [](float value) { return fmt::format("{:g}", value); };
    const auto colour = [&](const ImVec4& c) {
        if (SameColour(c, postplay::page::kErrorColour)) return std::string("error");
        if (SameColour(c, postplay::page::kNoticeColour)) return std::string("notice");
        return "(" + number(c.x) + "," + number(c.y) + "," + number(c.z) + "," + number(c.w) + ")";
    };
    static const char* const kMarks[] = {
        "", "",  "",  "",  "", "", "", "",       "}",    "",     "focus", "", "", "next-column",
        "", "+", ">", "<", "", "", "", "/width", "wrap", "/wrap"};
    std::string layout;
    Kind previous = Kind::SameLine;
    for (const Call& call : calls) {
        const bool startsRow = call.kind <= Kind::Selectable || call.kind == Kind::Columns ||
                               call.kind == Kind::NextColumn || call.kind == Kind::Spacer;
        if (!layout.empty()) layout += startsRow && previous != Kind::SameLine ? "\n" : " ";
        previous = call.kind;
        switch (call.kind) {
        case Kind::Text:
            layout += "'" + call.label + "'";
            break;
        case Kind::TextColored:
            layout += colour(call.colour) + "'" + call.label + "'";
            break;
        case Kind::Button:
            layout += "[" + call.label + "]";
            break;
        case Kind::Checkbox:
            layout += (call.on ? "[x]" : "[ ]") + call.label;
            break;
        case Kind::RadioButton:
            layout += (call.on ? "(o)" : "( )") + call.label;
            break;
        case Kind::Slider:
            layout += "slider" + call.label + "=" + std::to_string(call.value) + " " + call.text;
            break;
        case Kind::InputText:
            layout += "box" + call.label + "='" + call.text + "'";
            break;
        case Kind::Combo:
            layout += "combo" + call.label + "'" + call.text + (call.on ? "' {" : "'");
            break;
        case Kind::Selectable:
            layout += (call.on ? "item* " : "item ") + call.label;
            break;
        case Kind::Tooltip:
            layout += "tip'" + call.text + "'";
            break;
        case Kind::Columns:
            layout += "columns" + std::to_string(call.value) + (call.on ? "|" : "");
            break;
        case Kind::Spacer:
            layout += "gap" + number(call.size);
            break;
        case Kind::PushColour:
            layout += "colour" + std::to_string(call.value) + colour(call.colour);
            break;
        case Kind::PopColour:
            layout += "/colour" + std::to_string(call.value);
            break;
        case Kind::PushWidth:
            layout += "width" + number(call.size);
            break;
        default:
            layout += kMarks[static_cast<int>(call.kind)];
            break;
        }
    }
    return layout;
}
