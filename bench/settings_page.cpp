// One frame of the settings page in each training mode, next to an empty Dear ImGui frame,
// in a window-less context. The page runs against the simulated host, as in the game.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "plugin/PluginEntry.h"
#include "plugin/PostplayPlugin.h"
#include "sim/Host.h"
#include "support/HeadlessImGui.h"
#include "support/ScratchFolder.h"

using namespace postplay;

namespace fs = std::filesystem;

namespace {

// A host with the plug-in loaded, a workshop folder of `mapCount` maps and a Dear ImGui
// context of its own.
class PageBench {
public:
    explicit PageBench(int mapCount = 1000) {
        sim::HostOptions options;
        options.home = home.path();
        host = std::make_unique<sim::Host>(options);
        host->LoadPlugin(&getPlugin, &deleteMe);
        host->Advance(1.0);
        const fs::path maps = home.path() / "maps";
        for (int i = 0; i < mapCount; ++i) {
            const fs::path folder = maps / ("Map" + std::to_string(i));
            fs::create_directories(folder);
            std::ofstream(folder / ("map" + std::to_string(i) + ".upk")) << "map";
        }
        host->RunLine("pp_workshop_maps_folder \"" + maps.string() + "\"");
        host->RunLine("pp_find_workshop_maps");
        host->RunLine("pp_custom_training_pack_code ABCD-1234-EFGH-5678");
    }

    ~PageBench() { host->UnloadPlugin(); }

    void SetMode(const char* mode) { host->RunLine(std::string("pp_mode ") + mode); }

    // One frame of the host's settings window; `page` draws inside it.
    template <typename Page>
    void Frame(Page&& page) {
        imgui.PageFrame(page);
    }

    void PageFrame() {
        Frame([this] { Plugin().RenderSettings(); });
    }

    // Opens the map selector's popup, as a click on it would; it stays open from then on.
    void OpenMapSelector() {
        Frame([this] {
            const ImGuiID selector = ImGui::GetID("##WorkshopMapSelector");
            ImGui::OpenPopupEx(ImHashStr("##ComboPopup", 0, selector));
            Plugin().RenderSettings();
        });
        PageFrame();
    }

    bool MapSelectorOpen() const {
        const ImGuiWindow* popup = ImGui::FindWindowByName("##Combo_00");
        return popup && popup->Active;
    }

private:
    PostplayPlugin& Plugin() { return *PluginSingleton(); }

    ScratchFolder home{"bench"};
    std::unique_ptr<sim::Host> host;
    HeadlessImGui imgui;
};

void BM_EmptyFrame(benchmark::State& state) {
    PageBench bench;
    for (auto _ : state) bench.Frame([] {});
}
BENCHMARK(BM_EmptyFrame);

void BM_PageFrame(benchmark::State& state, const char* mode, bool selectorOpen, int mapCount = 1000) {
    PageBench bench(mapCount);
    bench.SetMode(mode);
    bench.PageFrame();
    if (selectorOpen) {
        bench.OpenMapSelector();
        if (!bench.MapSelectorOpen()) state.SkipWithError("the map selector did not open");
    }
    for (auto _ : state) bench.PageFrame();
}
BENCHMARK_CAPTURE(BM_PageFrame, FreePlay, "freeplay", false);
BENCHMARK_CAPTURE(BM_PageFrame, CustomTraining, "custom", false);
BENCHMARK_CAPTURE(BM_PageFrame, Workshop1000Maps, "workshop", false);
BENCHMARK_CAPTURE(BM_PageFrame, Workshop1000MapsSelectorOpen, "workshop", true);
BENCHMARK_CAPTURE(BM_PageFrame, Workshop10000MapsSelectorOpen, "workshop", true, 10000);

} // namespace
