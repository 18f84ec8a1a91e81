// Costs of the settings side: a translation look-up, a workshop scan next to a plain
// directory walk of the same tree, and one rewrite of the settings file.
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "localization/LocalizationManager.h"
#include "plugin/PluginEntry.h"
#include "plugin/PostplayPlugin.h"
#include "sim/Host.h"
#include "storage/PersistentStorage.h"
#include "support/ScratchFolder.h"
#include "training/WorkshopMaps.h"

using namespace postplay;

namespace fs = std::filesystem;

namespace {

// A workshop folder of `count` map folders, each with a note and a map file.
const fs::path& MapTree(int count) {
    static std::map<int, std::unique_ptr<ScratchFolder>> trees;
    auto& tree = trees[count];
    if (!tree) {
        tree = std::make_unique<ScratchFolder>("bench-maps");
        for (int i = 0; i < count; ++i) {
            const fs::path folder = tree->path() / ("Map" + std::to_string(i));
            fs::create_directory(folder);
            std::ofstream(folder / "readme.txt") << "notes";
            std::ofstream(folder / ("Map" + std::to_string(i) + ".upk")) << "map";
        }
    }
    return tree->path();
}

void BM_Translate(benchmark::State& state, const char* locale, const char* key) {
    LocalizationManager& manager = *LocalizationManager::GetInstance();
    manager.LoadTranslations();
    manager.ActiveLocale() = locale;
    const std::string text = key;
    for (auto _ : state) benchmark::DoNotOptimize(manager.Translate(text));
}
BENCHMARK_CAPTURE(BM_Translate, french, "FRA", "workshop_map_folder_no_map_found_refresh");
BENCHMARK_CAPTURE(BM_Translate, missing_key_from_french, "FRA", "no_such_key");

void BM_FindWorkshopMaps(benchmark::State& state) {
    const std::string folder = MapTree(static_cast<int>(state.range(0))).string();
    for (auto _ : state) benchmark::DoNotOptimize(FindWorkshopMaps(folder));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FindWorkshopMaps)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The reference: a recursive walk of the same tree that only counts the entries.
void BM_PlainDirectoryWalk(benchmark::State& state) {
    const fs::path& folder = MapTree(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::size_t entries = 0;
        for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
            ++entries;
        benchmark::DoNotOptimize(entries);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainDirectoryWalk)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_WriteSettingsFile(benchmark::State& state) {
    ScratchFolder home("bench");
    sim::HostOptions options;
    options.home = home.path();
    {
        sim::Host host(options);
        host.LoadPlugin(&getPlugin, &deleteMe);
        host.Advance(0.2); // the stored values are loaded: writes are allowed
        PersistentStorage& storage = *PluginSingleton()->persistentStorage;
        for (auto _ : state) storage.WriteStorageFile();
        host.UnloadPlugin();
    }
    LocalizationManager::GetInstance()->persistentStorage.reset();
}
BENCHMARK(BM_WriteSettingsFile)->Unit(benchmark::kMicrosecond);

} // namespace
