// The window's panels driven through real Dear ImGui frames without a display: the
// console input line, and the settings window hosting the plug-in's page.
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/WindowPanels.h"
#include "settings/PageState.h"
#include "settings/PageWidgets.h"
#include "support/HeadlessImGui.h"
#include "support/HostFixture.h"

using namespace postplay;

namespace {

constexpr int kEnterKey = 13; // any free slot of the key table

} // namespace

class WindowPanelsTest : public HostFixture {
protected:
    void SetUp() override {
        LoadPlugin();
        imgui = std::make_unique<HeadlessImGui>();
        imgui->Io().KeyMap[ImGuiKey_Enter] = kEnterKey;
        panels = std::make_unique<app::WindowPanels>(*host);
        Frame(); // the console input asks for the keyboard focus
        Frame(); // and has it from this frame on
    }

    void TearDown() override {
        panels.reset();
        imgui.reset();
        HostFixture::TearDown();
    }

    void Frame() {
        imgui->Frame([this] { panels->Draw(); });
        imgui->Io().KeysDown[kEnterKey] = false;
    }

    // Types `text` into the focused console input and presses Enter; returns whether the
    // host had run the line by the end of the frame.
    bool TypeLine(const std::string& text) {
        imgui->Io().AddInputCharactersUTF8(text.c_str());
        Frame();
        imgui->Io().KeysDown[kEnterKey] = true;
        const std::size_t before = host->Lines().size();
        Frame();
        return host->Lines().size() != before;
    }

    std::unique_ptr<HeadlessImGui> imgui;
    std::unique_ptr<app::WindowPanels> panels;
};

TEST_F(WindowPanelsTest, ALineTypedInTheConsoleRunsAfterTheFrameNotDuringIt) {
    EXPECT_FALSE(TypeLine("sim_match 11"));
    TakeLines();

    panels->RunQueuedCommands();

    EXPECT_THAT(TakeLines(), ::testing::Contains("> sim_match 11"));
    EXPECT_EQ(host->Status(), "game: match 11; search: off");
    panels->RunQueuedCommands();
    EXPECT_THAT(TakeLines(), ::testing::IsEmpty()) << "a command runs once";
}

TEST_F(WindowPanelsTest, TheConsoleKeepsTheFocusForTheNextLine) {
    TypeLine("sim_match 11");
    panels->RunQueuedCommands();
    ASSERT_EQ(host->Status(), "game: match 11; search: off");
    Frame();
    TypeLine("sim_menu");
    panels->RunQueuedCommands();

    EXPECT_EQ(host->Status(), "game: menu; search: off");
}

TEST_F(WindowPanelsTest, QuitInTheConsoleEndsTheWindowWithoutRunningAnything) {
    TypeLine("  quit ");
    TakeLines();
    panels->RunQueuedCommands();

    EXPECT_TRUE(panels->QuitRequested());
    EXPECT_THAT(TakeLines(), ::testing::IsEmpty());
}

TEST_F(WindowPanelsTest, TheSettingsWindowDrawsThePluginsPageInTheHostsContext) {
    Frame();

    ImGuiWindow* settings = ImGui::FindWindowByName("Settings");
    ASSERT_NE(settings, nullptr);
    // The page's own widgets land in a child window of the settings window.
    bool pageHasContent = false;
    for (ImGuiWindow* window : ImGui::GetCurrentContext()->Windows)
        if (window->ParentWindow == settings && window->DrawList->VtxBuffer.Size > 0) pageHasContent = true;
    EXPECT_TRUE(pageHasContent);
}

TEST_F(WindowPanelsTest, TheSettingsWindowStaysUpWhenNoPluginIsLoaded) {
    host->UnloadPlugin();

    Frame(); // must not reach the released plug-in object

    EXPECT_NE(ImGui::FindWindowByName("Settings"), nullptr);
}

