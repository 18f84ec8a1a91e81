#include <gtest/gtest.h>

#include "localization/LocalizationManager.h"
#include "support/HostFixture.h"
#include "support/TextFiles.h"

using namespace postplay;

class LocalizationTest : public HostFixture {
protected:
    LocalizationManager& manager() { return *LocalizationManager::GetInstance(); }
    void LoadAndSettle() {
        LoadPlugin();
        Wait(0.2);
    }
};

TEST_F(LocalizationTest, AcceptsEnglishAndFrenchCodesInAnyCaseAndNothingElse) {
    LoadPlugin();
    for (const char* code : {"INT", "int", "en", "En", "EN"}) EXPECT_EQ(manager().NormalizeLocale(code, "?"), "INT");
    for (const char* code : {"FRA", "Fra", "fr", "FR"}) EXPECT_EQ(manager().NormalizeLocale(code, "?"), "FRA");
    for (const char* code : {"", "english", "DEU", " fr", "fr ", "\xC3\xA9n"})
        EXPECT_EQ(manager().NormalizeLocale(code, "?"), "?") << code;
}

TEST_F(LocalizationTest, BothTablesHoldTheSameThirtyTwoKeys) {
    LoadPlugin();
    const auto& english = manager().translations.at("INT");
    const auto& french = manager().translations.at("FRA");
    ASSERT_EQ(english.size(), 32u);
    ASSERT_EQ(french.size(), 32u);
    for (const auto& [key, text] : english) EXPECT_EQ(french.count(key), 1u) << key;
    EXPECT_EQ(manager().translations.size(), 2u);
}

TEST_F(LocalizationTest, TranslateFallsBackToEnglishThenToTheKey) {
    LoadPlugin();
    manager().AddTranslation("INT", "test_english_only", "first");
    manager().AddTranslation("INT", "test_english_only", "English only");

    manager().ActivateLocale("FRA");
    EXPECT_EQ(manager().Translate("postplay_disabled"), "Postplay desactive");
    EXPECT_EQ(manager().Translate("bind_to_toggle_toolip"), "Voir la liste des bind dans l'onglet \"Bindings\"");
    EXPECT_EQ(manager().Translate("test_english_only"), "English only");
    EXPECT_EQ(manager().Translate("reset"), "reset");
    EXPECT_EQ(manager().Translate("Language"), "Language");

    manager().ActivateLocale("INT");
    EXPECT_EQ(manager().Translate("bind_to_toggle_toolip"), "See the bind list in the \"Bindings\" tab");
    EXPECT_EQ(manager().Translate("reset"), "reset");

    manager().ActivateLocale(""); // no table at all: English, else the key
    EXPECT_EQ(manager().Translate("language"), "Language");
    EXPECT_EQ(manager().Translate("missing_key"), "missing_key");

    manager().translations["INT"].erase("test_english_only");
}

TEST_F(LocalizationTest, FollowsTheGameLanguageAtFirstStart) {
    struct Case {
        std::optional<std::string> game;
        std::string locale;
    };
    for (const Case& c : {Case{"FRA", "FRA"}, Case{"fr", "FRA"}, Case{"DEU", "INT"}, Case{std::nullopt, "INT"}}) {
        SCOPED_TRACE(c.game.value_or("none"));
        StartHost(c.game);
        LoadPlugin();
        EXPECT_EQ(manager().gameLocale, c.locale);
        EXPECT_EQ(manager().ActiveLocale(), c.locale);
        EXPECT_EQ(CvarValue("plugin_language"), c.locale);
        EXPECT_TRUE(Printed("Localization initialized. Game locale: " + c.locale + ", Active locale: " + c.locale));
        TearDown();
    }
}

TEST_F(LocalizationTest, TheVariableChoosesTheLanguageAndKeepsItsText) {
    LoadAndSettle();
    TakeLines();
    Run("plugin_language fr");
    EXPECT_EQ(manager().ActiveLocale(), "FRA");
    EXPECT_EQ(CvarValue("plugin_language"), "fr");
    Run("plugin_language xyz");
    EXPECT_EQ(manager().ActiveLocale(), "INT");
    Run("plugin_language \"\"");
    EXPECT_EQ(manager().ActiveLocale(), "INT");
    EXPECT_EQ(TakeLines(),
              (std::vector<std::string>{"> plugin_language fr", "Updated locale: FRA", "> plugin_language xyz",
                                        "Updated locale: INT", "> plugin_language \"\"", "Updated locale: INT"}));
}

TEST_F(LocalizationTest, SetLanguageStoresTheCanonicalCode) {
    LoadAndSettle();
    manager().SetLanguage("fr");
    EXPECT_EQ(CvarValue("plugin_language"), "FRA");
    EXPECT_EQ(manager().ActiveLocale(), "FRA");
    EXPECT_TRUE(Printed("Updated locale: FRA"));
    manager().SetLanguage("en");
    EXPECT_EQ(CvarValue("plugin_language"), "INT");
    EXPECT_NE(SettledConfig().find("plugin_language \"INT\""), std::string::npos);
}

TEST_F(LocalizationTest, TheSavedLanguageWinsOverTheGameLanguage) {
    StartHost("INT");
    WriteText(home.path() / "cfg" / "Postplay.cfg", "plugin_language \"FRA\"\n");
    LoadPlugin();
    EXPECT_EQ(manager().ActiveLocale(), "INT");
    Wait(0.2);
    EXPECT_EQ(manager().ActiveLocale(), "FRA");
    EXPECT_EQ(manager().gameLocale, "INT");
    EXPECT_TRUE(Printed("Updated locale: FRA"));
}

TEST_F(LocalizationTest, WithoutItsVariableTheLanguageStillSwitchesUntilTheNextLoad) {
    StartHost();
    host->RefuseCvarName("plugin_language");
    manager().ActivateLocale(""); // as at the library's first load
    LoadPlugin();
    EXPECT_TRUE(Printed("PersistentStorage: Failed to register the cvar plugin_language"));
    EXPECT_TRUE(Printed("Localization initialized. Game locale: INT, Active locale: "));
    EXPECT_EQ(manager().Translate("language"), "Language");

    manager().SetLanguage("fr");
    EXPECT_EQ(manager().Translate("language"), "Langue");
    EXPECT_FALSE(Printed("Updated locale: FRA"));
}
