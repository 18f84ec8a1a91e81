// Fuzzes the round trip of one stored setting through the configuration file: any text is
// set on one of the plug-in's stored variables (the first byte picks which), the plug-in
// writes cfg/Postplay.cfg, and the file is loaded back.
//
// Property: the variable reads back the value it held after the set, unless the storage
// said (with a "PersistentStorage: " line) that it refused or cleaned it; every other stored
// variable reads back as it was; loading the file ran nothing but the variables (no command,
// no unknown name, no move of the game, no search).
//
// Where the file is loaded back: a fresh host for one input in four (picked by a hash of the
// input, so an input always takes the same way): the first host is shut down and a new one
// loads the plug-in, whose storage runs the file 0.1 s later. For the others, the live host
// runs the file's text through its console after the variable was set back to its default,
// so the value can only come from the file. A new host makes an input half as long again;
// this keeps the target fast and still sends every kind of value through a whole new load.
//
// Between inputs the live host holds every default value, and the file holds them too. A
// host whose values do not all come back to the defaults is replaced by a new one in an
// empty home.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "host/BakkesModPlugin.h"
#include "host/CVarManagerWrapper.h"
#include "host/CVarWrapper.h"

namespace {

constexpr std::size_t kMaxValue = 256;
constexpr std::uint32_t kFreshHostOneIn = 4;

// The plug-in's stored settings, as the configuration file lists them.
const char* const kStoredNames[] = {
    "pp_enabled",
    "pp_mode",
    "pp_custom_training_pack_code",
    "pp_requeue",
    "pp_requeue_delay",
    "pp_wait_mmr",
    "pp_workshop_maps_folder",
    "pp_workshop_map",
    "pp_enable_competitive",
    "pp_enable_casual",
    "pp_toggle_bind",
    "plugin_language",
};
constexpr std::size_t kStoredCount = sizeof kStoredNames / sizeof kStoredNames[0];

using Values = std::map<std::string, std::string>;

fuzz::ScratchFolder* scratch = nullptr;
std::unique_ptr<fuzz::PluginHost> live; // its values are the defaults between inputs
Values defaults;                        // every stored value of a new host

sim::Host& Live() { return **live; }

CVarWrapper Variable(sim::Host& host, const std::string& name) {
    CVarWrapper cvar = host.Plugin()->cvarManager->getCvar(name);
    if (!cvar) fuzz::Fail("the plug-in has no variable " + name);
    return cvar;
}

Values StoredValues(sim::Host& host) {
    Values values;
    for (const char* name : kStoredNames) values[name] = Variable(host, name).getStringValue();
    return values;
}

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& file, const std::string& contents) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << contents;
}

std::uint32_t Hash(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

// A new host in an empty home, its (missing) saved settings loaded and the defaults written.
void StartOver() {
    live.reset();
    std::error_code ignored;
    std::filesystem::remove_all(scratch->home(), ignored);
    live = std::make_unique<fuzz::PluginHost>(scratch->home());
    Live().Advance(1.0);
    Live().RunLine("writeconfig");
}

// What loading the stored settings may print: the load's own line (when the plug-in loads
// them), the language's change line when the language came back changed, and the line
// that says a mode the plug-in does not know means free play (the mode keeps its text).
bool IsExpectedLoadLine(const std::string& line, const std::string& setName) {
    return line == "PersistentStorage: Loading the persistent storage cfg" || StartsWith(line, "Updated locale: ") ||
           (setName == "pp_mode" && StartsWith(line, "Unknown training mode: "));
}

struct SetValue {
    std::string name, value;
    Values written;            // every stored value after the set
    bool storageSpoke = false; // the storage refused or cleaned something
};

// Where the host's log stood before the load: its length and its count of clears.
struct LogMark {
    std::size_t lines, clears;
};

LogMark MarkLog(const sim::Host& host) { return {host.Lines().size(), host.ClearCount()}; }

// The file was loaded back by `host`, which printed its lines from `mark` on.
void CheckLoadedBack(const SetValue& set, sim::Host& host, LogMark mark) {
    const std::string what = "after setting " + set.name + " to " + fuzz::Shown(set.value) + ", ";
    const Values read = StoredValues(host);
    for (const auto& [stored, before] : set.written) {
        const std::string& after = read.at(stored);
        if (after == before || (stored == set.name && set.storageSpoke)) continue;
        fuzz::Fail(what + stored + " was " + fuzz::Shown(before) + " and read back as " + fuzz::Shown(after));
    }
    if (host.ClearCount() != mark.clears) fuzz::Fail(what + "loading the file cleared the console");
    for (const std::string& line : fuzz::LineTexts(host, mark.lines))
        if (!IsExpectedLoadLine(line, set.name)) fuzz::Fail(what + "loading the file printed: " + line);
    const std::string status = host.Status();
    if (status != "game: menu; search: off") fuzz::Fail(what + "loading the file left " + status);
}

// Shuts the live host down (its storage writes the file once more) and loads the plug-in
// in a fresh one, which becomes the live host.
void LoadBackInFreshHost(const SetValue& set) {
    live.reset();
    live = std::make_unique<fuzz::PluginHost>(scratch->home());
    const LogMark mark = MarkLog(Live());
    Live().Advance(1.0);
    CheckLoadedBack(set, Live(), mark);
}

// Sets the variable back to its default (the storage rewrites the file), then runs the
// text the plug-in had written through the live host's console.
void LoadBackInLiveHost(const SetValue& set, const std::string& fileText) {
    Variable(Live(), set.name).setValue(defaults.at(set.name));
    if (StoredValues(Live()) != defaults) {
        // Setting the default back changed more than the one variable: a load now would not
        // show where the values came from. Start again from a new host; nothing to check.
        StartOver();
        return;
    }
    const std::filesystem::path copy = scratch->path() / "written.cfg";
    WriteFile(copy, fileText);
    const LogMark mark = MarkLog(Live());
    Live().LoadCfg(copy);
    Live().Step();
    CheckLoadedBack(set, Live(), mark);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratch = new fuzz::ScratchFolder();
    StartOver();
    defaults = StoredValues(Live());
    // Registered after the first load, so it runs before the plug-in's own static objects
    // (made by that load) are destroyed at exit.
    std::atexit([] {
        live.reset();
        delete scratch;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > kMaxValue + 1) return -1;
    fuzz::InsideFolder inside(scratch->work());

    SetValue set;
    set.name = kStoredNames[data[0] % kStoredCount];
    set.value.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t mark = Live().Lines().size();
    Variable(Live(), set.name).setValue(set.value);
    set.written = StoredValues(Live());
    for (const std::string& line : fuzz::LineTexts(Live(), mark))
        if (StartsWith(line, "PersistentStorage: ")) set.storageSpoke = true;
    Live().RunLine("writeconfig"); // the change's write is settled once this returns

    if (Hash(data, size) % kFreshHostOneIn == 0)
        LoadBackInFreshHost(set);
    else
        LoadBackInLiveHost(set, ReadFile(scratch->home() / "cfg" / "Postplay.cfg"));

    Variable(Live(), set.name).setValue(defaults.at(set.name));
    if (StoredValues(Live()) != defaults) StartOver();
    Live().ClearLines();
    return 0;
}
