// A Dear ImGui context without a window, for driving the settings page and the host's panels
// in tests and benchmarks: a 1280 by 800 display, the fonts built, nothing written to disk.
// Input is scripted through Io() before a frame. PageFrame draws the page inside an 800 by
// 600 window named "Postplay", as the host's settings window holds it.
#pragma once

#include <imgui.h>

class HeadlessImGui {
public:
    HeadlessImGui();
    ~HeadlessImGui();
    HeadlessImGui(const HeadlessImGui&) = delete;
    HeadlessImGui& operator=(const HeadlessImGui&) = delete;

    ImGuiIO& Io();

    // One frame; `body` draws between NewFrame and Render.
    template <class Body>
    void Frame(Body&& body) {
        BeginFrame();
        body();
        EndFrame();
    }

    // One frame of the host's settings window, `page` drawing the page inside it.
    template <class Page>
    void PageFrame(Page&& page) {
        Frame([&] {
            BeginPageWindow();
            page();
            ImGui::End();
        });
    }

private:
    void BeginFrame();
    void EndFrame();
    void BeginPageWindow();

    ImGuiContext* context = nullptr;
};
