// The plug-in loaded in a simulated host, its settings page drawn through the ImGui double.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "ImGuiDouble.h"
#include "settings/PageInternal.h"
#include "support/HostFixture.h"

using imgui_double::Call;
using imgui_double::Kind;

class PageTest : public HostFixture {
protected:
    void SetUp() override {
        ResetPageState();
        LoadPlugin();
        Wait(1.0);                               // the stored settings are in
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
