#include <memory>
#include <string>
#include <vector>

#include "PageFixture.h"

using namespace postplay;

namespace {

using imgui_double::Click;
using imgui_double::Type;

constexpr const char* kBox = "##BinKeyInput";
constexpr const char* kReset = "reset##ResetBindKey";

class KeyBindTest : public PageTest {
protected:
    // Types the key, presses bind, and lets the game thread run the job.
    void BindThroughThePage(const std::string& key) {
        Type(kBox, key);
        Click("Bind");
        Frame();
        host->Step();
    }
};

bool ShowsWarning(const std::vector<Call>& calls) {
    const Call* warning =
        Find(calls, Kind::TextColored, "This key is already bound, you may want to change it to another key");
    return warning && SameColour(warning->colour, ImVec4(1.0f, 0.7f, 0.0f, 1.0f));
}

} // namespace

TEST_F(KeyBindTest, BindAndResetShowOnlyWhileTheBoxDiffersFromTheStoredKey) {
    auto calls = Frame();
    EXPECT_EQ(Get(calls, Kind::InputText, kBox).text, "");
    EXPECT_FALSE(Has(calls, Kind::Button, "Bind"));
    EXPECT_FALSE(Has(calls, Kind::Button, kReset));

    Type(kBox, "F3");
    calls = Frame();
    EXPECT_TRUE(Has(calls, Kind::Button, "Bind"));
    EXPECT_TRUE(Has(calls, Kind::Button, kReset));

    Click(kReset);
    Frame();
    calls = Frame();
    EXPECT_EQ(Get(calls, Kind::InputText, kBox).text, "");
    EXPECT_FALSE(Has(calls, Kind::Button, "Bind"));
}

// The stored key may arrive after the first frame (the saved settings load a moment
// later): the box follows it until the player types, then keeps what was typed.
TEST_F(KeyBindTest, BoxFollowsTheStoredKeyWhileThePlayerIsNotEditingIt) {
    EXPECT_EQ(Get(Frame(), Kind::InputText, kBox).text, "");
    Run("pp_toggle_bind F7");
    auto calls = Frame();
    EXPECT_EQ(Get(calls, Kind::InputText, kBox).text, "F7");
    EXPECT_FALSE(Has(calls, Kind::Button, "Bind"));

    Type(kBox, "F9");
    Frame();
    Run("pp_toggle_bind F8");
    calls = Frame();
    EXPECT_EQ(Get(calls, Kind::InputText, kBox).text, "F9");
    EXPECT_TRUE(Has(calls, Kind::Button, "Bind"));

    Click(kReset);
    Frame();
    Run("pp_toggle_bind F6");
    EXPECT_EQ(Get(Frame(), Kind::InputText, kBox).text, "F6");
}

// The job runs on the game thread some frames after the click: until then the box keeps
// the key typed and the row keeps offering bind and reset; afterwards it follows the stored
// key again.
TEST_F(KeyBindTest, BindAndResetStayUntilTheStoredKeyIsTheKeyTyped) {
    Type(kBox, "F4");
    Click("Bind");
    Frame();
    for (int frame = 0; frame < 2; ++frame) {
        const auto calls = Frame();
        EXPECT_EQ(Get(calls, Kind::InputText, kBox).text, "F4");
        EXPECT_TRUE(Has(calls, Kind::Button, "Bind"));
        EXPECT_TRUE(Has(calls, Kind::Button, kReset));
    }
    host->Step();
    auto calls = Frame();
    EXPECT_EQ(Get(calls, Kind::InputText, kBox).text, "F4");
    EXPECT_FALSE(Has(calls, Kind::Button, "Bind"));
    EXPECT_FALSE(Has(calls, Kind::Button, kReset));

    Run("pp_toggle_bind F8");
    EXPECT_EQ(Get(Frame(), Kind::InputText, kBox).text, "F8");
}

TEST_F(KeyBindTest, WarnsAboutAKeyBoundToAnotherCommandUntilThePageBindsIt) {
    Run("bind F5 queue");
    Type(kBox, "F5");
    EXPECT_TRUE(ShowsWarning(Frame())) << "before anything is pressed";

    BindThroughThePage("F5");
    EXPECT_EQ(Bind("F5"), "pp_toggle");
    EXPECT_EQ(CvarValue("pp_toggle_bind"), "F5");
    const auto calls = Frame();
    EXPECT_FALSE(ShowsWarning(calls));
    EXPECT_FALSE(Has(calls, Kind::Button, "Bind"));
}

TEST_F(KeyBindTest, RebindingRemovesThePreviousKeyOnlyWhileItStillRunsTheToggle) {
    BindThroughThePage("F3");
    BindThroughThePage("F4");
    EXPECT_EQ(Bind("F3"), "");
    EXPECT_EQ(Bind("F4"), "pp_toggle");
    EXPECT_EQ(CvarValue("pp_toggle_bind"), "F4");

    Run("bind F4 queue"); // the player gave F4 to something else
    BindThroughThePage("F6");
    EXPECT_EQ(Bind("F4"), "queue");
    EXPECT_EQ(Bind("F6"), "pp_toggle");
}

TEST_F(KeyBindTest, BindJobUsesTheKeyAsItWasWhenBindWasClicked) {
    Type(kBox, "F4");
    Click("Bind");
    Frame();
    Type(kBox, "F9"); // edited again before the game thread runs the job
    Frame();
    host->Step();
    EXPECT_EQ(CvarValue("pp_toggle_bind"), "F4");
    EXPECT_EQ(Bind("F4"), "pp_toggle");
    EXPECT_EQ(Bind("F9"), "");
}

// A double quote, ';' or a control character would read back as another command or value.
TEST_F(KeyBindTest, RefusesKeyNamesThatWouldReadBackAsAnotherCommand) {
    std::string stored;
    for (int byte = 1; byte < 256; ++byte) {
        const std::string key = std::string("F3") + static_cast<char>(byte) + "pp_enabled 0";
        const bool refused = byte == '"' || byte == ';' || byte < 0x20 || byte == 0x7f;
        TakeLines();
        BindThroughThePage(key);
        stored = refused ? stored : key;
        EXPECT_EQ(CvarValue("pp_toggle_bind"), stored) << byte;
        EXPECT_EQ(Bind(key), refused ? "" : "pp_toggle") << byte;
        EXPECT_EQ(TakeLines().size(), refused ? 1u : 0u) << "one line says why, for " << byte;
        EXPECT_EQ(Get(Frame(), Kind::InputText, kBox).text, stored) << "the box shows the stored key again";
    }
    EXPECT_EQ(CvarValue("pp_enabled"), "1");
}

TEST_F(KeyBindTest, BindJobDoesNothingOnceThePluginObjectIsGone) {
    Frame(); // the box is filled from the stored key
    auto other = std::make_shared<PostplayPlugin>();
    other->cvarManager = plugin().cvarManager;
    other->gameWrapper = plugin().gameWrapper;
    other->toggleBind = plugin().toggleBind;

    Type(kBox, "F4");
    Click("Bind");
    imgui_double::BeginFrame();
    other->RenderKeyBindSetting();
    imgui_double::EndFrame();
    other.reset();
    host->Step();

    EXPECT_EQ(Bind("F4"), "");
    EXPECT_EQ(CvarValue("pp_toggle_bind"), "");
}
