#include <fstream>

#include "FakePlugin.h"

using ::testing::ElementsAre;
using Words = std::vector<std::string>;

class ConsoleTest : public SimHostTest {
protected:
    // Loads a plug-in with a command "rec" that records the words it is given.
    void SetUp() override {
        SimHostTest::SetUp();
        Load([this](FakePlugin& plugin) {
            plugin.cvarManager->registerNotifier("rec", [this](Words words) { calls.push_back(words); }, "", 0);
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
    host->Plugin()->cvarManager->registerNotifier("queue", [this](Words words) { calls.push_back(words); }, "", 0);

    host->RunLine("queue now; pp_value \"two words\"; pp_value; no_such_thing 1");

    EXPECT_THAT(calls, ElementsAre(Words{"queue", "now"}));
    EXPECT_FALSE(host->IsSearching());
    EXPECT_THAT(Texts(), ElementsAre("pp_value \"two words\"", "Unknown command: no_such_thing"));
}

TEST_F(ConsoleTest, InputIsEchoedThenRunThenStepped) {
    host->Plugin()->cvarManager->registerNotifier("later", [this](Words) {
        host->Plugin()->gameWrapper->SetTimeout([this](GameWrapper*) { host->Print("timer ran"); }, 0.0f);
        host->Print("command ran");
    }, "", 0);

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

TEST_F(ConsoleVariableTest, ARangedValueIsClampedAndStoredAsTheClampedNumber) {
    auto delay = cvars->registerCvar("pp_delay", "0", "", true, true, 0.0f, true, 900.0f);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"5000", "900"}, {"-3", "0"}, {"12.5", "12.5"}, {"007", "007"}, {"7 seconds", "7"},
        {"none", "0"},   {"1e9", "900"}, {"nan", "0"}, {" 8", "8"}};
    for (const auto& [typed, stored] : cases) {
        delay.setValue(typed);
        EXPECT_EQ(delay.getStringValue(), stored) << typed;
    }
    delay.setValue(1000);
    EXPECT_EQ(delay.getStringValue(), "900");

    auto fraction = cvars->registerCvar("pp_fraction", "5", "", true, true, 0.1f, true, 0.3f);
    EXPECT_EQ(fraction.getStringValue(), "0.3");
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
    value.addOnValueChanged([&](std::string old, CVarWrapper cvar) {
        seen.push_back("first " + old + "->" + cvar.getStringValue());
    });
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
        plugin.cvarManager->registerNotifier("rec", [this](Words words) { calls.push_back(words); }, "", 0);
    });
    calls.clear();
    host->RunLine("sim_key F5; sim_key F6; sim_key F7; sim_key F8");
    EXPECT_THAT(calls, ElementsAre(Words{"rec", "one"}, Words{"rec", "two"}, Words{"rec", "seven"},
                                   Words{"rec", "eight"}));
    EXPECT_FALSE(host->IsSearching());           // the stray line in the file never ran

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
