#include "app/Panels.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <cstdint>
#include <utility>

#include "app/ConsoleLoop.h"
#include "app/ConsoleOutput.h"
#include "host/PluginSettingsWindow.h"
#include "sim/Host.h"

namespace app {
namespace {

// Fixed places for a 1280x800 window, so pictures of it come out the same every time.
void PlaceNextWindow(float x, float y, float width, float height) {
    ImGui::SetNextWindowPos(ImVec2(x, y), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(width, height), ImGuiCond_FirstUseEver);
}

ImVec4 LineColour(const std::string& text) {
    if (text.rfind("> ", 0) == 0) return ImVec4(0.55f, 0.75f, 1.0f, 1.0f);      // echoed command
    if (text.rfind("toast", 0) == 0) return ImVec4(1.0f, 0.85f, 0.35f, 1.0f);   // toast
    return ImGui::GetStyleColorVec4(ImGuiCol_Text);
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r") == std::string::npos;
}

} // namespace

Panels::Panels(sim::Host& host, bool focusConsole)
    : host(host), consoleInput(host), focusInput(focusConsole) {}

void Panels::Draw() {
    DrawSettings();
    DrawGame();
    DrawConsole();
}

void Panels::RunQueuedCommands() {
    for (const std::string& command : std::exchange(queued, {})) host.RunInput(command);
}

std::vector<std::string> Panels::TakeQueuedCommands() { return std::exchange(queued, {}); }

void Panels::Queue(std::string command) { queued.push_back(std::move(command)); }

void Panels::Submit(std::string line) {
    if (IsQuitCommand(line)) quit = true;
    else if (!IsBlank(line)) Queue(std::move(line));
}

void Panels::DrawSettings() {
    // Wide enough for the page's two columns to hold every caption and button of either
    // language side by side; the game panel and the console take the rest.
    PlaceNextWindow(8, 8, 816, 784);
    if (ImGui::Begin("Settings")) {
        const bool drawn = host.DrawSettingsPage([](BakkesMod::Plugin::PluginSettingsWindow& page) {
            if (!ImGui::BeginTabBar("plugins")) return;
            const std::string name = page.GetPluginName();
            if (ImGui::BeginTabItem(name.c_str())) {
                ImGui::BeginChild("page");
                page.SetImGuiContext(reinterpret_cast<std::uintptr_t>(ImGui::GetCurrentContext()));
                page.RenderSettings();
                ImGui::EndChild();
                ImGui::EndTabItem();
            }
            ImGui::EndTabBar();
        });
        if (!drawn) ImGui::TextDisabled("No plug-in is loaded.");
    }
    ImGui::End();
}

void Panels::DrawGame() {
    PlaceNextWindow(832, 8, 440, 228);
    if (ImGui::Begin("Game")) {
        ImGui::TextUnformatted(host.Status().c_str());
        ImGui::SameLine();
        ImGui::TextDisabled("(time %.1f s)", host.Now());
        ImGui::Separator();

        ImGui::SetNextItemWidth(140);
        ImGui::InputInt("Playlist id", &playlistId);
        ImGui::SameLine();
        if (ImGui::Button("Start match")) Queue("sim_match " + std::to_string(playlistId));

        ImGui::TextUnformatted("Winner team");
        ImGui::SameLine();
        ImGui::RadioButton("0", &winnerTeam, 0);
        ImGui::SameLine();
        ImGui::RadioButton("1", &winnerTeam, 1);
        ImGui::SameLine();
        if (ImGui::Button("End match")) Queue("sim_end " + std::to_string(winnerTeam));
        ImGui::SameLine();
        if (ImGui::Button("Report MMR")) Queue("sim_mmr");

        ImGui::TextUnformatted("Party");
        for (const char* party : {"none", "leader", "member"}) {
            ImGui::SameLine();
            if (ImGui::Button(party)) Queue(std::string("sim_party ") + party);
        }

        if (ImGui::Button("Queue")) Queue("queue");
        ImGui::SameLine();
        if (ImGui::Button("Menu")) Queue("sim_menu");
        ImGui::SameLine();
        if (ImGui::Button("Disconnect")) Queue("sim_disconnect");
        ImGui::SameLine();
        if (ImGui::Button("Reload plug-in")) Queue("sim_reload");
    }
    ImGui::End();
}

void Panels::DrawConsole() {
    PlaceNextWindow(832, 244, 440, 548);
    if (ImGui::Begin("Console")) {
        const std::string& matches = consoleInput.Matches();  // an ambiguous Tab's, above the line
        const float footer = ImGui::GetStyle().ItemSpacing.y + ImGui::GetFrameHeightWithSpacing() +
                             (matches.empty() ? 0.0f : ImGui::GetTextLineHeightWithSpacing());
        ImGui::BeginChild("log", ImVec2(0, -footer), false, ImGuiWindowFlags_HorizontalScrollbar);
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

void Panels::DrawConsoleLog() {
    if (host.LineCount() < shownLines.size()) shownLines.clear();  // the host's log was cleared
    for (sim::ConsoleLine& line : host.LinesFrom(shownLines.size())) shownLines.push_back(std::move(line));
    const std::vector<sim::ConsoleLine>& lines = shownLines;
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(lines.size()));
    while (clipper.Step()) {
        for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
            const sim::ConsoleLine& line = lines[static_cast<std::size_t>(i)];
            ImGui::PushStyleColor(ImGuiCol_Text, LineColour(line.text));
            ImGui::TextUnformatted(FormatLine(line).c_str());
            ImGui::PopStyleColor();
        }
    }
    // Follow new lines while the view is at the bottom; stay put when the user scrolled up.
    if (ImGui::GetScrollY() >= ImGui::GetScrollMaxY()) ImGui::SetScrollHereY(1.0f);
}

} // namespace app
