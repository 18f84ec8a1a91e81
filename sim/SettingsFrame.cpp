// Draws the plug-in's settings page without a window, in a Dear ImGui context of the host's.
#include <cstdarg>
#include <cstdio>

#include <imgui.h>
#include <imgui_internal.h>

#include "sim/HostImpl.h"

namespace sim {

void ImGuiContextDeleter::operator()(ImGuiContext* context) const {
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::DestroyContext(context);
    if (previous != context) ImGui::SetCurrentContext(previous);
}

namespace {

ImGuiContext* CreateSettingsContext() {
    ImGuiContext* context = ImGui::CreateContext();
    ImGui::SetCurrentContext(context);
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(1280.0f, 800.0f);
    io.DeltaTime = 1.0f / 60.0f;
    io.IniFilename = nullptr; // nothing written to the working folder
    io.LogFilename = nullptr;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    return context;
}

void PrintRecovery(void* host, const char* format, ...) {
    char message[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    static_cast<Host::Impl*>(host)->Print(std::string("Settings page: ") + message);
}

bool IsOpen(ImGuiWindow* window) {
    for (const ImGuiWindowStackData& entry : GImGui->CurrentWindowStack)
        if (entry.Window == window) return true;
    return false;
}

// Ends the host's window, first closing whatever the page left open inside it (after an
// exception, or a page that forgot an End), so the next frame starts clean.
void EndSettingsWindow(ImGuiWindow* settings, Host::Impl& host) {
    if (!IsOpen(settings)) return; // the page ended it itself
    while (ImGui::GetCurrentWindow() != settings) {
        ImGui::ErrorCheckEndWindowRecover(PrintRecovery, &host);
        ImGuiWindow* open = ImGui::GetCurrentWindow();
        const bool child = (open->Flags & ImGuiWindowFlags_ChildWindow) != 0;
        PrintRecovery(&host, "Recovered from missing %s for '%s'", child ? "EndChild()" : "End()", open->Name);
        if (child)
            ImGui::EndChild();
        else
            ImGui::End();
    }
    ImGui::ErrorCheckEndWindowRecover(PrintRecovery, &host);
    ImGui::End();
}

} // namespace

void Host::DrawSettingsFrames(int frames) { d->DrawFramesHere(frames); }

void Host::Impl::DrawFramesHere(int frames) {
    RenderSideScope renderSide;
    SharedLock alive(pageLifetime);
    MutexLock oneFrameAtATime(drawMutex);
    BakkesMod::Plugin::PluginSettingsWindow* window = PageWindow();
    if (!window) return;
    if (!imgui) imgui.reset(CreateSettingsContext());
    ImGuiContext* context = imgui.get();
    for (int frame = 0; frame < frames; ++frame) {
        ImGui::SetCurrentContext(context);
        ImGui::GetIO().DeltaTime = 1.0f / 60.0f;
        ImGui::NewFrame();
        ImGui::SetNextWindowSize(ImVec2(800.0f, 600.0f));
        ImGui::Begin("Postplay");
        ImGuiWindow* settings = ImGui::GetCurrentWindow();
        CallPlugin([&] {
            window->SetImGuiContext(reinterpret_cast<std::uintptr_t>(context));
            window->RenderSettings();
        });
        ImGui::SetCurrentContext(context);
        EndSettingsWindow(settings, *this);
        ImGui::Render();
    }
}

bool Host::DrawSettingsPage(const std::function<void(BakkesMod::Plugin::PluginSettingsWindow&)>& draw) {
    RenderSideScope renderSide;
    SharedLock alive(d->pageLifetime);
    BakkesMod::Plugin::PluginSettingsWindow* window = d->PageWindow();
    if (!window) return false;
    d->CallPlugin([&] { draw(*window); });
    return true;
}

} // namespace sim
