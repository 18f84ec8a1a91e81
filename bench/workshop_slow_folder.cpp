// One frame of the settings page in workshop mode while the workshop folder lies on a slow
// drive. scripts/bench-slow-folder.sh runs it with scripts/slow_fs_shim.c in front of the C
// library, so that every status query or opening of the folder takes 200 ms; run on its own,
// the folder answers as fast as the disk does.
//
// Frames are drawn back to back for a few seconds, so that several of the folder's checks
// (made beside the page, twice a second) run while frames are drawn. Each frame is timed on
// its own; the counters give the median, the 99th percentile and the worst frame in
// microseconds, and folder_query_ms what one status query of the folder took (about 200 with
// the slow drive). Three runs, reported as their mean, median and spread: on a busy machine
// a single run's tail is mostly other programs taking the processor.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <imgui.h>

#include "ScratchFolder.h"
#include "plugin/PluginEntry.h"
#include "plugin/PostplayPlugin.h"
#include "sim/Host.h"

using namespace postplay;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The folder's name holds the text the runner script hands the shim as SLOW_FS_MARKER.
constexpr const char* kSlowFolderName = "slow-drive-maps";
constexpr int kMaps = 3;                       // each map costs a few slow queries to set up and scan

// The plug-in in a simulated host, in workshop mode, its folder on the slow drive and already
// scanned, with a Dear ImGui context of its own.
class SlowFolderPage {
public:
    SlowFolderPage() {
        sim::HostOptions options;
        options.home = home.path;
        host = std::make_unique<sim::Host>(options);
        host->LoadPlugin(&getPlugin, &deleteMe);
        host->Advance(1.0);
        // Built under another name, then renamed: only the finished folder is slow.
        const fs::path building = home.path / "maps";
        for (int i = 0; i < kMaps; ++i) {
            fs::create_directories(building / ("Map" + std::to_string(i)));
            std::ofstream(building / ("Map" + std::to_string(i)) / "map.upk") << "map";
        }
        folder = home.path / kSlowFolderName;
        fs::rename(building, folder);
        host->RunLine("pp_workshop_maps_folder \"" + folder.string() + "\"");
        host->RunLine("pp_find_workshop_maps");
        host->RunLine("pp_mode workshop");

        context = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(1280.0f, 800.0f);
        io.DeltaTime = 1.0f / 60.0f;
        io.IniFilename = nullptr;
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    }

    ~SlowFolderPage() {
        ImGui::DestroyContext(context);
        host->UnloadPlugin();
    }

    // One frame of the host's settings window with the plug-in's page.
    void Frame() {
        ImGui::NewFrame();
        ImGui::SetNextWindowSize(ImVec2(800.0f, 600.0f));
        ImGui::Begin("Postplay");
        PluginSingleton()->RenderSettings();
        ImGui::End();
        ImGui::Render();
    }

    double FolderQueryMilliseconds() const {
        const Clock::time_point start = Clock::now();
        std::error_code ignored;
        (void)fs::status(folder, ignored);
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }

private:
    ScratchFolder home{"home"};
    fs::path folder;
    std::unique_ptr<sim::Host> host;
    ImGuiContext* context = nullptr;
};

double Percentile(const std::vector<double>& sorted, double fraction) {
    const std::size_t index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

void BM_WorkshopFrameSlowFolder(benchmark::State& state) {
    SlowFolderPage page;
    const double queryMilliseconds = page.FolderQueryMilliseconds();
    // The first frames start the folder's first check; a second of frames lets it land.
    for (const Clock::time_point end = Clock::now() + std::chrono::seconds(1); Clock::now() < end;) page.Frame();

    std::vector<double> micros;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        page.Frame();
        const std::chrono::duration<double> took = Clock::now() - start;
        state.SetIterationTime(took.count());
        micros.push_back(took.count() * 1e6);
    }
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = Percentile(micros, 0.50);
    state.counters["p99_us"] = Percentile(micros, 0.99);
    state.counters["max_us"] = micros.back();
    state.counters["folder_query_ms"] = queryMilliseconds;
}
BENCHMARK(BM_WorkshopFrameSlowFolder)
    ->MinTime(3.0)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
