#include <atomic>
#include <csignal>
#include <cstdio>
#include <random>
#include <thread>
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "InterposedCalls.h"
#include "host/CVarManagerWrapper.h"
#include "host/PathText.h"
#include "localization/LocalizationManager.h"
#include "storage/PersistentStorage.h"
#include "support/HostFixture.h"
#include "support/TextFiles.h"

using namespace postplay;

namespace fs = std::filesystem;

namespace {

const std::string kSkippedWrite = "PersistentStorage: writeconfig skipped: the saved settings are not loaded yet";

std::size_t CountStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

} // namespace

class StorageTest : public HostFixture {
protected:
    fs::path ConfigFile() const { return home.path() / "cfg" / "Postplay.cfg"; }
    std::string Config() { return SettledConfig(); }
    void Settle() { plugin().persistentStorage->WaitForPendingWrites(); }
    void LoadAndSettle() {
        LoadPlugin();
        Wait(0.2);
    }
};

TEST_F(StorageTest, WritesEveryStoredVariableInByteOrderOfNames) {
    LoadAndSettle();
    Run("writeconfig");
    EXPECT_EQ(Config(), kDefaultSettingsFile);
}

TEST_F(StorageTest, EachChangeRewritesTheWholeFile) {
    LoadAndSettle();
    Run("pp_requeue_delay 5");
    const std::string delayed = WithValue(kDefaultSettingsFile, "pp_requeue_delay", "5");
    EXPECT_EQ(Config(), delayed);
    Run("pp_mode custom");
    EXPECT_EQ(Config(), WithValue(delayed, "pp_mode", "custom"));
    Run("pp_mode freeplay");
    EXPECT_EQ(Config(), delayed);
}

// The game thread and the page's thread change settings at the same time: every write is
// whole, and the file written last holds the values the variables hold in the end.
TEST_F(StorageTest, TwoThreadsWritingAtOnceLeaveAWholeFileWithTheLastValues) {
    LoadAndSettle();
    std::thread page([&] {
        for (int i = 0; i <= 60; ++i) host->HandToRenderThread("pp_requeue_delay " + std::to_string(i));
    });
    for (int i = 0; i <= 60; ++i) host->RunLine(i % 2 ? "pp_mode custom" : "pp_mode workshop");
    page.join();

    std::string expected = WithValue(kDefaultSettingsFile, "pp_requeue_delay", "60");
    expected = WithValue(expected, "pp_mode", "workshop");
    EXPECT_EQ(Config(), expected);
    for (const auto& entry : fs::directory_iterator(ConfigFile().parent_path()))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

// Settings kept in a dotfiles folder through a link: the target is rewritten, the link stays.
TEST_F(StorageTest, ALinkedFileIsWrittenThroughItsLink) {
    StartHost();
    const fs::path dotfiles = home.path() / "dotfiles";
    fs::create_directories(dotfiles);
    WriteText(dotfiles / "Postplay.cfg", kDefaultSettingsFile);
    if (!TryCreateSymlink("../dotfiles/Postplay.cfg", ConfigFile())) GTEST_SKIP() << kNoSymlinks;
    LoadAndSettle();
    Run("pp_requeue_delay 9");
    Settle();
    EXPECT_TRUE(fs::is_symlink(ConfigFile()));
    EXPECT_EQ(ReadText(dotfiles / "Postplay.cfg"), WithValue(kDefaultSettingsFile, "pp_requeue_delay", "9"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dotfiles), fs::directory_iterator()), 1);
}

