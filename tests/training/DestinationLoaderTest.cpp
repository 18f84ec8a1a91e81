// Turning the training choice into the host command that loads it, and every way the
// choice can fail to load: each failure is one log line and the player stays put.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/HostFixture.h"
#include "support/PostplayPluginTestPeer.h"
#include "support/TextFiles.h"
#include "training/WorkshopMaps.h"

using namespace postplay;

namespace fs = std::filesystem;
using Peer = PostplayPluginTestPeer;

namespace {

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "map";
}

class DestinationLoaderTest : public HostFixture {
protected:
    void SetUp() override {
        LoadPlugin();
        Wait(1.0);
        Run("sim_match 11");
        Run("sim_end 0");
        TakeLines();
    }

    void Choose(TrainingMode::Mode mode) { *plugin().trainingMode = mode; }
    void ChooseWorkshop(const std::string& folder, const std::string& map) {
        Choose(TrainingMode::Workshop);
        *plugin().workshopMapsFolder = folder;
        *plugin().workshopMap = map;
    }

    // Loads the destination; returns the console lines it printed.
    std::vector<std::string> Load() {
        Peer::LoadTrainingDestination(plugin());
        Wait(0);
        return TakeLines();
    }

    // The destination failed with exactly this one line and the player is still in the match.
    void ExpectRefusal(const std::vector<std::string>& lines, const std::string& line) {
        EXPECT_EQ(lines, std::vector<std::string>{line});
        EXPECT_EQ(host->CurrentPlace(), sim::Place::Match);
        EXPECT_FALSE(host->IsSearching());
    }

    ScratchFolder maps;
    const std::string folder = maps.path().string();
};

} // namespace

TEST_F(DestinationLoaderTest, FreePlayLoadsFreePlay) {
    Choose(TrainingMode::FreePlay);
    EXPECT_EQ(Load().front(), "> load_freeplay");
    EXPECT_EQ(host->Status(), "game: freeplay; search: off");
}

TEST_F(DestinationLoaderTest, APackCodeInLowerCaseIsLoadedAndStoredInUpperCase) {
    Choose(TrainingMode::Custom);
    *plugin().customTrainingPackCode = "abcd-efgh-ijkl-mnop";
    Load();
    EXPECT_EQ(host->Status(), "game: training ABCD-EFGH-IJKL-MNOP; search: off");
    EXPECT_EQ(*plugin().customTrainingPackCode, "ABCD-EFGH-IJKL-MNOP");
}

TEST_F(DestinationLoaderTest, AnInvalidPackCodeIsLoggedWithItsBracesAndNothingLoads) {
    Choose(TrainingMode::Custom);
    *plugin().customTrainingPackCode = "{0}{}-abcd-efgh;queue";
    ExpectRefusal(Load(), "Invalid training pack code: {0}{}-abcd-efgh;queue");

    *plugin().customTrainingPackCode = "ABCD 1234-EFGH-5678";
    ExpectRefusal(Load(), "Invalid training pack code: ABCD 1234-EFGH-5678");
}

TEST_F(DestinationLoaderTest, AnExistingMapIsLoadedWithTheFolderABackslashAndTheEntry) {
    Touch(maps.path() / "Pack" / "Arena.upk");
    ChooseWorkshop(folder, "Pack\\Arena.upk");
    const auto lines = Load();
    EXPECT_EQ(lines.front(), "> load_workshop " + folder + "\\Pack\\Arena.upk");
    EXPECT_EQ(host->CurrentPlace(), sim::Place::Workshop);
}

TEST_F(DestinationLoaderTest, AMapPathWithBlanksIsLoadedUnquoted) {
    const std::string spaced = (maps.path() / "My Maps").string();
    Touch(fs::path(spaced) / "Big Pack" / "Grand Arena.upk");
    ChooseWorkshop(spaced, "Big Pack\\Grand Arena.upk");
    EXPECT_EQ(Load().front(), "> load_workshop " + spaced + "\\Big Pack\\Grand Arena.upk");
    EXPECT_EQ(host->CurrentPlace(), sim::Place::Workshop);
}

