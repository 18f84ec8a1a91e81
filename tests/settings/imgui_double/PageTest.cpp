#include <string>
#include <vector>

#include "PageFixture.h"
#include "settings/SettingsPage.h"

namespace {

using imgui_double::Click;
using imgui_double::Fail;
using imgui_double::Hover;
using imgui_double::OpenCombo;
using imgui_double::Slide;
using imgui_double::Type;

// Style colours pushed and popped, item widths, indents and open combos all come back
// to where they started by the end of the frame.
void ExpectBalanced(const std::vector<Call>& calls) {
    int colours = 0, widths = 0, indents = 0, combos = 0;
    for (const Call& call : calls) {
        switch (call.kind) {
        case Kind::PushColour: ++colours; break;
        case Kind::PopColour: colours -= call.value; break;
        case Kind::PushWidth: ++widths; break;
        case Kind::PopWidth: --widths; break;
        case Kind::Indent: ++indents; break;
        case Kind::Unindent: --indents; break;
        case Kind::Combo: combos += call.on ? 1 : 0; break;
        case Kind::EndCombo: --combos; break;
        default: break;
        }
        ASSERT_GE(colours, 0);
        ASSERT_GE(widths, 0);
        ASSERT_GE(indents, 0);
        ASSERT_GE(combos, 0);
    }
    EXPECT_EQ(colours, 0);
    EXPECT_EQ(widths, 0);
    EXPECT_EQ(indents, 0);
    EXPECT_EQ(combos, 0);
}

void ExpectLinkButton(const std::vector<Call>& calls, const std::string& label, const std::vector<ImVec4>& colours,
                      const std::string& tooltip) {
    const Call* button = Find(calls, Kind::Button, label);
    ASSERT_NE(button, nullptr) << label;
    const ImGuiCol slots[] = {ImGuiCol_Button, ImGuiCol_ButtonHovered, ImGuiCol_ButtonActive};
    for (int i = 0; i < 3; ++i) {
        const Call& push = *(button - 3 + i);
        ASSERT_EQ(push.kind, Kind::PushColour) << label;
        EXPECT_EQ(push.value, slots[i]) << label;
        EXPECT_TRUE(SameColour(push.colour, colours[i])) << label << " colour " << i;
    }
    EXPECT_EQ(button[1].kind, Kind::PopColour);
    EXPECT_EQ(button[1].value, 3);
    const Call* hint = Find(calls, Kind::Tooltip, label);
    ASSERT_NE(hint, nullptr) << label;
    EXPECT_EQ(hint->text, tooltip);
}

} // namespace

TEST(FormatMinutesSeconds, PadsTheSecondsAndLetsTheMinutesGrow) {
    EXPECT_EQ(FormatMinutesSeconds(0), "0:00");
    EXPECT_EQ(FormatMinutesSeconds(59), "0:59");
    EXPECT_EQ(FormatMinutesSeconds(90), "1:30");
    EXPECT_EQ(FormatMinutesSeconds(605), "10:05");
    EXPECT_EQ(FormatMinutesSeconds(3600), "60:00");
}

TEST_F(PageTest, HeaderShowsTheVersionAndTwoLinkButtonsInTheirOwnColours) {
    Hover("Discord");
    Hover("Donate");
    const auto calls = Frame();

    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].kind, Kind::Text);
    EXPECT_EQ(calls[0].label, "Version 1.0.1.3 by Postplay team");
    ExpectLinkButton(calls, "Discord", {{0.4f, 0.6f, 0.9f, 1.0f}, {0.5f, 0.7f, 1.0f, 1.0f}, {0.3f, 0.5f, 0.8f, 1.0f}},
                     "Join our Discord server");
    ExpectLinkButton(calls, "Donate", {{0.1f, 0.6f, 0.9f, 1.0f}, {0.2f, 0.7f, 1.0f, 1.0f}, {0.0f, 0.5f, 0.8f, 1.0f}},
                     "Support the development on PayPal");
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.kind == Kind::PushColour; }), 6)
        << "no other button has colours of its own";

    const Call* columns = Find(calls, Kind::Columns, "SettingsColumns");
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(columns->value, 2);
    EXPECT_TRUE(columns->on);
}

TEST_F(PageTest, LeavesEveryImGuiStackAsItFoundItInEachMode) {
    for (const char* mode : {"freeplay", "custom", "workshop"}) {
        Run(std::string("pp_mode ") + mode);
        plugin().workshopMaps->Replace({"A\\a.upk", "B\\b.upk"});
        Run("pp_workshop_maps_folder " + home.path().string());
        OpenCombo("##LanguageSelector");
        OpenCombo("##WorkshopMapSelector");
        SCOPED_TRACE(mode);
        ExpectBalanced(Frame());
    }
}

TEST_F(PageTest, EachSwitchWritesItsOwnVariable) {
    const std::vector<std::pair<std::string, std::string>> switches = {
        {"Enable Postplay", "pp_enabled"},        {"Enable in competitive mode", "pp_enable_competitive"},
        {"Enable in casual mode", "pp_enable_casual"}, {"Auto requeue", "pp_requeue"},
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

TEST_F(PageTest, PackCodeBoxAlwaysHintsAtTheFormat) {
    Run("pp_mode custom");
    Hover("##CustomTrainingPackCode");
    Hover("Wait for MMR before leaving");
    const auto calls = Frame();
    EXPECT_EQ(Get(calls, Kind::Tooltip, "##CustomTrainingPackCode").text,
              "Enter a valid training pack code (like 1234-ABCD-5678-EFGH)");
    EXPECT_EQ(Get(calls, Kind::Tooltip, "Wait for MMR before leaving").text,
              "If enabled, the plugin will wait until MMR is visible before leaving a match");
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
    for (const Call& call : calls) if (call.kind == Kind::Selectable) options.push_back(call.label);
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