// The player's folders may have any name (C:\Users\Jöran on Windows): the settings are
// saved below a home folder whose name is not ASCII and come back from there, a workshop
// folder with such names is found and its maps listed, all as UTF-8 texts. The file keeps
// the platform's line ends.
TEST_F(StorageTest, FoldersWithNonAsciiNamesKeepTheSettingsAndTheirMaps) {
    homeBelow = Utf8ToPath("J\xC3\xB6ran");
    const fs::path maps = home.path() / Utf8ToPath("Cartes \xC3\xA9t\xC3\xA9");
    WriteText(maps / Utf8ToPath("Ar\xC3\xA8ne") / "Arena.upk", "x");
    const fs::path file = home.path() / homeBelow / "cfg" / "Postplay.cfg";
    LoadAndSettle();
    EXPECT_TRUE(Printed("PersistentStorage: created and will store the data in " + PathToUtf8(file)));
    Run("pp_workshop_maps_folder \"" + PathToUtf8(maps) + "\"; pp_find_workshop_maps");
    EXPECT_EQ(plugin().workshopMaps->Snapshot()->Entries(), std::vector<std::string>{"Ar\xC3\xA8ne\\Arena.upk"});
    Run("pp_workshop_map \"Ar\xC3\xA8ne\\Arena.upk\"");

    host->UnloadPlugin();
    host.reset();
    StartHost();
    LoadAndSettle();
    EXPECT_EQ(CvarValue("pp_workshop_maps_folder"), PathToUtf8(maps));
    EXPECT_EQ(CvarValue("pp_workshop_map"), "Ar\xC3\xA8ne\\Arena.upk");
#if defined(_WIN32)
    const std::string lineEnd = "\r\n";
#else
    const std::string lineEnd = "\n";
#endif
    const std::string bytes = ReadBytes(file);
    EXPECT_NE(bytes.find("pp_workshop_maps_folder \"" + PathToUtf8(maps) + "\" //Workshop maps folder" + lineEnd),
              std::string::npos);
    std::string::size_type ends = 0;
    for (auto at = bytes.find(lineEnd); at != std::string::npos; at = bytes.find(lineEnd, at + 1)) ++ends;
    EXPECT_EQ(ends, 12u) << bytes;
}

TEST_F(StorageTest, RestoresTheFileWithoutRewritingItDuringTheLoad) {
    StartHost();
    const std::string saved = "pp_requeue_delay \"12\"\n// a comment\npp_mode \"custom\" //mode\n"
                              "plugin_language \"FRA\"\n";
    WriteText(ConfigFile(), saved);
    LoadPlugin();
    EXPECT_EQ(*plugin().requeueDelay, 0);
    Wait(0.2);
    EXPECT_EQ(*plugin().requeueDelay, 12);
    EXPECT_EQ(*plugin().trainingMode, TrainingMode::Custom);
    EXPECT_EQ(Config(), saved);

    Run("writeconfig");
    EXPECT_EQ(Config(),
              WithValue(WithValue(WithValue(kDefaultSettingsFile, "pp_requeue_delay", "12"), "pp_mode", "custom"),
                        "plugin_language", "FRA"));
}

TEST_F(StorageTest, ValuesComeBackAfterAReloadAndInAFreshHost) {
    LoadAndSettle();
    Run("pp_requeue_delay 30");
    Run("pp_workshop_map \"Pack\\Arena.upk\"");

    Run("sim_reload");
    Wait(0.2);
    EXPECT_EQ(*plugin().requeueDelay, 30);
    EXPECT_EQ(*plugin().workshopMap, "Pack\\Arena.upk");

    host->UnloadPlugin();
    host.reset();
    StartHost();
    LoadAndSettle();
    EXPECT_EQ(*plugin().requeueDelay, 30);
    EXPECT_EQ(*plugin().workshopMap, "Pack\\Arena.upk");
}

TEST_F(StorageTest, NeverReplacesTheSavedSettingsBeforeTheyAreLoaded) {
    StartHost();
    const std::string saved = WithValue(kDefaultSettingsFile, "pp_requeue_delay", "9");
    WriteText(ConfigFile(), saved);
    LoadPlugin();
    TakeLines();
    Run("writeconfig");
    Run("pp_requeue_delay 3");
    EXPECT_EQ(CountStartingWith(TakeLines(), kSkippedWrite), 1u);
    EXPECT_EQ(Config(), saved);

    // Released before its delayed load ran: the last write is skipped as well.
    host->UnloadPlugin();
    LocalizationManager::GetInstance()->persistentStorage.reset();
    EXPECT_EQ(Config(), saved);
}

TEST_F(StorageTest, AFailedWriteKeepsThePreviousFileAndSaysWhy) {
    LoadAndSettle();
    Run("writeconfig");
    const fs::path cfgFolder = ConfigFile().parent_path();
    const auto temporaries = [&] {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(cfgFolder)) count += entry.path().extension() == ".tmp" ? 1 : 0;
        return count;
    };

    // The player made the file read-only: it is left alone, whoever runs the program.
    fs::permissions(ConfigFile(), fs::perms::owner_read | fs::perms::group_read);
    TakeLines();
    Run("pp_requeue_delay 4");
    EXPECT_EQ(Config(), kDefaultSettingsFile);
    EXPECT_EQ(CountStartingWith(TakeLines(), "PersistentStorage: could not write"), 1u);

