#include <chrono>
#include <string>
#include <vector>

#include "PageFixture.h"

using namespace postplay;

namespace {

using imgui_double::Click;
using imgui_double::Fail;
using imgui_double::Hover;
using imgui_double::OpenCombo;
using imgui_double::Slide;
using imgui_double::Type;

} // namespace

TEST(FormatMinutesSeconds, PadsTheSecondsAndLetsTheMinutesGrow) {
    EXPECT_EQ(page::FormatMinutesSeconds(0), "0:00");
    EXPECT_EQ(page::FormatMinutesSeconds(59), "0:59");
    EXPECT_EQ(page::FormatMinutesSeconds(70), "1:10");
    EXPECT_EQ(page::FormatMinutesSeconds(605), "10:05");
    EXPECT_EQ(page::FormatMinutesSeconds(3600), "60:00");
}

// The whole page with every item hovered: each label, tooltip, colour, width, gap and row.
TEST_F(PageTest, DrawsEveryRowTooltipAndColourInItsPlace) {
    Run("bind F9 sim_menu");
    Type("##BinKeyInput", "F9");
    OpenCombo("##LanguageSelector");
    imgui_double::HoverEverything();
    EXPECT_EQ(
        Layout(Frame()),
        R"('Version 1.0.1.3 by Postplay team' + colour21(0.4,0.6,0.9,1) colour22(0.5,0.7,1,1) colour23(0.3,0.5,0.8,1)
[Discord] /colour3 tip'Join our Discord server' + colour21(0.1,0.6,0.9,1) colour22(0.2,0.7,1,1) colour23(0,0.5,0.8,1)
[Donate] /colour3 tip'Support the development on PayPal'
gap10
columns2|
'Language' width150
combo##LanguageSelector'English' {
item* English focus
item Francais
} /width + [Reset language]
gap10
'Set bind to toggle plugin' + [?##bindHelp] tip'See the bind list in the "Bindings" tab' width200
box##BinKeyInput='F9' /width tip'See the bind list in the "Bindings" tab' + [Bind] + [reset##ResetBindKey] wrap
notice'This key is already bound, you may want to change it to another key' /wrap
gap10
[x]Enable Postplay >
[x]Enable in competitive mode
[x]Enable in casual mode <
gap10
[x]Auto requeue >
'Requeue Delay (seconds):'
slider##RequeueDelay=0 0..900 + '0:00' <
gap10
[x]Wait for MMR before leaving tip'If enabled, the plugin will wait until MMR is visible before leaving a match'
next-column
'Training mode:'
(o)Free play + ( )Custom training + ( )Workshop
gap10)");

    const auto rightColumn = [this] {
        imgui_double::HoverEverything();
        std::string layout = Layout(Frame());
        const std::string folder = home.path().string();
        if (const auto at = layout.find(folder); at != std::string::npos) layout.replace(at, folder.size(), "HOME");
        return layout.substr(layout.find("next-column"));
    };
    Run("pp_mode custom");
    Type("##CustomTrainingPackCode", "abcd");
    EXPECT_EQ(rightColumn(), R"(next-column
'Training mode:'
( )Free play + (o)Custom training + ( )Workshop >
'Custom training pack code:'
box##CustomTrainingPackCode='abcd' tip'Enter a valid training pack code (like 1234-ABCD-5678-EFGH)' wrap
error'Enter a valid training pack code (like 1234-ABCD-5678-EFGH)' /wrap <
gap10)");

    Run("pp_mode workshop");
    Run("pp_workshop_maps_folder " + home.path().string());
    plugin().workshopMaps->Replace(MapList({"A\\a.upk", "B\\b.upk"}));
    Run("pp_workshop_map B\\b.upk");
    Frame();
    Settle();
    OpenCombo("##WorkshopMapSelector");
    EXPECT_EQ(rightColumn(), R"(next-column
'Training mode:'
( )Free play + ( )Custom training + (o)Workshop >
'Workshop map folder:' width280
box##WorkshopMapsFolder='HOME' /width tip'Enter the full path to your workshop maps folder' + [Refresh] >
'Select Workshop Map:' width280
combo##WorkshopMapSelector'B' {
item A
item* B focus
} /width < <
gap10)");
}

