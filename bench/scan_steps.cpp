// The plug-in's own time in each step that touches the workshop folder, with 100 and 10,000
// maps. scripts/bench-scan-steps.sh runs it with tests/support/FileSystemShim.c in front of the
// C library, so that every query of the maps folder waits FS_SHIM_SLOW_MS; run on its own,
// the folder answers as fast as the disk does. The same source builds against the tree
// before the folder worker existed, so the script can compare the two in one run.
//
// Steps (one benchmark each, the argument is the number of maps):
//   a_refresh_click      the frame in which a click on Refresh registers
//   b_folder_typed       the frame in which one typed character (a trailing '/') lands in
//                        the folder box, the text staying a usable folder
//   c_first_frame        the workshop panel's first frame with a stored folder and an empty
//                        list (its automatic scan)
//   d_scan_command       pp_find_workshop_maps from the console
//   e_load_check         the folder test at load, when the commands are registered
//   f_startup_scan       the clock step that runs the start-up scan's half-second timer
//   g_unload_during_scan the unload while a scan started from the console runs
//   h_setting_change     a stored setting changed by the page in a frame, after 4 or 16 ms
//                        without changes (the second argument), which wakes the cfg writer
// and two for reference: a0_frame_alone (a frame right after another, no step) and
// h0_frame_after_pause (a frame after the same pause, no change).
//
// Only the plug-in's own calls are timed: RenderSettings (not Dear ImGui's NewFrame and
// Render), RunLine, the registration, the clock step, the unload. Each iteration is timed on
// its own; the counters give the median, the 99th percentile and the worst in microseconds,
// and query_ms what one status query of the folder took. Google Benchmark's own times count
// the whole loop (set-up between iterations included) and only bound how long a case runs.
#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "localization/LocalizationManager.h"
#include "plugin/PluginEntry.h"
#include "plugin/PostplayPlugin.h"
#include "sim/Host.h"
#include "support/HeadlessImGui.h"
#include "support/PostplayPluginTestPeer.h"
#include "support/ScratchFolder.h"
#if __has_include("settings/PageState.h")
#include "settings/PageState.h"
using namespace postplay; // the tree before the plug-in's namespace had none
#else
#include "settings/PageInternal.h"
#endif

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// ---- Where the tree with the folder worker differs from the one before it -------------
#if __has_include("training/FolderWorker.h")
// Timed code must never wait for the worker: the host's steps return at once.
void NeverWaitForBackgroundWork(sim::Host& host) { host.SetWaitForBackgroundWork(false); }
void EmptyMapList(PostplayPlugin& plugin) { plugin.workshopMaps->Replace(nullptr); }
// Tells whether a step asked the worker for a scan or a refresh: it numbers them as they come.
class ScanWatch {
public:
    explicit ScanWatch(PostplayPlugin& plugin) : worker(plugin.workshopWorker) {}
    void Mark() { latest = Latest(); }
    bool Asked() const { return Latest() > latest; }

private:
    std::uint64_t Latest() const {
        std::uint64_t ticket = latest;
        for (int tries = 0; tries < (1 << 20) && !worker.IsLatest(ticket); ++tries) ++ticket;
        return ticket;
    }

