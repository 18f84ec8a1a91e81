// The match flow's cost on the simulated host: what a running match's game-time update
// costs with the plug-in loaded (against the same host without it), and one whole
// match-end decision: end, MMR update, destination load and re-queue timer.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "localization/LocalizationManager.h"
#include "plugin/PluginEntry.h"
#include "sim/Host.h"
#include "storage/PersistentStorage.h"
#include "support/ScratchFolder.h"

using namespace postplay;

namespace fs = std::filesystem;

namespace {

// A simulated host in a temporary home, optionally with the plug-in loaded and settled.
class BenchHost {
public:
    explicit BenchHost(bool withPlugin) {
        sim::HostOptions options;
        options.home = home.path();
        host = std::make_unique<sim::Host>(options);
        if (withPlugin) host->LoadPlugin(&getPlugin, &deleteMe);
        host->Advance(1.0); // past the stored settings' load
    }

    ~BenchHost() {
        if (host->HasPlugin()) host->UnloadPlugin();
        LocalizationManager::GetInstance()->persistentStorage.reset();
        host.reset();
    }

    sim::Host& operator*() { return *host; }
    sim::Host* operator->() { return host.get(); }

private:
    ScratchFolder home{"bench"};
    std::unique_ptr<sim::Host> host;
};

// One simulated second of a running match: the host's clock fires the game-time update hook.
void BM_GameTimeUpdateInMatch(benchmark::State& state) {
    BenchHost host(state.range(0) != 0);
    host->StartMatch(11);
    for (auto _ : state) host->Advance(1.0);
    state.SetLabel(state.range(0) ? "plug-in loaded" : "no plug-in (host's own cost)");
}
BENCHMARK(BM_GameTimeUpdateInMatch)->Arg(1)->Arg(0);

// From the match's end to the search for the next one, with the wait for the MMR update on
// and a re-queue delay of 5 seconds.
void BM_MatchEndDecision(benchmark::State& state) {
    BenchHost host(true);
    host->RunLine("pp_wait_mmr 1");
    host->RunLine("pp_requeue_delay 5");
    for (auto _ : state) {
        state.PauseTiming();
        host->ClearLines();
        host->StartMatch(11);
        state.ResumeTiming();

        host->EndMatch(0);
        host->ReportMmr();
        host->Advance(5.0);
    }
    if (!host->IsSearching() || host->CurrentPlace() != sim::Place::FreePlay)
        state.SkipWithError("the match end did not reach free play and the search");
}
BENCHMARK(BM_MatchEndDecision);

} // namespace
