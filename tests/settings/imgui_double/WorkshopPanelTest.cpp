#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "PageFixture.h"
#include "support/TextFiles.h"
#include "support/WalkGate.h"

using namespace postplay;

namespace fs = std::filesystem;

namespace {

using imgui_double::Click;
using imgui_double::OpenCombo;
using imgui_double::Type;

const ImVec4 kError = page::kErrorColour;
const ImVec4 kNotice = page::kNoticeColour;

class WorkshopPanelTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        Run("pp_mode workshop");
        maps = home.path() / "maps";
        AddMap("Stadium", "stadium.upk");
        AddMap("Beach", "beach.upk");
    }

    void AddMap(const std::string& folder, const std::string& file) {
        fs::create_directories(maps / folder);
        std::ofstream(maps / folder / file) << "map";
    }

    void SetFolder(const fs::path& folder) { Run("pp_workshop_maps_folder \"" + folder.string() + "\""); }

    std::vector<std::pair<std::string, ImVec4>> ColouredLines(const std::vector<Call>& calls) {
        std::vector<std::pair<std::string, ImVec4>> lines;
        for (const Call& call : calls)
            if (call.kind == Kind::TextColored) lines.emplace_back(call.label, call.colour);
        return lines;
    }

    fs::path maps;
};

} // namespace

TEST_F(WorkshopPanelTest, EachFolderStateShowsItsLineInItsColour) {
    std::ofstream(home.path() / "file.txt") << "not a folder";
    fs::create_directories(home.path() / "empty");
    TryCreateSymlink(home.path() / "loop", home.path() / "loop");
    const struct {
        fs::path folder;
        std::vector<std::pair<std::string, ImVec4>> lines;
    } cases[] = {
        {"", {{"Please set a workshop maps folder", kError}}},
        {home.path() / "missing", {{"Error: Folder does not exist", kError}}},
        {home.path() / "file.txt", {{"Error: Path is not a directory", kError}}},
        {home.path() / "empty",
         {{"No workshop maps found in this folder", kNotice},
          {"No workshop maps found. Click 'Refresh Maps' to scan the folder.", kNotice}}},
        // Folders whose status cannot be read count as missing rather than ending the frame.
        {home.path() / std::string(300, 'x'), {{"Error: Folder does not exist", kError}}},
        {home.path() / "loop" / "maps", {{"Error: Folder does not exist", kError}}},
    };
    for (const auto& [folder, expected] : cases) {
        SetFolder(folder);
        Click("Refresh");
        Frame();
        Settle();
        const auto calls = Frame();
        const auto lines = ColouredLines(calls);
        ASSERT_EQ(lines.size(), expected.size()) << folder;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].first, expected[i].first) << folder;
            EXPECT_TRUE(SameColour(lines[i].second, expected[i].second)) << folder;
        }
        EXPECT_FALSE(Has(calls, Kind::Combo, "##WorkshopMapSelector")) << folder;
    }
}

TEST_F(WorkshopPanelTest, DirectoryWithMapsOffersThemByFolderName) {
    SetFolder(maps);
    Frame();
    Settle();
    OpenCombo("##WorkshopMapSelector");
    auto calls = Frame();
    EXPECT_EQ(Get(calls, Kind::Combo, "##WorkshopMapSelector").text, "Select a map");
    EXPECT_TRUE(Has(calls, Kind::Selectable, "Stadium"));
    EXPECT_TRUE(Has(calls, Kind::Selectable, "Beach"));
    EXPECT_EQ(ColouredLines(calls).back().first, "Please select a workshop map");

    OpenCombo("##WorkshopMapSelector");
    Click("Stadium");
    Frame();
    EXPECT_EQ(CvarValue("pp_workshop_map"), "Stadium\\stadium.upk");

    OpenCombo("##WorkshopMapSelector");
    calls = Frame();
    EXPECT_EQ(Get(calls, Kind::Combo, "##WorkshopMapSelector").text, "Stadium");
    const Call* chosen = Find(calls, Kind::Selectable, "Stadium");
    ASSERT_NE(chosen, nullptr);
    EXPECT_TRUE(chosen->on);
    EXPECT_EQ(chosen[1].kind, Kind::DefaultFocus);
    EXPECT_FALSE(Get(calls, Kind::Selectable, "Beach").on);
    EXPECT_TRUE(ColouredLines(calls).empty()) << Layout(calls);

    // Of a long list only the rows in view are drawn, and the chosen one, so that it shows.
    std::vector<std::string> many;
    for (int i = 0; i < 30; ++i) many.push_back("M" + std::to_string(i) + "\\m.upk");
    plugin().workshopMaps->Replace(MapList(many));
    Run("pp_workshop_map M25\\m.upk");
    OpenCombo("##WorkshopMapSelector");
    calls = Frame();
    EXPECT_TRUE(Has(calls, Kind::Selectable, "M0") && !Has(calls, Kind::Selectable, "M12"));
    chosen = Find(calls, Kind::Selectable, "M25");
    ASSERT_NE(chosen, nullptr);
    EXPECT_TRUE(chosen->on && chosen[1].kind == Kind::DefaultFocus);
}