    const FolderWorker& worker;
    std::uint64_t latest = 0;
};
// A newer request stops a running walk at its next query; then the worker is idle.
void StopScans(PostplayPlugin& plugin) {
    plugin.workshopWorker.Scan(std::string(), [](FolderWorker::ScanResult) {});
    const Clock::time_point limit = Clock::now() + std::chrono::seconds(30);
    while (plugin.workshopWorker.ScanProgress().busy && Clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}
// Waits for the worker's results and lets them land on the game thread.
void LandBackgroundWork(sim::Host& host) {
    host.SetWaitForBackgroundWork(true);
    host.Step();
    host.SetWaitForBackgroundWork(false);
}
#else
void NeverWaitForBackgroundWork(sim::Host&) {}
void EmptyMapList(PostplayPlugin& plugin) { plugin.workshopMaps->Clear(); }
// Tells whether a step ran a scan: the list it started from was replaced. The watch keeps
// that list's memory, so a new list cannot take its place.
class ScanWatch {
public:
    explicit ScanWatch(PostplayPlugin& plugin) : list(*plugin.workshopMaps) {}
    void Mark() { before = list.Snapshot(); }
    bool Asked() const {
        const std::shared_ptr<const void> now = list.Snapshot();
        return before.owner_before(now) || now.owner_before(before);
    }

private:
    WorkshopMapList& list;
    std::weak_ptr<const void> before;
};
void StopScans(PostplayPlugin&) {}
void LandBackgroundWork(sim::Host&) {}
#endif

// The folder's name holds the text the runner script hands the shim as FS_SHIM_SLOW.
constexpr const char* kSlowName = "slow-drive-maps";
constexpr int kEndKey = 1; // the key index Dear ImGui's End is mapped to

double MicrosSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

template <typename Call>
double TimeMicros(Call&& call) {
    const Clock::time_point start = Clock::now();
    call();
    return MicrosSince(start);
}

// One real folder of maps reached by two names: `fast`, and `slow`, a link whose name holds
// the slow drive's marker. The benchmark fills the list at disk speed through the first;
// the plug-in works through the second. Made once per process and map count.
struct MapsFolder {
    fs::path fast, slow;
};

const MapsFolder& MapsFolderOf(int count) {
    static ScratchFolder root{"scan-steps"};
    static std::map<int, MapsFolder> made;
    auto found = made.find(count);
    if (found != made.end()) return found->second;
    MapsFolder folder{root.path() / ("maps-" + std::to_string(count)),
                      root.path() / (std::string(kSlowName) + "-" + std::to_string(count))};
    for (int i = 0; i < count; ++i) {
        const fs::path map = folder.fast / ("Map" + std::to_string(i));
        fs::create_directories(map);
        std::ofstream(map / ("map" + std::to_string(i) + ".upk")) << "map";
    }
    fs::create_directory_symlink(folder.fast, folder.slow);
    return made.emplace(count, folder).first->second;
}

std::string SetLine(const char* name, const fs::path& value) {
    return std::string(name) + " \"" + value.string() + "\"";
}

double QueryMilliseconds(const fs::path& path) {
    std::error_code ignored;
    return TimeMicros([&] { (void)fs::status(path, ignored); }) / 1000.0;
}

// Per-iteration times and whether each iteration's effect was seen.
class Samples {
public:
    void Add(double micros) { times.push_back(micros); }
    void Expect(bool seen) { missed += seen ? 0 : 1; }

    void Report(benchmark::State& state, double queryMs) {
        if (missed > 0) {
            state.SkipWithError((std::to_string(missed) + " iterations did not do the step").c_str());
            return;
        }
        if (times.empty()) return;
        std::sort(times.begin(), times.end());
        state.counters["p50_us"] = Percentile(0.50);
        state.counters["p99_us"] = Percentile(0.99);
        state.counters["max_us"] = times.back();
        state.counters["query_ms"] = queryMs;
    }

private:
    double Percentile(double fraction) const {
        const auto index = static_cast<std::size_t>(fraction * static_cast<double>(times.size() - 1) + 0.5);
        return times[std::min(index, times.size() - 1)];
    }

    std::vector<double> times;
    int missed = 0;
};

// Where the page's widgets are, as the mouse finds them.
struct Spots {
    ImVec2 folderBox, refreshButton;
};

// The plug-in in a simulated host, in workshop mode, its list filled, its folder the slow
// name, with a Dear ImGui context of its own whose input the steps drive.
class StepBench {
public:
    explicit StepBench(int mapCount) : maps(MapsFolderOf(mapCount)) {
        sim::HostOptions options;
        options.home = home.path();
        host = std::make_unique<sim::Host>(options);
        LoadPlugin();
        host->RunLine(SetLine("pp_workshop_maps_folder", maps.fast));
        host->RunLine("pp_find_workshop_maps");
        host->Step(); // the scan lands
        host->RunLine(SetLine("pp_workshop_maps_folder", maps.slow));
        host->RunLine(std::string("pp_mode workshop"));
        NeverWaitForBackgroundWork(*host);
        ResetPageState();
        imgui.Io().KeyMap[ImGuiKey_End] = kEndKey;
        queryMs = QueryMilliseconds(maps.slow);
        // The folder's first status check lands beside these frames.
        const auto warmUp = std::chrono::duration<double, std::milli>(std::max(50.0, 3.0 * queryMs));
        const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(warmUp);
        while (Clock::now() < end) PageFrame();
    }

    ~StepBench() {
        if (host->HasPlugin()) host->UnloadPlugin();
    }

    StepBench(const StepBench&) = delete;
    StepBench& operator=(const StepBench&) = delete;

    sim::Host& Host() { return *host; }
    PostplayPlugin& Plugin() { return *PluginSingleton(); }
    const MapsFolder& Maps() const { return maps; }
    double QueryMs() const { return queryMs; }
    bool ListFilled() { return !Plugin().workshopMaps->Empty(); }

    // Loads the plug-in; its stored settings load 0.1 s later.
    void LoadPlugin() {
        host->LoadPlugin(&getPlugin, &deleteMe);
        host->Advance(1.0);
    }

    // One frame of the host's settings window; only `alsoTimed` and the page are timed.
    double PageFrame(const std::function<void()>& alsoTimed = {}) {
        double micros = 0.0;
        imgui.PageFrame([&] {
            micros = TimeMicros([&] {
                if (alsoTimed) alsoTimed();
                Plugin().RenderSettings();
            });
        });
        return micros;
    }

    void MouseDown(ImVec2 at) {
        ImGui::GetIO().MousePos = at;
        ImGui::GetIO().MouseDown[0] = true;
        PageFrame();
    }

    double MouseUp() {
        ImGui::GetIO().MouseDown[0] = false;
        return PageFrame();
    }

    void PressEnd() {
        ImGui::GetIO().KeysDown[kEndKey] = true;
        PageFrame();
        ImGui::GetIO().KeysDown[kEndKey] = false;
    }

    void MouseAway() { ImGui::GetIO().MousePos = ImVec2(-FLT_MAX, -FLT_MAX); }

    ImGuiID ItemId(const std::string& label) const {
        return ImHashStr(label.c_str(), 0, ImGui::FindWindowByName("Postplay")->ID);
    }
    ImGuiID FolderBoxId() const { return ItemId("##WorkshopMapsFolder"); }
    ImGuiID RefreshButtonId() const { return ItemId(LocalizationManager::GetInstance()->Translate("refresh")); }

    // The page's widgets, found once per process: every context lays the page out alike.
    std::optional<Spots> Locate();

private:
    ScratchFolder home{"bench"};
    HeadlessImGui imgui;
    const MapsFolder& maps;
    std::unique_ptr<sim::Host> host;
    double queryMs = 0.0;
};

// Moves the mouse over the window, a frame a spot, until Dear ImGui has both items under it.
std::optional<Spots> StepBench::Locate() {
    static std::optional<Spots> spots;
    if (spots) return spots;
    const ImGuiWindow* window = ImGui::FindWindowByName("Postplay");
    const ImGuiID box = FolderBoxId(), button = RefreshButtonId();
    std::optional<ImVec2> boxAt, buttonAt;
    for (float y = window->Pos.y + 3.0f; y < window->Pos.y + window->Size.y && !(boxAt && buttonAt); y += 5.0f) {
        for (float x = window->Pos.x + 3.0f; x < window->Pos.x + window->Size.x; x += 6.0f) {
            ImGui::GetIO().MousePos = ImVec2(x, y);
            PageFrame();
            if (!boxAt && GImGui->HoveredId == box) boxAt = ImVec2(x, y);
            if (!buttonAt && GImGui->HoveredId == button) buttonAt = ImVec2(x, y);
        }
    }
    MouseAway();
    if (boxAt && buttonAt) spots = Spots{*boxAt, *buttonAt};
    return spots;
}

int MapCount(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

// A set-up every step needs; false (with the reason given to the state) when it failed.
bool Ready(benchmark::State& state, StepBench& bench, std::optional<Spots>* spots = nullptr) {
    if (!bench.ListFilled()) {
        state.SkipWithError("the set-up scan found no maps");
        return false;
    }
    if (spots && !(*spots = bench.Locate())) {
        state.SkipWithError("the folder box or the Refresh button was not found");
        return false;
    }
    return true;
}

void a_refresh_click(benchmark::State& state) {
    StepBench bench(MapCount(state));
    std::optional<Spots> spots;
    if (!Ready(state, bench, &spots)) return;
    const ImGuiID button = bench.RefreshButtonId();
    ScanWatch scans(bench.Plugin());
    Samples samples;
    for (auto _ : state) {
        scans.Mark();
        bench.MouseDown(spots->refreshButton);
        samples.Add(bench.MouseUp()); // a button takes its click as the mouse is released
        const bool clicked = GImGui->ActiveIdPreviousFrame == button && GImGui->HoveredId == button;
        samples.Expect(clicked && scans.Asked());
    }
    samples.Report(state, bench.QueryMs());
}

void b_folder_typed(benchmark::State& state) {
    StepBench bench(MapCount(state));
    std::optional<Spots> spots;
    if (!Ready(state, bench, &spots)) return;
    const std::string plain = bench.Maps().slow.string();
    ScanWatch scans(bench.Plugin());
    Samples samples;
    for (auto _ : state) {
        // Back to the plain spelling, then into the box at the end of its text.
        bench.Host().RunLine(SetLine("pp_workshop_maps_folder", plain));
        ImGui::ClearActiveID(); // the box takes the stored text when it is clicked again
        bench.MouseDown(spots->folderBox);
        bench.MouseUp();
        bench.PressEnd();
        scans.Mark();
        ImGui::GetIO().AddInputCharacter('/');
        samples.Add(bench.PageFrame());
        const bool typed = bench.Plugin().workshopMapsFolder->Get() == plain + "/";
        samples.Expect(typed && scans.Asked());
    }
    samples.Report(state, bench.QueryMs());
}

void c_first_frame(benchmark::State& state) {
    StepBench bench(MapCount(state));
    if (!Ready(state, bench)) return;
    ScanWatch scans(bench.Plugin());
    Samples samples;
    for (auto _ : state) {
        ResetPageState();
        EmptyMapList(bench.Plugin());
        scans.Mark();
        samples.Add(bench.PageFrame());
        samples.Expect(scans.Asked());
    }
    samples.Report(state, bench.QueryMs());
}

void d_scan_command(benchmark::State& state) {
    StepBench bench(MapCount(state));
    if (!Ready(state, bench)) return;
    ScanWatch scans(bench.Plugin());
    Samples samples;
    for (auto _ : state) {
        scans.Mark();
        samples.Add(TimeMicros([&] { bench.Host().RunLine("pp_find_workshop_maps"); }));
        samples.Expect(scans.Asked());
    }
    samples.Report(state, bench.QueryMs());
}

void e_load_check(benchmark::State& state) {
    StepBench bench(MapCount(state));
    if (!Ready(state, bench)) return;
    Samples samples;
    for (auto _ : state) {
        samples.Add(TimeMicros([&] { PostplayPluginTestPeer::RegisterNotifiers(bench.Plugin()); }));
        LandBackgroundWork(bench.Host()); // each load's test finds the worker idle
    }
    samples.Report(state, bench.QueryMs());
}

void f_startup_scan(benchmark::State& state) {
    StepBench bench(MapCount(state));
    if (!Ready(state, bench)) return;
    ScanWatch scans(bench.Plugin());
    Samples samples;
    for (auto _ : state) {
        StopScans(bench.Plugin());
        PostplayPluginTestPeer::RegisterNotifiers(bench.Plugin());
        LandBackgroundWork(bench.Host()); // the folder test's result schedules the timer
        scans.Mark();
        samples.Add(TimeMicros([&] { bench.Host().Advance(0.5); }));
        samples.Expect(scans.Asked());
    }
    samples.Report(state, bench.QueryMs());
}

// The console's scan runs on a thread of its own; the unload is asked for once the walk is
// a few queries in. Where the scan holds its caller until it is done, the unload can only
// start once it returns: the time then runs from the request until the unload is done.
void g_unload_during_scan(benchmark::State& state) {
    StepBench bench(MapCount(state));
    if (!Ready(state, bench)) return;
    const auto walkUnderWay = std::chrono::duration<double, std::milli>(2.5 * bench.QueryMs() + 0.3);
    Samples samples;
    for (auto _ : state) {
        if (!bench.Host().HasPlugin()) bench.LoadPlugin();
        std::thread console([&] { bench.Host().RunLine("pp_find_workshop_maps"); });
        std::this_thread::sleep_for(walkUnderWay);
        samples.Add(TimeMicros([&] {
            console.join();
            bench.Host().UnloadPlugin();
        }));
    }
    samples.Report(state, bench.QueryMs());
}

// Frames a few milliseconds apart, each with a change of a stored setting by the page (or,
// for reference, without one): a frame after a pause is slower on its own.
void PausedFrames(benchmark::State& state, bool change) {
    StepBench bench(MapCount(state));
    if (!Ready(state, bench)) return;
    const auto pause = std::chrono::milliseconds(state.range(1));
    CVarWrapper delay = bench.Plugin().cvarManager->getCvar("pp_requeue_delay");
    int value = 5;
    Samples samples;
    for (auto _ : state) {
        std::this_thread::sleep_for(pause);
        value = value == 5 ? 6 : 5;
        samples.Add(bench.PageFrame([&] {
            if (change) delay.setValue(value);
        }));
        samples.Expect(!change || *bench.Plugin().requeueDelay == value);
    }
    samples.Report(state, bench.QueryMs());
}

void h_setting_change(benchmark::State& state) { PausedFrames(state, true); }
void h0_frame_after_pause(benchmark::State& state) { PausedFrames(state, false); }

// For reference: a frame of the page right after the one before, without a step.
void a0_frame_alone(benchmark::State& state) {
    StepBench bench(MapCount(state));
    if (!Ready(state, bench)) return;
    Samples samples;
    for (auto _ : state) samples.Add(bench.PageFrame());
    samples.Report(state, bench.QueryMs());
}

void Cells(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(100)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(a0_frame_alone)->Apply(Cells);
BENCHMARK(a_refresh_click)->Apply(Cells);
BENCHMARK(b_folder_typed)->Apply(Cells);
BENCHMARK(c_first_frame)->Apply(Cells);
BENCHMARK(d_scan_command)->Apply(Cells);
BENCHMARK(e_load_check)->Apply(Cells);
BENCHMARK(f_startup_scan)->Apply(Cells);
BENCHMARK(g_unload_during_scan)->Apply(Cells);
void PausedCells(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgsProduct({{100, 10000}, {4, 16}})->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(h0_frame_after_pause)->Apply(PausedCells);
BENCHMARK(h_setting_change)->Apply(PausedCells);

} // namespace