TEST_F(PageTest, EachSwitchWritesItsOwnVariable) {
    const std::vector<std::pair<std::string, std::string>> switches = {
        {"Enable Postplay", "pp_enabled"},
        {"Enable in competitive mode", "pp_enable_competitive"},
        {"Enable in casual mode", "pp_enable_casual"},
        {"Auto requeue", "pp_requeue"},
        {"Wait for MMR before leaving", "pp_wait_mmr"},
    };
    for (std::size_t clicked = 0; clicked < switches.size(); ++clicked) {
        Click(switches[clicked].first);
        Frame();
        for (std::size_t i = 0; i < switches.size(); ++i) {
            EXPECT_EQ(CvarValue(switches[i].second), i <= clicked ? "0" : "1")
                << "after clicking " << switches[clicked].first << ": " << switches[i].second;
        }
    }
    const auto calls = Frame();
    EXPECT_FALSE(Get(calls, Kind::Checkbox, "Enable in casual mode").on);
}

TEST_F(PageTest, DelayRowAppearsInTheFrameItsBoxIsTicked) {
    Run("pp_requeue 0");
    EXPECT_FALSE(Has(Frame(), Kind::Slider, "##RequeueDelay"));

    Click("Auto requeue");
    const auto calls = Frame();
    EXPECT_TRUE(Has(calls, Kind::Slider, "##RequeueDelay"));
    EXPECT_EQ(CvarValue("pp_requeue"), "1");
}

TEST_F(PageTest, DelayShowsAsMinutesAndSecondsBesideTheSlider) {
    Slide("##RequeueDelay", 90);
    auto calls = Frame();
    EXPECT_EQ(CvarValue("pp_requeue_delay"), "90");
    EXPECT_EQ(Next(calls, Get(calls, Kind::Slider, "##RequeueDelay"), Kind::Text).label, "1:30")
        << "the text follows the slider in the same frame";

    Run("pp_requeue_delay 3600");
    calls = Frame();
    const Call& slider = Get(calls, Kind::Slider, "##RequeueDelay");
    EXPECT_EQ(slider.value, 3600);
    EXPECT_EQ(Next(calls, slider, Kind::Text).label, "60:00");
}

TEST_F(PageTest, PackCodeIsStoredUpperCasedOnlyWhenItIsAValidCode) {
    // While the box holds a text that is not stored, its format hint stands below it in
    // the error colour.
    const std::string hint = "Enter a valid training pack code (like 1234-ABCD-5678-EFGH)";
    const auto hinted = [&](const std::vector<Call>& calls) {
        const Call* line = Find(calls, Kind::TextColored, hint);
        return line != nullptr && SameColour(line->colour, page::kErrorColour);
    };
    Run("pp_mode custom");
    Type("##CustomTrainingPackCode", "1234-abcd-5678-efgh");
    EXPECT_FALSE(hinted(Frame()));
    EXPECT_EQ(CvarValue("pp_custom_training_pack_code"), "1234-ABCD-5678-EFGH");

    for (const char* wrong : {"1234-ABCD-5678-EFG", "1234_ABCD-5678-EFGH", "1234-ABCD-5678-EF\xC3\xA9", "12345"}) {
        Type("##CustomTrainingPackCode", wrong);
        EXPECT_TRUE(hinted(Frame())) << wrong;
        EXPECT_EQ(CvarValue("pp_custom_training_pack_code"), "1234-ABCD-5678-EFGH") << wrong;
    }
    const auto calls = Frame();
    EXPECT_EQ(Get(calls, Kind::InputText, "##CustomTrainingPackCode").text, "1234-ABCD-5678-EFGH")
        << "the box shows the stored code again";
    EXPECT_FALSE(hinted(calls));

    Type("##CustomTrainingPackCode", "");
    EXPECT_FALSE(hinted(Frame()));
    EXPECT_EQ(CvarValue("pp_custom_training_pack_code"), "");
}

