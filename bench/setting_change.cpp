// What the settings page pays, inside its frame, to change one stored setting: the
// variable's look-up and setValue, which runs the plug-in's change callbacks (the cell
// update and the hand-over of the cfg write). Reported with its median and 99th
// percentile, since one slow change is one dropped frame.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "host/CVarManagerWrapper.h"
#include "localization/LocalizationManager.h"
#include "plugin/PluginEntry.h"
#include "plugin/PostplayPlugin.h"
#include "sim/Host.h"
#include "support/ScratchFolder.h"

using namespace postplay;

namespace {

double Percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) return 0.0;
    const auto rank = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(rank), samples.end());
    return samples[rank];
}

void BM_PageSideSettingChange(benchmark::State& state) {
    const ScratchFolder home("bench");
    sim::HostOptions options;
    options.home = home.path();
    std::vector<double> micros;
    {
        sim::Host host(options);
        host.LoadPlugin(&getPlugin, &deleteMe);
        host.Advance(0.2); // the stored values are loaded: changes write the file
        CVarManagerWrapper& cvars = *PluginSingleton()->cvarManager;
        int delay = 0;
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            CVarWrapper cvar = cvars.getCvar("pp_requeue_delay");
            cvar.setValue(++delay % 100);
            const auto end = std::chrono::steady_clock::now();
            micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
        host.UnloadPlugin();
    }
    LocalizationManager::GetInstance()->persistentStorage.reset(); // its last write, while the folder is there
    state.counters["p50_us"] = Percentile(micros, 0.50);
    state.counters["p99_us"] = Percentile(micros, 0.99);
    state.counters["max_us"] = Percentile(micros, 1.0);
}
BENCHMARK(BM_PageSideSettingChange)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace
