#include "app/WindowPanels.h"

#include <imgui.h>
#include <imgui_internal.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "app/ConsoleOutput.h"
#include "app/StdinConsole.h"
#include "host/PluginSettingsWindow.h"
#include "sim/Host.h"

namespace app {
namespace {

constexpr float kMargin = 8.0f;
// The page's two columns hold every caption and button of either language side by side
// at this width; a narrower settings window scrolls rather than cut them.
constexpr float kPageWidth = 800.0f;
constexpr float kSettingsWidth = kPageWidth + 2 * kMargin; // with the window's padding
constexpr float kSideMinWidth = 300.0f;                    // the game panel and the console beside the page
// In a window too narrow for the page beside the other panels, the page takes at most this
// share of the window's height, and the game panel and the console the rest below it.
constexpr float kStackedSettingsShare = 0.7f;
constexpr float kStackedGameShare = 0.45f; // of the width below the page, for the game panel
constexpr ImGuiWindowFlags kPanelFlags =
    ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse;

// Places the next panel for this frame; a height of 0 fits the panel to its content.
void PlaceNextWindow(float x, float y, float width, float height) {
    ImGui::SetNextWindowPos(ImVec2(x, y), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(width, height), ImGuiCond_Always);
}

ImVec4 LineColour(const std::string& text) {
    if (text.rfind("> ", 0) == 0) return ImVec4(0.55f, 0.75f, 1.0f, 1.0f);    // echoed command
    if (text.rfind("toast", 0) == 0) return ImVec4(1.0f, 0.85f, 0.35f, 1.0f); // toast
    return ImGui::GetStyleColorVec4(ImGuiCol_Text);
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r") == std::string::npos; }

// Keeps the next item on the current line when `width` more pixels fit there, else starts
// a new line: the game panel's rows wrap in a narrow window.
void SameLineIfItFits(float width) {
    const float right = ImGui::GetItemRectMax().x + ImGui::GetStyle().ItemSpacing.x + width;
    if (right <= ImGui::GetWindowPos().x + ImGui::GetWindowContentRegionMax().x) ImGui::SameLine();
}

float ButtonWidth(const char* label) {
    return ImGui::CalcTextSize(label, nullptr, true).x + 2 * ImGui::GetStyle().FramePadding.x;
}

bool ButtonInRow(const char* label) {
    SameLineIfItFits(ButtonWidth(label));
    return ImGui::Button(label);
}

void RadioInRow(const char* label, int* value, int button) {
    SameLineIfItFits(ImGui::GetFrameHeight() + ImGui::GetStyle().ItemInnerSpacing.x + ImGui::CalcTextSize(label).x);
    ImGui::RadioButton(label, value, button);
}

} // namespace

WindowPanels::WindowPanels(sim::Host& host, bool focusConsole)
    : host(host), consoleInput(host), focusInput(focusConsole) {}

void WindowPanels::Draw() {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float room = display.x - 3 * kMargin; // for the settings window and the side panels
    if (room < kSettingsWidth + kSideMinWidth) return DrawStacked(display);
    const float sideX = 2 * kMargin + kSettingsWidth;
    const float sideWidth = room - kSettingsWidth;
    DrawSettings(ImVec2(kMargin, kMargin), ImVec2(kSettingsWidth, display.y - 2 * kMargin));
    DrawGame(ImVec2(sideX, kMargin), sideWidth, display.y / 2);
    const float consoleTop = gameBottom + kMargin;
    DrawConsole(ImVec2(sideX, consoleTop), ImVec2(sideWidth, display.y - kMargin - consoleTop));
}

// Too narrow for the page beside the other panels: the page takes the window's width, so
// that both its columns show, and as much of its height as it needs up to a share of the
// window; the game panel and the console share the rest, side by side.
void WindowPanels::DrawStacked(const ImVec2& display) {
    const float width = display.x - 2 * kMargin;
    const float most = std::floor(display.y * kStackedSettingsShare);
    const float settingsHeight = settingsHeightWanted > 0.0f ? std::min(settingsHeightWanted, most) : most;
    DrawSettings(ImVec2(kMargin, kMargin), ImVec2(width, settingsHeight));
    const float top = 2 * kMargin + settingsHeight;
    const float height = std::max(1.0f, display.y - kMargin - top);
    const float below = width - kMargin;
    const float gameWidth = std::max(std::min(kSideMinWidth, below / 2), std::floor(below * kStackedGameShare));
    DrawGame(ImVec2(kMargin, top), gameWidth, height);
    DrawConsole(ImVec2(2 * kMargin + gameWidth, top), ImVec2(below - gameWidth, height));
}

void WindowPanels::RunQueuedCommands() {
    for (const std::string& command : std::exchange(queued, {})) host.RunInput(command);
}

std::vector<std::string> WindowPanels::TakeQueuedCommands() { return std::exchange(queued, {}); }

void WindowPanels::Queue(std::string command) { queued.push_back(std::move(command)); }

void WindowPanels::Submit(std::string line) {
    if (IsQuitCommand(line))
        quit = true;
    else if (!IsBlank(line))
        Queue(std::move(line));
}

void WindowPanels::DrawSettings(const ImVec2& position, const ImVec2& size) {
    PlaceNextWindow(position.x, position.y, size.x, size.y);
    if (ImGui::Begin("Settings", nullptr, kPanelFlags | ImGuiWindowFlags_HorizontalScrollbar)) {
        const bool drawn = host.DrawSettingsPage([this](BakkesMod::Plugin::PluginSettingsWindow& page) {
            if (!ImGui::BeginTabBar("plugins")) return;
            const std::string name = page.GetPluginName();
            if (ImGui::BeginTabItem(name.c_str())) {
                // At least as wide as its columns need and as tall as it was drawn last: when
                // the window is smaller, the settings window scrolls the page instead of cutting it.
                const ImVec2 room = ImGui::GetContentRegionAvail();
                const float pageTop = ImGui::GetCursorPosY();
                ImGui::BeginChild("page", ImVec2(std::max(room.x, kPageWidth), std::max(room.y, pageHeight)));
                page.SetImGuiContext(reinterpret_cast<std::uintptr_t>(ImGui::GetCurrentContext()));
                page.RenderSettings();
                // The page may leave its columns open: the lowest item of any column counts.
                const ImGuiWindow& drawn = *ImGui::GetCurrentWindow();
                pageHeight = drawn.DC.CursorMaxPos.y - drawn.DC.CursorStartPos.y;
                ImGui::EndChild();
                ImGui::EndTabItem();
                const float scrollBar = room.x < kPageWidth ? ImGui::GetStyle().ScrollbarSize : 0.0f;
                settingsHeightWanted = pageTop + pageHeight + ImGui::GetStyle().WindowPadding.y + scrollBar;
            }
            ImGui::EndTabBar();
        });
        if (!drawn) ImGui::TextDisabled("No plug-in is loaded.");
    }
    ImGui::End();
}

void WindowPanels::DrawGame(const ImVec2& position, float width, float maxHeight) {
    // As tall as its content and at most `maxHeight`, so that the console has the rest.
    ImGui::SetNextWindowSizeConstraints(ImVec2(width, 0.0f), ImVec2(width, maxHeight));
    PlaceNextWindow(position.x, position.y, width, 0.0f);
    if (ImGui::Begin("Game", nullptr, kPanelFlags)) {
        // The status line is never cut: it wraps (a long workshop path) and the clock moves
        // below it when they do not fit on one line.
        const std::string status = host.Status();
        char clock[48];
        std::snprintf(clock, sizeof clock, "(time %.1f s)", host.Now());
        const float oneLine =
            ImGui::CalcTextSize(status.c_str()).x + ImGui::GetStyle().ItemSpacing.x + ImGui::CalcTextSize(clock).x;
        if (oneLine <= ImGui::GetContentRegionAvail().x) {
            ImGui::TextUnformatted(status.c_str());
            ImGui::SameLine();
        } else {
            ImGui::PushTextWrapPos(0.0f);
            ImGui::TextUnformatted(status.c_str());
            ImGui::PopTextWrapPos();
        }
        ImGui::TextDisabled("%s", clock);
        ImGui::Separator();
        DrawGameButtons();
    }
    gameBottom = ImGui::GetWindowPos().y + ImGui::GetWindowHeight();
    ImGui::End();
}

void WindowPanels::DrawGameButtons() {
    ImGui::SetNextItemWidth(140);
    ImGui::InputInt("Playlist id", &playlistId);
    if (ButtonInRow("Start match")) Queue("sim_match " + std::to_string(playlistId));

    ImGui::TextUnformatted("Winner team");
    RadioInRow("0", &winnerTeam, 0);
    RadioInRow("1", &winnerTeam, 1);
    if (ButtonInRow("End match")) Queue("sim_end " + std::to_string(winnerTeam));
    if (ButtonInRow("Report MMR")) Queue("sim_mmr");

    ImGui::TextUnformatted("Party");
    for (const char* party : {"none", "leader", "member"})
        if (ButtonInRow(party)) Queue(std::string("sim_party ") + party);

    if (ImGui::Button("Queue")) Queue("queue");
    if (ButtonInRow("Menu")) Queue("sim_menu");
    if (ButtonInRow("Disconnect")) Queue("sim_disconnect");
    if (ButtonInRow("Reload plug-in")) Queue("sim_reload");
}

void WindowPanels::DrawConsole(const ImVec2& position, const ImVec2& size) {
    PlaceNextWindow(position.x, position.y, size.x, std::max(1.0f, size.y));
    if (ImGui::Begin("Console", nullptr, kPanelFlags)) {
        const std::string& matches = consoleInput.Matches(); // an ambiguous Tab's, above the line
        const float footer = ImGui::GetStyle().ItemSpacing.y + ImGui::GetFrameHeightWithSpacing() +
                             (matches.empty() ? 0.0f : ImGui::GetTextLineHeightWithSpacing());
        ImGui::BeginChild("log", ImVec2(0, -footer));
        DrawConsoleLog();
        ImGui::EndChild();
        ImGui::Separator();

        if (!matches.empty()) ImGui::TextDisabled("%s", matches.c_str());
        if (consoleInput.Draw("##command", input)) {
            Submit(std::exchange(input, std::string()));
            focusInput = true;
        }
        if (focusInput) {
            ImGui::SetKeyboardFocusHere(-1);
            focusInput = false;
        }
    }
    ImGui::End();
}

void WindowPanels::TakeNewLines() {
    if (const std::size_t clears = host.ClearCount(); clears != clearsSeen) { // the host's log was cleared
        clearsSeen = clears;
        log.clear();
        logTops.clear();
        linesTaken = 0;
    }
    for (const sim::ConsoleLine& line : host.LinesFrom(linesTaken)) {
        log.push_back({FormatLine(line), LineColour(line.text)});
        ++linesTaken;
    }
}

void WindowPanels::MeasureLog(float wrapWidth) {
    if (wrapWidth != logWidth) logTops.clear();
    logWidth = wrapWidth;
    if (logTops.empty()) logTops.push_back(0.0f);
    const float spacing = ImGui::GetStyle().ItemSpacing.y;
    for (std::size_t i = logTops.size() - 1; i < log.size(); ++i) {
        const std::string& text = log[i].text;
        const float height = ImGui::CalcTextSize(text.c_str(), text.c_str() + text.size(), false, wrapWidth).y;
        logTops.push_back(logTops.back() + height + spacing);
    }
}

// Long lines wrap at the panel's edge. Only the lines in view are laid out; the log's full
// height still gives the scroll bar its size.
void WindowPanels::DrawConsoleLog() {
    TakeNewLines();
    MeasureLog(ImGui::GetContentRegionAvail().x);
    const bool following = ImGui::GetScrollY() >= ImGui::GetScrollMaxY();
    const float start = ImGui::GetCursorPosY();
    const float viewTop = ImGui::GetScrollY() - start;
    const float viewBottom = viewTop + ImGui::GetWindowHeight();
    std::size_t line =
        static_cast<std::size_t>(std::upper_bound(logTops.begin() + 1, logTops.end(), viewTop) - logTops.begin() - 1);
    ImGui::SetCursorPosY(start + logTops[line]);
    ImGui::PushTextWrapPos(0.0f);
    for (; line < log.size() && logTops[line] < viewBottom; ++line) {
        const std::string& text = log[line].text;
        ImGui::PushStyleColor(ImGuiCol_Text, log[line].colour);
        ImGui::TextUnformatted(text.c_str(), text.c_str() + text.size());
        ImGui::PopStyleColor();
    }
    ImGui::PopTextWrapPos();
    const float end = start + logTops.back() - (log.empty() ? 0.0f : ImGui::GetStyle().ItemSpacing.y);
    ImGui::SetCursorPosY(end);
    // Follow new lines while the view is at the bottom; stay put when the user scrolled up.
    if (following) ImGui::SetScrollY(end);
}

} // namespace app