// A choice that names no map file is refused with one line: no map chosen (whatever the
// folder), a folder entry, a missing file or folder, a path the system cannot resolve.
TEST_F(DestinationLoaderTest, AChoiceThatNamesNoMapFileIsRefusedWithOneLine) {
    Touch(maps.path() / "Pack" / "Arena.upk");
    TryCreateSymlink("Loop.upk", maps.path() / "Pack" / "Loop.upk"); // ELOOP
    const std::string none = "No workshop map selected", invalid = "Invalid workshop maps folder or map";
    const std::vector<std::array<std::string, 3>> choices = {
        {folder, "", none},
        {"", "", none},
        {folder, "Pack", invalid},
        {folder, "Pack\\Missing.upk", invalid},
        {folder + "\\Elsewhere", "Pack\\Arena.upk", invalid},
        {folder, "Pack\\Loop.upk", invalid},
        {folder, "Pack\\" + std::string(300, 'a') + ".upk", invalid}}; // the last: ENAMETOOLONG
    for (const auto& [mapsFolder, map, line] : choices) {
        ChooseWorkshop(mapsFolder, map);
        ExpectRefusal(Load(), line);
    }
}

// Each of these names is a real file, so only the refusal stands between the text after
// the separator and the console. Windows forbids line breaks and double quotes in file
// names, so there only the separator is tried.
TEST_F(DestinationLoaderTest, AMapPathThatWouldReadAsMoreThanTheLoadIsNeverExecuted) {
#if defined(_WIN32)
    const std::pair<std::string, std::string> unsafeNames[] = {{"Evil;queue", "Evil;queue"}};
#else
    // The name, and how the line shows it.
    const std::pair<std::string, std::string> unsafeNames[] = {{"Evil;queue", "Evil;queue"},
                                                               {"Evil\nqueue", "Evil\\nqueue"},
                                                               {"Evil\rqueue", "Evil\\rqueue"},
                                                               {"Evil\"queue", "Evil\"queue"}};
#endif
    for (const auto& [name, shown] : unsafeNames) {
        Touch(maps.path() / "Pack" / name);
        ChooseWorkshop(folder, "Pack\\" + name);
        ExpectRefusal(Load(), "Workshop map path cannot be used in a console command: " + folder + "\\Pack\\" + shown);
    }

    Touch(maps.path() / "Pack" / "Arena.upk");
    ChooseWorkshop(folder + "//", "Pack\\Arena.upk"); // the host reads "//" as a comment
    ExpectRefusal(Load(), "Workshop map path cannot be used in a console command: " + folder + "//\\Pack\\Arena.upk");

    // A map that does not exist is reported as missing, whatever its name holds.
    ChooseWorkshop(folder, "Pack\\Gone;queue");
    ExpectRefusal(Load(), "Invalid workshop maps folder or map");
}

TEST(WorkshopPaths, ReadABackslashAsASeparatorAndTreatErrorsAsUnusable) {
    ScratchFolder dir;
    Touch(dir.path() / "Pack" / "Arena.upk");
    const std::string folder = dir.path().string();

    EXPECT_EQ(PathFromText("Pack\\Sub\\Arena.upk"), fs::path("Pack/Sub/Arena.upk"));
    EXPECT_TRUE(IsWorkshopMapFile(folder + "\\Pack\\Arena.upk"));
    EXPECT_FALSE(IsWorkshopMapFile(folder + "\\Pack"));
    EXPECT_FALSE(IsWorkshopMapFile(""));
    EXPECT_TRUE(QueryFolderState(folder) == FolderState::Directory);
    EXPECT_TRUE(QueryFolderState(folder + "\\Pack") == FolderState::Directory);
    EXPECT_FALSE(QueryFolderState(folder + "\\Pack\\Arena.upk") == FolderState::Directory);
    EXPECT_FALSE(QueryFolderState(folder + "\\Missing") == FolderState::Directory);
    EXPECT_FALSE(QueryFolderState("") == FolderState::Directory);

    TryCreateSymlink("Loop", dir.path() / "Loop");
    EXPECT_FALSE(QueryFolderState(folder + "\\Loop") == FolderState::Directory);
    EXPECT_FALSE(IsWorkshopMapFile(folder + "\\Loop\\Arena.upk"));
}
