#include <fstream>

#include "FakePlugin.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::StartsWith;
using Words = std::vector<std::string>;

class ConsoleTest : public SimHostTest {
protected:
    // Loads a plug-in with a command "rec" that records the words it is given.
    void SetUp() override {
        SimHostTest::SetUp();
        Load([this](FakePlugin& plugin) {
            plugin.cvarManager->registerNotifier(
                "rec", [this](Words words) { calls.push_back(words); }, "", 0);
        });
    }

    std::vector<Words> calls;
};

TEST_F(ConsoleTest, SemicolonsAndCommentsCountOnlyOutsideQuotes) {
    host->RunLine("rec a \"b; c // d\" e; rec\tf // rec g");
    EXPECT_THAT(calls, ElementsAre(Words{"rec", "a", "b; c // d", "e"}, Words{"rec", "f"}));
}

TEST_F(ConsoleTest, AQuotedRunJoinsItsWordAndEmptyQuotesMakeAnEmptyWord) {
    host->RunLine("rec ab\"c d\"e \"\" ;; rec");
    EXPECT_THAT(calls, ElementsAre(Words{"rec", "abc de", ""}, Words{"rec"}));
}

TEST_F(ConsoleTest, ANameIsLookedUpAsCommandThenVariableThenHostCommand) {
    host->Plugin()->cvarManager->registerCvar("pp_value", "start");
    host->Plugin()->cvarManager->registerNotifier(
        "queue", [this](Words words) { calls.push_back(words); }, "", 0);

    host->RunLine("queue now; pp_value \"two words\"; pp_value; no_such_thing 1");

    EXPECT_THAT(calls, ElementsAre(Words{"queue", "now"}));
    EXPECT_FALSE(host->IsSearching());
    EXPECT_THAT(Texts(), ElementsAre("pp_value \"two words\"", "Unknown command: no_such_thing"));
}

TEST_F(ConsoleTest, InputIsEchoedThenRunThenStepped) {
    host->Plugin()->cvarManager->registerNotifier(
        "later",
        [this](Words) {
            host->Plugin()->gameWrapper->SetTimeout([this](GameWrapper*) { host->Print("timer ran"); }, 0.0f);
            host->Print("command ran");
        },
        "", 0);

    host->RunInput("later // note");

    EXPECT_THAT(Texts(), ElementsAre("> later // note", "command ran", "timer ran"));
}