#if defined(_WIN32)
    fs::permissions(ConfigFile(), fs::perms::owner_write, fs::perm_options::add); // Windows deletes no read-only file
#endif
    fs::remove(ConfigFile());
    fs::create_directories(ConfigFile() / "occupied"); // the rename cannot replace a folder
    Run("pp_requeue_delay 6");
    Settle();
    EXPECT_EQ(CountStartingWith(TakeLines(), "PersistentStorage: could not write"), 1u);
    EXPECT_EQ(temporaries(), 0u);

    // A temporary left by a crash goes with the next successful write; the file's
    // permissions survive the rewrite.
    fs::remove_all(ConfigFile());
    WriteText(ConfigFile(), kDefaultSettingsFile);
    fs::permissions(ConfigFile(), fs::perms::owner_read | fs::perms::owner_write);
    WriteText(cfgFolder / "Postplay.cfg.0badc0de0001.tmp", "half a file");
    Run("pp_requeue_delay 7");
    Settle();
    EXPECT_EQ(temporaries(), 0u);
#if defined(_WIN32)
    // Windows keeps only a read-only flag, which the rewrite must not set.
    EXPECT_NE(fs::status(ConfigFile()).permissions() & fs::perms::owner_write, fs::perms::none);
#else
    EXPECT_EQ(fs::status(ConfigFile()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
#endif
}

TEST_F(StorageTest, ARefusedOrUnknownVariableIsLoggedAndLeftOutOfTheFile) {
    StartHost();
    host->RefuseCvarName("pp_toggle_bind");
    LoadAndSettle();
    plugin().persistentStorage->AddCVar("no_such_cvar");
    Run("writeconfig");

    EXPECT_TRUE(Printed("PersistentStorage: Failed to register the cvar pp_toggle_bind"));
    EXPECT_TRUE(Printed("PersistentStorage: Warning the cvar no_such_cvar should be registered before adding it "
                        "to persistent storage"));
    std::string expected = kDefaultSettingsFile;
    const std::string refused = "pp_toggle_bind \"\" //Key bind to toggle the plugin\n";
    expected.erase(expected.find(refused), refused.size());
    EXPECT_EQ(Config(), expected);
}

TEST_F(StorageTest, CraftedTextCannotChangeAnotherSettingOrRunACommandAtTheNextLoad) {
    struct Case {
        std::string typed, stored;
    };
    const Case cases[] = {
        {"x\" ; pp_enabled \"0", "x ; pp_enabled 0"},
        {"maps\npp_mode \"workshop\"", "mapspp_mode workshop"},
        {"a\"; pp_toggle; \"", "a; pp_toggle; "},
        {std::string("nul\0\r\n\"end", 10), "nulend"},
    };
    const std::string cleaned = "PersistentStorage: double quotes, line breaks and NUL characters were left out "
                                "of the stored pp_workshop_maps_folder so that the file reads back as written";
    LoadAndSettle();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        TakeLines();
        plugin().cvarManager->getCvar("pp_workshop_maps_folder").setValue(c.typed);
        Run("pp_requeue_delay 1; pp_requeue_delay 0");
        EXPECT_EQ(CountStartingWith(TakeLines(), cleaned), 1u);
        EXPECT_NE(Config().find("\npp_workshop_maps_folder \"" + c.stored + "\" //Workshop maps folder\n"),
                  std::string::npos);

        Run("sim_reload");
        Wait(0.2);
        EXPECT_EQ(CvarValue("pp_workshop_maps_folder"), c.stored);
        EXPECT_EQ(CvarValue("pp_enabled"), "1");
        EXPECT_EQ(CvarValue("pp_mode"), "freeplay");
        EXPECT_TRUE(host->Toasts().empty());
    }
}

TEST_F(StorageTest, DescriptionsAreCleanedLikeValues) {
    LoadAndSettle();
    PersistentStorage extra(&plugin(), "Extra", true, true);
    extra.RegisterStoredCvar("extra_note", "v", "two\nlines \"quoted\"", true, false, 0.0f, false, 0.0f, true);
    Wait(0.2);
    extra.WriteStorageFile();
    EXPECT_EQ(ReadText(home.path() / "cfg" / "Extra.cfg"), "extra_note \"v\" //twolines quoted\n");
}

