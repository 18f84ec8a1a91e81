// The window's panels driven through real Dear ImGui frames without a display: the
// console input line, and the settings window hosting the plug-in's page.
#include <imgui.h>
#include <imgui_internal.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/Panels.h"
#include "support/HostFixture.h"

namespace {

constexpr int kEnterKey = 13;  // any free slot of the key table

} // namespace

class PanelsTest : public HostFixture {
protected:
    void SetUp() override {
        LoadPlugin();
        context = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(1280, 800);
        io.DeltaTime = 1.0f / 60;
        io.KeyMap[ImGuiKey_Enter] = kEnterKey;
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
        panels = std::make_unique<app::Panels>(*host);
        Frame();  // the console input asks for the keyboard focus
        Frame();  // and has it from this frame on
    }

    void TearDown() override {
        panels.reset();
        ImGui::DestroyContext(context);
        HostFixture::TearDown();
    }

    void Frame() {
        ImGui::NewFrame();
        panels->Draw();
        ImGui::Render();
        ImGui::GetIO().KeysDown[kEnterKey] = false;
    }

    // Types `text` into the focused console input and presses Enter; returns whether the
    // host had run the line by the end of the frame.
    bool TypeLine(const std::string& text) {
        ImGui::GetIO().AddInputCharactersUTF8(text.c_str());
        Frame();
        ImGui::GetIO().KeysDown[kEnterKey] = true;
        const std::size_t before = host->Lines().size();
        Frame();
        return host->Lines().size() != before;
    }

    ImGuiContext* context = nullptr;
    std::unique_ptr<app::Panels> panels;
};

TEST_F(PanelsTest, ALineTypedInTheConsoleRunsAfterTheFrameNotDuringIt) {
    EXPECT_FALSE(TypeLine("sim_match 11"));
    TakeLines();

    panels->RunQueuedCommands();

    EXPECT_THAT(TakeLines(), ::testing::Contains("> sim_match 11"));
    EXPECT_EQ(host->Status(), "game: match 11; search: off");
    panels->RunQueuedCommands();
    EXPECT_THAT(TakeLines(), ::testing::IsEmpty()) << "a command runs once";
}

TEST_F(PanelsTest, TheConsoleKeepsTheFocusForTheNextLine) {
    TypeLine("sim_match 11");
    panels->RunQueuedCommands();
    ASSERT_EQ(host->Status(), "game: match 11; search: off");
    Frame();
    TypeLine("sim_menu");
    panels->RunQueuedCommands();

    EXPECT_EQ(host->Status(), "game: menu; search: off");
}

TEST_F(PanelsTest, QuitInTheConsoleEndsTheWindowWithoutRunningAnything) {
    TypeLine("  quit ");
    TakeLines();
    panels->RunQueuedCommands();

    EXPECT_TRUE(panels->QuitRequested());
    EXPECT_THAT(TakeLines(), ::testing::IsEmpty());
}

TEST_F(PanelsTest, TheSettingsWindowDrawsThePluginsPageInTheHostsContext) {
    Frame();

    ImGuiWindow* settings = ImGui::FindWindowByName("Settings");
    ASSERT_NE(settings, nullptr);
    // The page's own widgets land in a child window of the settings window.
    bool pageHasContent = false;
    for (ImGuiWindow* window : ImGui::GetCurrentContext()->Windows)
        if (window->ParentWindow == settings && window->DrawList->VtxBuffer.Size > 0) pageHasContent = true;
    EXPECT_TRUE(pageHasContent);
}

TEST_F(PanelsTest, TheSettingsWindowStaysUpWhenNoPluginIsLoaded) {
    host->UnloadPlugin();

    Frame();  // must not reach the released plug-in object

    EXPECT_NE(ImGui::FindWindowByName("Settings"), nullptr);
}