TEST_F(WorkshopPanelTest, AutomaticScanRunsOncePerLibraryLifetime) {
    SetFolder(maps); // arrives after load: no start-up scan
    ASSERT_TRUE(plugin().workshopMaps->Empty());
    Frame();
    Settle();
    EXPECT_EQ(plugin().workshopMaps->Size(), 2u);
    EXPECT_TRUE(Has(Frame(), Kind::Combo, "##WorkshopMapSelector"));

    plugin().workshopMaps->Replace(nullptr);
    Frame();
    Settle();
    EXPECT_TRUE(plugin().workshopMaps->Empty());

    host->ReloadPlugin(); // the same library: the scan stays used up
    Wait(1.0);
    ASSERT_EQ(*plugin().workshopMapsFolder, maps.string());
    Frame();
    Settle();
    EXPECT_TRUE(plugin().workshopMaps->Empty());

    Click("Refresh");
    Frame();
    Settle();
    EXPECT_EQ(plugin().workshopMaps->Size(), 2u);
}

TEST_F(WorkshopPanelTest, MissingFolderIsReportedByTheFirstFrameAndEmptiedByRefresh) {
    const std::string gone = (home.path() / "gone").string();
    SetFolder(gone);
    TakeLines();
    Frame();
    Settle();
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"Invalid workshop maps folder: " + gone});
    Frame();
    Settle();
    EXPECT_TRUE(TakeLines().empty()) << "only the first frame steps in by itself";

    plugin().workshopMaps->Replace(MapList({"Old\\old.upk"}));
    Click("Refresh");
    Frame();
    Settle();
    EXPECT_TRUE(plugin().workshopMaps->Empty());
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"Invalid workshop maps folder: " + gone});
}

TEST_F(WorkshopPanelTest, TypingAFolderStoresEachEditAndScansAUsableOne) {
    TakeLines();
    Type("##WorkshopMapsFolder", "m");
    Frame();
    Settle();
    EXPECT_EQ(CvarValue("pp_workshop_maps_folder"), "m");
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"Invalid workshop maps folder: m"});

    Type("##WorkshopMapsFolder", maps.string());
    const auto calls = Frame();
    EXPECT_EQ(CvarValue("pp_workshop_maps_folder"), maps.string());
    EXPECT_TRUE(plugin().workshopMaps->Empty()) << "the frame only asks for the scan";
    EXPECT_EQ(ColouredLines(calls).back().first, "Error: Folder does not exist")
        << "the status line shows the folder as the frame began";
    Settle();
    EXPECT_EQ(plugin().workshopMaps->Size(), 2u);
    const auto after = Frame();
    EXPECT_TRUE(Has(after, Kind::Combo, "##WorkshopMapSelector")) << Layout(after);
}

TEST_F(WorkshopPanelTest, RefreshWithAnEmptyFolderEmptiesTheListQuietly) {
    plugin().workshopMaps->Replace(MapList({"Old\\old.upk"}));
    TakeLines();
    Click("Refresh");
    Frame();
    Settle();
    EXPECT_TRUE(plugin().workshopMaps->Empty());
    EXPECT_TRUE(TakeLines().empty());
}

// The frame draws the folder as the last check found it and never asks the disk itself: a
// folder gone from the disk still shows as it was until a scan (here from the console)
// brings a new check. A folder text that no check has seen yet shows nothing below the box.
TEST_F(WorkshopPanelTest, StatusLineComesFromTheLastCheckNeverFromTheFrame) {
    const auto statusLine = [this](const std::vector<Call>& calls) {
        const auto lines = ColouredLines(calls);
        return lines.empty() ? std::string() : lines.front().first;
    };
    SetFolder(maps);
    Frame(); // the automatic scan checks the folder
    Settle();
    Frame();
    Settle();

    fs::remove_all(maps);
    EXPECT_TRUE(Has(Frame(), Kind::Combo, "##WorkshopMapSelector")) << "the frame asked the disk";
    Settle();
    Run("pp_find_workshop_maps");
    EXPECT_EQ(statusLine(Frame()), "No workshop maps found in this folder");
    Settle();
    EXPECT_EQ(statusLine(Frame()), "Error: Folder does not exist");

    std::ofstream(home.path() / "file.txt") << "not a folder";
    SetFolder(home.path() / "file.txt");
    const auto calls = Frame();
    EXPECT_EQ(statusLine(calls), "");
    EXPECT_FALSE(Has(calls, Kind::Combo, "##WorkshopMapSelector"));
    Settle();
    EXPECT_EQ(statusLine(Frame()), "Error: Path is not a directory");
}

// While a scan runs, the page keeps its list and says how many maps the scan has found so
// far; the new list replaces it only when the scan lands.
TEST_F(WorkshopPanelTest, AScanShowsItsProgressAndThePageKeepsTheOldListUntilItLands) {
    AddMap("Cove", "cove.upk");
    SetFolder(maps);
    plugin().workshopMaps->Replace(MapList({"Old\\old.upk"}));
    Frame();
    Settle();

    WalkGate gate(plugin().workshopWorker, [this] { return plugin().workshopWorker.ScanProgress().found == 2; });
    host->RunLine("pp_find_workshop_maps"); // asks for the scan; nothing lands before a step
    ASSERT_TRUE(gate.WaitUntilHeld());
    const auto calls = Frame();
    EXPECT_EQ(ColouredLines(calls).front().first, "Scanning the folder... maps found so far: 2");
    EXPECT_EQ(Get(calls, Kind::Combo, "##WorkshopMapSelector").text, "Select a map");
    EXPECT_EQ(plugin().workshopMaps->Snapshot()->Entries(), std::vector<std::string>{"Old\\old.upk"});
    gate.Release();
    Settle();
    EXPECT_EQ(plugin().workshopMaps->Size(), 3u);
    EXPECT_EQ(ColouredLines(Frame()).front().first, "Please select a workshop map");
}