TEST_F(ConsoleTest, ExecuteCommandEchoesOnlyWhenAsked) {
    host->Plugin()->cvarManager->executeCommand("rec 1", true);
    host->Plugin()->cvarManager->executeCommand("rec 2", false);
    EXPECT_THAT(Texts(), ElementsAre("> rec 1"));
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(ConsoleTest, AConfigFileRunsWithoutEchoAndAMissingOneIsSilent) {
    auto cvar = host->Plugin()->cvarManager->registerCvar("pp_code", "x");
    const auto file = home.path() / "cfg" / "Test.cfg";
    std::ofstream(file) << "pp_code \"\" //Code\r\nrec \"a;b\" //c\n";

    host->Plugin()->cvarManager->loadCfg(file.string());
    host->Plugin()->cvarManager->loadCfg((home.path() / "cfg" / "Missing.cfg").string());

    EXPECT_EQ(cvar.getStringValue(), "");
    EXPECT_THAT(calls, ElementsAre(Words{"rec", "a;b"}));
    EXPECT_TRUE(host->Lines().empty());
}

TEST_F(ConsoleTest, ABindThatRunsItselfStopsWithOneLine) {
    host->RunLine("bind F1 sim_key F1");
    host->RunLine("sim_key F1");
    EXPECT_THAT(Texts(), ElementsAre("Commands nested too deeply; not run: sim_key F1"));
    host->RunLine("unbind F1; sim_key F1");
    EXPECT_TRUE(Printed("No bind for key F1"));
}

// Each host command answers a newcomer's slip with a line that says what happened.
TEST_F(ConsoleTest, TheHostsOwnCommandsExplainThemselves) {
    const std::vector<std::string> help = host->HelpLines();
    for (const char* usage : {"  quit ", "  exit ", "  help [NAME] ", "  bind KEY [COMMAND...] "})
        EXPECT_THAT(help, Contains(StartsWith(usage))) << usage;
    EXPECT_THAT(host->HelpLines("quit"), ElementsAre(StartsWith("quit: end the run")));

    host->Print("an earlier line");
    host->RunLine(
        "clear; bind F5 \"rec a\tb\"; bind F5; bind F6; unbind F6; sim_key \"NotA\tKey\"; sim_key F7; \"\"; \"\" 5");
    EXPECT_THAT(Texts(), ElementsAre("F5 is bound to \"rec a\\tb\"", "No bind for key F6", "No bind for key F6",
                                     StartsWith("sim_key: no key is named NotA\\tKey "), "No bind for key F7",
                                     "A command needs a name; not run: \"\" 5"));

    const auto script = home.path() / "quit.pp";
    std::ofstream(script) << "rec before\nquit\nrec after\n";
    ASSERT_TRUE(host->RunScript(script));
    EXPECT_THAT(calls, ElementsAre(Words{"rec", "before"}));
    EXPECT_TRUE(host->QuitRequested());
}

// ---- Console variables ----------------------------------------------------------------

class ConsoleVariableTest : public SimHostTest {
protected:
    void SetUp() override {
        SimHostTest::SetUp();
        Load();
        cvars = host->Plugin()->cvarManager;
    }
    std::shared_ptr<CVarManagerWrapper> cvars;
};

TEST_F(ConsoleVariableTest, NamesThatCouldNotBeTypedBackAreRefused) {
    host->RefuseCvarName("pp_refused");
    for (const char* name : {"", "pp a", "pp\ta", "pp\"a", "pp;a", "pp_refused"})
        EXPECT_TRUE(cvars->registerCvar(name, "1").IsNull()) << name;
}

TEST_F(ConsoleVariableTest, RegisteringAnExistingNameKeepsTheVariableUnchanged) {
    auto first = cvars->registerCvar("pp_x", "1", "first");
    first.setValue("5");
    auto second = cvars->registerCvar("pp_x", "9", "second", true, true, 0.0f, true, 2.0f);
    EXPECT_EQ(second.getStringValue(), "5");
    EXPECT_EQ(second.getDescription(), "first");
}

// A ranged variable takes numbers only: other texts are refused and the value stays; a
// number outside the range is clamped, and a fraction of a whole-number variable dropped,
// each with one line; a number within the range is kept as typed.
TEST_F(ConsoleVariableTest, ARangedValueIsANumberWithinItsRangeOrTheHostSaysWhatItDid) {
    auto delay = cvars->registerCvar("pp_delay", "0", "", true, true, 0.0f, true, 900.0f);
    int changes = 0;
    delay.addOnValueChanged([&](std::string, CVarWrapper) { ++changes; });
    const struct {
        const char* typed;
        const char* stored;
        const char* line; // empty: none
    } cases[] = {
        {"5000", "900", "pp_delay: 5000 is outside its range (from 0 to 900); set to 900"},
        {"-3", "0", "pp_delay: -3 is outside its range (from 0 to 900); set to 0"},
        {"12.5", "12", "pp_delay: 12.5 is not a whole number; set to 12"},
        {"007", "007", ""},
        {"7 seconds", "007", "pp_delay: \"7 seconds\" is not a number; the value stays \"007\""},
        {"1e9", "900", "pp_delay: 1e9 is outside its range (from 0 to 900); set to 900"},
        {"-0.5", "0", "pp_delay: -0.5 is not a whole number; set to 0"},
        {"nan", "0", "pp_delay: \"nan\" is not a number; the value stays \"0\""},
        {" 8", "0", "pp_delay: \" 8\" is not a number; the value stays \"0\""},
        {"", "0", "pp_delay: \"\" is not a number; the value stays \"0\""},
        {"1\t\x01", "0", "pp_delay: \"1\\t\\x01\" is not a number; the value stays \"0\""},
    };
    int expectedChanges = 0;
    std::string previous = "0";
    for (const auto& row : cases) {
        host->ClearLines();
        delay.setValue(row.typed);
        EXPECT_EQ(delay.getStringValue(), row.stored) << row.typed;
        EXPECT_EQ(Texts(), *row.line ? Words{row.line} : Words{}) << row.typed;
        if (row.stored != std::exchange(previous, row.stored)) ++expectedChanges;
    }
    EXPECT_EQ(changes, expectedChanges) << "a refused text runs no callback";

    auto fraction = cvars->registerCvar("pp_fraction", "5", "", true, true, 0.1f, true, 0.3f);
    EXPECT_EQ(fraction.getStringValue(), "0.3");
    host->RunLine("pp_fraction 0.25");
    EXPECT_EQ(fraction.getStringValue(), "0.25") << "a range with fractions keeps them";
}

TEST_F(ConsoleVariableTest, NumbersAreReadFromTheTextAndTruncated) {
    auto value = cvars->registerCvar("pp_value", "2.9");
    EXPECT_EQ(value.getIntValue(), 2);
    EXPECT_FALSE(cvars->getCvar("pp_value").IsNull());
    value.setValue("0.5");
    EXPECT_FALSE(value.getBoolValue());
    value.setValue("-1abc");
    EXPECT_EQ(value.getIntValue(), -1);
    EXPECT_TRUE(value.getBoolValue());
    value.setValue("99999999999");
    EXPECT_EQ(value.getIntValue(), 2147483647);
}

TEST_F(ConsoleVariableTest, CallbacksRunInsideSetValueOnlyOnChangeInRegistrationOrder) {
    auto value = cvars->registerCvar("pp_value", "a");
    std::vector<std::string> seen;
    value.addOnValueChanged(
        [&](std::string old, CVarWrapper cvar) { seen.push_back("first " + old + "->" + cvar.getStringValue()); });
    value.addOnValueChanged([&](std::string old, CVarWrapper) { seen.push_back("second " + old); });

    value.setValue("b");
    EXPECT_THAT(seen, ElementsAre("first a->b", "second a"));
    value.setValue("b");
    host->RunLine("pp_value b");
    EXPECT_EQ(seen.size(), 2u);
    host->RunLine("pp_value c");
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(ConsoleVariableTest, ARemovedVariableLeavesItsHandlesEmpty) {
    auto value = cvars->registerCvar("pp_value", "a");
    EXPECT_TRUE(cvars->removeCvar("pp_value"));
    value.setValue("b");
    EXPECT_EQ(value.getStringValue(), "");
    EXPECT_EQ(value.getCVarName(), "");
    EXPECT_EQ(cvars->registerCvar("pp_value", "fresh").getStringValue(), "fresh");
    EXPECT_EQ(value.getStringValue(), "");
}

// What the game keeps, the host keeps: binds across a restart (and only binds from their
// file), a cfg saved with a byte-order mark, a workshop path that starts with a blank.
TEST_F(ConsoleTest, TheHostKeepsBindsReadsMarkedFilesAndTakesWorkshopPathsAsWritten) {
    host->RunLine("bind F5 \"rec one; rec two\"");
    host->RunLine("bind F6 rec gone; unbind F6");
    host->Plugin()->cvarManager->setBind("F7", "rec seven");
    {
        std::ofstream binds(home.path() / "cfg" / "binds.cfg", std::ios::app);
        binds << "queue\nbind \"F8\" \"rec eight\"\n";
    }
    host.reset();
    FakeLibrary::DeleteMe();
    host = std::make_unique<sim::Host>(sim::HostOptions{home.path()});
    Load([this](FakePlugin& plugin) {
        plugin.cvarManager->registerNotifier(
            "rec", [this](Words words) { calls.push_back(words); }, "", 0);
    });
    calls.clear();
    host->RunLine("sim_key F5; sim_key F6; sim_key F7; sim_key F8");
    EXPECT_THAT(calls,
                ElementsAre(Words{"rec", "one"}, Words{"rec", "two"}, Words{"rec", "seven"}, Words{"rec", "eight"}));
    EXPECT_FALSE(host->IsSearching()); // the stray line in the file never ran

    {
        std::ofstream cfg(home.path() / "marked.cfg", std::ios::binary);
        cfg << "\xEF\xBB\xBFrec first\r\nrec second\n";
    }
    calls.clear();
    host->LoadCfg(home.path() / "marked.cfg");
    EXPECT_THAT(calls, ElementsAre(Words{"rec", "first"}, Words{"rec", "second"}));

    const std::string folder = (home.path() / " spaced").string();
    host->RunLine("sim_file " + folder + "/Map/map.upk");
    host->RunLine("load_workshop " + folder + "\\Map\\map.upk");
    EXPECT_EQ(host->Status(), "game: workshop " + folder + "\\Map\\map.upk; search: off");
}
