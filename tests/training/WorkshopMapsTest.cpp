#include <algorithm>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "support/HostFixture.h"
#include "support/TextFiles.h"
#include "training/WorkshopMaps.h"

using namespace postplay;

namespace fs = std::filesystem;

class FindWorkshopMapsTest : public ::testing::Test {
protected:
    void AddFile(const std::string& relative) { WriteText(dir.path() / relative, "x"); }
    std::vector<std::string> Scan() { return FindWorkshopMaps(dir.path().string()); }
    ScratchFolder dir;
};

TEST_F(FindWorkshopMapsTest, TakesOneMapFileFromEachSubFolderOnly) {
    AddFile("A/a.upk");
    AddFile("A/b.upk");
    AddFile("B/readme.txt");
    AddFile("loose.upk");
    AddFile("C/deeper/deep.upk");
    const std::vector<std::string> maps = Scan();
    ASSERT_EQ(maps.size(), 1u);
    EXPECT_TRUE(maps[0] == "A\\a.upk" || maps[0] == "A\\b.upk") << maps[0];
}

TEST_F(FindWorkshopMapsTest, MatchesTheExtensionWithoutCaseButNotOtherNames) {
    AddFile("Upper/Map.UPK");
    AddFile("Mixed/Arena.uPk");
    AddFile("Hidden/.upk");
    AddFile("Backup/x.upk.bak");
    AddFile("Bare/upk");
    fs::create_directories(dir.path() / "Folder" / "inner.upk");
    std::vector<std::string> maps = Scan();
    std::sort(maps.begin(), maps.end());
    EXPECT_EQ(maps, (std::vector<std::string>{"Mixed\\Arena.uPk", "Upper\\Map.UPK"}));
}

TEST_F(FindWorkshopMapsTest, ReadsAFolderTextWrittenWithBackslashes) {
    AddFile("Pack/Arena.upk");
    std::string text = dir.path().string();
    std::replace(text.begin(), text.end(), '/', '\\');
    EXPECT_EQ(FindWorkshopMaps(text), std::vector<std::string>{"Pack\\Arena.upk"});
}

TEST_F(FindWorkshopMapsTest, AnUnusableFolderGivesNoMapsAndNoException) {
    AddFile("file.txt");
    TryCreateSymlink(dir.path() / "loop", dir.path() / "loop");
    const std::string tooLong = (dir.path() / std::string(300, 'n')).string();
    for (const std::string& folder : {std::string(), (dir.path() / "missing").string(),
                                      (dir.path() / "file.txt").string(), (dir.path() / "loop").string(), tooLong}) {
        EXPECT_TRUE(FindWorkshopMaps(folder).empty()) << folder;
    }
}

TEST_F(FindWorkshopMapsTest, AnErrorDuringTheScanKeepsTheMapsFoundBeforeIt) {
    for (const char* map : {"A/a.upk", "B/b.upk", "C/c.upk", "D/d.upk"}) AddFile(map);
    if (!TryCreateSymlink(dir.path() / "gone", dir.path() / "Dangling")) GTEST_SKIP() << kNoSymlinks;
    ASSERT_TRUE(TryCreateSymlink(dir.path() / "Loop", dir.path() / "Loop"));
    // Dangling is not found, so skipped; Loop is an error, which ends the scan.

    std::vector<std::string> expected;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name == "Loop") break;
        if (name.size() == 1) expected.push_back(name + "\\" + static_cast<char>(name[0] - 'A' + 'a') + ".upk");
    }
    EXPECT_EQ(Scan(), expected);
}

class RefreshWorkshopMapsTest : public HostFixture {
protected:
    void SetUp() override {
        LoadPlugin();
        Wait(0.2);
        WriteText(home.path() / "maps" / "Stadium" / "stadium.upk", "x");
        folder = (home.path() / "maps").string();
    }
    void Refresh() { Run("pp_find_workshop_maps"); }
    std::vector<std::string> Maps() { return plugin().workshopMaps->Snapshot()->Entries(); }
    std::string folder;
};

TEST_F(RefreshWorkshopMapsTest, KeepsASelectionThatIsStillThere) {
    Run("pp_workshop_maps_folder \"" + folder + "\"; pp_workshop_map Stadium\\stadium.upk");
    TakeLines();
    Refresh();
    EXPECT_EQ(Maps(), std::vector<std::string>{"Stadium\\stadium.upk"});
    EXPECT_EQ(CvarValue("pp_workshop_map"), "Stadium\\stadium.upk");
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"> pp_find_workshop_maps"});
}