TEST_F(PageTest, RightColumnFollowsTheModeReadAtTheStartOfTheFrame) {
    Run("pp_custom_training_pack_code ABCD-1234-EFGH-5678");
    auto calls = Frame();
    EXPECT_TRUE(Get(calls, Kind::RadioButton, "Free play").on);
    EXPECT_FALSE(Has(calls, Kind::InputText, "##CustomTrainingPackCode"));

    Click("Custom training");
    calls = Frame();
    EXPECT_EQ(CvarValue("pp_mode"), "custom");
    EXPECT_FALSE(Has(calls, Kind::InputText, "##CustomTrainingPackCode"));

    Click("Workshop");
    calls = Frame();
    EXPECT_TRUE(Get(calls, Kind::RadioButton, "Custom training").on);
    EXPECT_EQ(Get(calls, Kind::InputText, "##CustomTrainingPackCode").text, "ABCD-1234-EFGH-5678");
    EXPECT_FALSE(Has(calls, Kind::InputText, "##WorkshopMapsFolder"));
    EXPECT_EQ(CvarValue("pp_mode"), "workshop");

    calls = Frame();
    EXPECT_TRUE(Has(calls, Kind::InputText, "##WorkshopMapsFolder"));
    EXPECT_FALSE(Has(calls, Kind::InputText, "##CustomTrainingPackCode"));
}

TEST_F(PageTest, ChoosingFrenchTurnsTheLabelsAfterTheSelectorFrenchInTheSameFrame) {
    OpenCombo("##LanguageSelector");
    Click("Francais");
    auto calls = Frame();
    EXPECT_EQ(CvarValue("plugin_language"), "FRA");
    EXPECT_TRUE(Printed("Updated locale: FRA"));
    EXPECT_TRUE(Has(calls, Kind::Text, "Language")) << "drawn before the choice";
    EXPECT_EQ(Get(calls, Kind::Combo, "##LanguageSelector").text, "English");
    EXPECT_TRUE(Has(calls, Kind::Button, "Reinitialiser la langue"));
    EXPECT_TRUE(Has(calls, Kind::Checkbox, "Activer Postplay"));
    EXPECT_TRUE(Has(calls, Kind::RadioButton, "Entrainement personalise"));

    OpenCombo("##LanguageSelector");
    calls = Frame();
    EXPECT_TRUE(Has(calls, Kind::Text, "Langue"));
    EXPECT_EQ(Get(calls, Kind::Combo, "##LanguageSelector").text, "Francais");
    std::vector<std::string> options;
    for (const Call& call : calls)
        if (call.kind == Kind::Selectable) options.push_back(call.label);
    EXPECT_EQ(options, (std::vector<std::string>{"English", "Francais"}));
    const Call* current = Find(calls, Kind::Selectable, "Francais");
    ASSERT_NE(current, nullptr);
    EXPECT_TRUE(current->on);
    EXPECT_EQ(current[1].kind, Kind::DefaultFocus);

    Click("Reinitialiser la langue");
    Frame();
    EXPECT_EQ(CvarValue("plugin_language"), "INT") << "back to the game's language";
}

TEST_F(PageTest, ChoosingTheActiveLanguageChangesNothing) {
    TakeLines();
    OpenCombo("##LanguageSelector");
    Click("English");
    Frame();
    EXPECT_TRUE(TakeLines().empty());
    EXPECT_EQ(CvarValue("plugin_language"), "INT");
}

TEST_F(PageTest, AFaultWhileDrawingEndsOnlyThatFrameWithOneLine) {
    TakeLines();
    Fail("Auto requeue");
    EXPECT_NO_THROW(Frame());
    EXPECT_EQ(TakeLines(), std::vector<std::string>{"Postplay: drawing the settings page failed: unknown error"});
    EXPECT_TRUE(Has(Frame(), Kind::Checkbox, "Auto requeue"));
}