TEST_F(StorageTest, AStorageReleasedBeforeItsLoadDoesNothingLater) {
    LoadAndSettle();
    { PersistentStorage early(&plugin(), "Early", true, true); }
    TakeLines();
    Wait(0.2);
    EXPECT_TRUE(TakeLines().empty());
    EXPECT_FALSE(fs::exists(home.path() / "cfg" / "Early.cfg"));
}

// A writer killed mid-way needs fork(); the Windows build leaves this one out (the write
// itself is the same code on both systems: a temporary file renamed over the old one).
#if !defined(_WIN32)
namespace {

// Loads the plug-in on `home`, reports through `ready` and rewrites the file until killed.
[[noreturn]] void RewriteUntilKilled(const fs::path& home, int ready, int round) {
    sim::HostOptions options;
    options.home = home;
    sim::Host host(options);
    host.LoadPlugin(&getPlugin, &deleteMe);
    host.Advance(0.2);
    if (write(ready, "r", 1) != 1) _exit(1);
    for (int i = 1; i <= 1000000; ++i) host.RunLine("pp_requeue_delay " + std::to_string(round * 1000000 + i));
    _exit(0);
}

bool IsCompleteSettingsFile(const std::string& text) {
    const std::string start = "\npp_requeue_delay \"";
    const std::size_t value = text.find(start);
    if (value == std::string::npos) return false;
    const std::size_t end = text.find('"', value + start.size());
    const std::string digits = text.substr(value + start.size(), end - value - start.size());
    return !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos &&
           WithValue(text, "pp_requeue_delay", "0") == kDefaultSettingsFile;
}

} // namespace

TEST(StorageCrashTest, AWriterKilledAtAnyMomentLeavesTheOldFileOrTheNewOne) {
    ScratchFolder home;
    const fs::path file = home.path() / "cfg" / "Postplay.cfg";
    WriteText(file, kDefaultSettingsFile);
    std::mt19937 random(20240611);
    int replaced = 0;
    for (int round = 0; round < 50; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            RewriteUntilKilled(home.path(), ready[1], round);
        }
        close(ready[1]);
        char byte = 0;
        const bool started = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        usleep(random() % 3000 + (round % 10 == 9 ? 50000 : 0)); // some outlast a slow first write
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        ASSERT_TRUE(started);

        const std::string text = ReadText(file);
        ASSERT_TRUE(IsCompleteSettingsFile(text)) << "round " << round << ":\n" << text;
        if (text != kDefaultSettingsFile) ++replaced;
    }
    EXPECT_GT(replaced, 0);
}
#endif

#if !defined(_WIN32)
namespace {
std::atomic<int> syncedFilesWithARefusedCode{0};
// Every refused code of the test below holds a '#'; no stored text does.
void LookForRefusedCodes(const std::string& text) {
    if (text.find('#') != std::string::npos) ++syncedFilesWithARefusedCode;
}
} // namespace

// A refused pack code reaches no file the storage syncs (every temporary, every file renamed
// into place, every rewrite in place), not for an instant: neither from a cfg file being
// loaded nor from changes racing in from the console and the page's thread.
TEST_F(StorageTest, ARefusedPackCodeIsNeverInAnyFileTheStorageWrites) {
    StartHost();
    WriteText(ConfigFile(), "pp_custom_training_pack_code \"ABCD-1234-EFGH-567#\"\n");
    interposed::syncedText = &LookForRefusedCodes;
    LoadAndSettle();
    for (int round = 0; round < 100; ++round) {
        const std::string good = fmt::format("ABCD-1234-EFGH-{:04}", round);
        Run("pp_custom_training_pack_code " + good);
        std::thread page([this, round] {
            for (int typed = 0; typed < 8; ++typed)
                host->HandToRenderThread(fmt::format("pp_custom_training_pack_code P#{}-{}", round, typed));
        });
        for (int typed = 0; typed < 8; ++typed)
            host->RunLine(fmt::format("pp_custom_training_pack_code C#{}-{}", round, typed));
        page.join();
    }
    Run("writeconfig");
    interposed::syncedText = nullptr;
    EXPECT_EQ(syncedFilesWithARefusedCode, 0);
    EXPECT_NE(Config().find("pp_custom_training_pack_code \"ABCD-1234-EFGH-0099\""), std::string::npos);
}
#endif