TEST_F(RefreshWorkshopMapsTest, ResetsASelectionThatDiffersEvenOnlyInCase) {
    Run("pp_workshop_maps_folder \"" + folder + "\"; pp_workshop_map stadium\\stadium.upk");
    Refresh();
    EXPECT_EQ(*plugin().workshopMap, "");
    EXPECT_EQ(CvarValue("pp_workshop_map"), "");
    EXPECT_TRUE(Printed("Selected workshop map is not valid anymore and has been reset."));
    EXPECT_NE(SettledConfig().find("pp_workshop_map \"\""), std::string::npos);
}

TEST_F(RefreshWorkshopMapsTest, AnEmptyOrMaplessFolderKeepsTheSelectionAndEmptiesTheList) {
    Run("pp_workshop_maps_folder \"" + folder + "\"; pp_workshop_map Old\\old.upk");
    plugin().workshopMaps->Replace(MapList({"Old\\old.upk"}));

    const std::string braces = folder + "{}";
    Run("pp_workshop_maps_folder \"" + braces + "\"");
    Refresh();
    EXPECT_TRUE(Printed("No valid workshop maps found in folder: " + braces));
    EXPECT_TRUE(Maps().empty());

    plugin().workshopMaps->Replace(MapList({"Old\\old.upk"}));
    Run("pp_workshop_maps_folder \"\"");
    Refresh();
    EXPECT_TRUE(Printed("Workshop maps folder is not set. Please set a valid folder path."));
    EXPECT_TRUE(Maps().empty());
    EXPECT_EQ(CvarValue("pp_workshop_map"), "Old\\old.upk");
}

// Scans asked for on the page's thread land on the game thread while the page's thread
// reads the list: every snapshot is a whole list (none, or all the maps), and the list of
// the last scan stays.
TEST_F(RefreshWorkshopMapsTest, ASnapshotStaysWholeWhileScansLand) {
    constexpr int kMaps = 40;
    for (int i = 1; i < kMaps; ++i) WriteText(home.path() / "maps" / ("Map" + std::to_string(i)) / "map.upk", "x");
    Run("pp_workshop_maps_folder \"" + folder + "\"");

    std::atomic<bool> scanning{true};
    std::size_t torn = 0;
    std::thread reader([&] {
        while (scanning) {
            const auto snapshot = plugin().workshopMaps->Snapshot();
            for (const std::string& entry : snapshot->Entries()) torn += entry.empty() ? 1 : 0;
            torn += !snapshot->Empty() && snapshot->Size() != static_cast<std::size_t>(kMaps) ? 1 : 0;
        }
    });
    for (int scan = 0; scan < 30; ++scan) {
        host->HandToRenderThread("pp_find_workshop_maps");
        if (scan % 3 == 0) Settle();
    }
    Settle();
    scanning = false;
    reader.join();
    EXPECT_EQ(torn, 0u);
    EXPECT_EQ(Maps().size(), static_cast<std::size_t>(kMaps));
}

// A folder whose listing fails before any map is found gives the usual line, exactly, and the
// system's reason on a line of its own; maps found before a failure are kept. Either way the
// selection stays, since the part not read may hold it.
TEST_F(RefreshWorkshopMapsTest, AListingThatFailsKeepsTheSelectionAndSaysWhy) {
    const fs::path loop = home.path() / "loop";
    if (!TryCreateSymlink(loop, loop)) GTEST_SKIP() << kNoSymlinks;
    Run("pp_workshop_maps_folder \"" + loop.string() + "\"; pp_workshop_map Gone\\gone.upk");
    TakeLines();
    Refresh();
    std::vector<std::string> lines = TakeLines();
    ASSERT_EQ(lines.size(), 3u) << "the command, the usual line, the reason";
    EXPECT_EQ(lines[1], "No valid workshop maps found in folder: " + loop.string());
    EXPECT_TRUE(Maps().empty());

    // Stadium and a sub-folder that cannot be read, listed in either order.
    ASSERT_TRUE(TryCreateSymlink(home.path() / "maps" / "Loop", home.path() / "maps" / "Loop"));
    Run("pp_workshop_maps_folder \"" + folder + "\"");
    TakeLines();
    Refresh();
    lines = TakeLines();
    ASSERT_GE(lines.size(), 2u);
    if (Maps().empty()) {
        EXPECT_EQ(lines[1], "No valid workshop maps found in folder: " + folder);
    } else {
        EXPECT_EQ(Maps(), std::vector<std::string>{"Stadium\\stadium.upk"});
        EXPECT_EQ(lines[1].rfind("Workshop maps folder could not be read", 0), 0u) << lines[1];
    }
    EXPECT_EQ(CvarValue("pp_workshop_map"), "Gone\\gone.upk");
}