// The plug-in's page in the settings window at the window's default size, in both languages and
// in every state of the training destination, with every optional row of the page shown.
class SettingsPageLayout : public WindowPanelsTest,
                           public ::testing::WithParamInterface<std::tuple<const char*, const char*>> {
protected:
    // The texts are drawn in a measuring font: the advances (the layout) stay, but each glyph's
    // quad starts far to the left and ends where the glyph's cell ends. Dear ImGui leaves out
    // the glyphs of a text that start beyond the clip edge; with these, none is left out, and a
    // text's drawing ends exactly where the text does, blank or not.
    void SetUp() override {
        WindowPanelsTest::SetUp();
        for (ImFontGlyph& glyph : ImGui::GetIO().Fonts->Fonts[0]->Glyphs) {
            glyph.X0 = -1.0e6f;
            glyph.X1 = glyph.AdvanceX;
            glyph.Visible = 1;
        }
    }

    // A frame in which the settings window draws even the items that lie wholly outside its
    // clip rectangles: Dear ImGui leaves them out except while it logs, and it logs until the
    // end of the first window drawn, the settings window.
    void DrawEveryItem() {
        ImGui::NewFrame();
        ImGui::LogToBuffer();
        panels->Draw();
        ImGui::Render();
    }

    // The child window the settings window draws the page in.
    static ImGuiWindow* PageWindow() {
        ImGuiWindow* settings = ImGui::FindWindowByName("Settings");
        for (ImGuiWindow* window : ImGui::GetCurrentContext()->Windows)
            if (window->ParentWindow == settings && (window->Flags & ImGuiWindowFlags_ChildWindow)) return window;
        return nullptr;
    }

    // Each draw command keeps the clip rectangle of the column (or window) it was drawn in: a
    // vertex beyond it belongs to an item cut at the column's edge, or hidden behind it.
    static void ExpectEveryItemInsideItsColumn() {
        const ImGuiWindow* page = PageWindow();
        ASSERT_NE(page, nullptr);
        const ImDrawList& list = *page->DrawList;
        for (const ImDrawCmd& command : list.CmdBuffer) {
            float top = FLT_MAX, bottom = -FLT_MAX; // of what is drawn past the clip edge
            for (unsigned int i = command.IdxOffset; i < command.IdxOffset + command.ElemCount; ++i) {
                const ImVec2& at = list.VtxBuffer[list.IdxBuffer[i] + command.VtxOffset].pos;
                if (at.x <= command.ClipRect.z) continue;
                top = std::min(top, at.y - page->Pos.y);
                bottom = std::max(bottom, at.y - page->Pos.y);
            }
            if (top <= bottom)
                ADD_FAILURE() << "drawn past x " << command.ClipRect.z << ", the edge of its column, between " << top
                              << " and " << bottom << " px below the page's top";
        }
    }
};

// Every item ends inside its column at the default size and at 900x600; at the default size
// the page also fits downwards without scrolling.
TEST_P(SettingsPageLayout, EveryItemEndsInsideItsColumn) {
    const auto [language, destination] = GetParam();
    namespace fs = std::filesystem;
    const fs::path maps = home.path() / "maps";
    fs::create_directories(maps / "Aerial Arena");
    std::ofstream(maps / "Aerial Arena" / "aerial_arena.upk") << "map";
    fs::create_directories(home.path() / "no maps");
    std::ofstream(home.path() / "file.txt") << "not a folder";
    const auto folder = [&](const fs::path& path) {
        return "pp_mode workshop; pp_workshop_maps_folder \"" + path.string() + "\"; pp_find_workshop_maps";
    };
    const std::map<std::string, std::string> setups = {
        {"freeplay", "pp_mode freeplay"},
        {"custom", "pp_mode custom; pp_custom_training_pack_code ABCD-1234-EFGH-5678"},
        {"workshop_maps", folder(maps)},
        {"workshop_no_maps", folder(home.path() / "no maps")},
        {"workshop_missing", folder(home.path() / "missing")},
        {"workshop_file", folder(home.path() / "file.txt")},
        {"workshop_unset", "pp_mode workshop; pp_workshop_maps_folder \"\""},
    };
    Wait(1.0); // the stored settings are in
    ResetPageState();
    Run(std::string("plugin_language ") + language + "; pp_requeue 1; pp_requeue_delay 900");
    Run("bind F3 queue; pp_toggle_bind F3"); // the bind box shows F3 with its warning: F3 runs another command
    Run(setups.at(destination));
    for (int frame = 0; frame < 2; ++frame) DrawEveryItem();
    host->Step(); // the folder's status line is in
    DrawEveryItem();

    ExpectEveryItemInsideItsColumn();
    // The settings window scrolls the page when it does not fit; at this size it must not.
    const ImGuiWindow* settings = ImGui::FindWindowByName("Settings");
    EXPECT_EQ(settings->ScrollMax.y, 0.0f) << "the page is taller than the window";
    EXPECT_EQ(settings->ScrollMax.x, 0.0f) << "the page is wider than the window";

    // Too narrow for the page beside the other panels: the page takes the width first.
    imgui->Io().DisplaySize = ImVec2(900, 600);
    for (int frame = 0; frame < 2; ++frame) DrawEveryItem();
    ExpectEveryItemInsideItsColumn();
    EXPECT_EQ(settings->ScrollMax.x, 0.0f) << "at 900x600 the page is wider than the window";
}

INSTANTIATE_TEST_SUITE_P(EachLanguageAndDestination, SettingsPageLayout,
                         ::testing::Combine(::testing::Values("INT", "FRA"),
                                            ::testing::Values("freeplay", "custom", "workshop_maps", "workshop_no_maps",
                                                              "workshop_missing", "workshop_file", "workshop_unset")),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param);
                         });
