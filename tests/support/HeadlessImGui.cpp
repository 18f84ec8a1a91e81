#include "HeadlessImGui.h"

HeadlessImGui::HeadlessImGui() : context(ImGui::CreateContext()) {
    ImGuiIO& io = Io();
    io.DisplaySize = ImVec2(1280.0f, 800.0f);
    io.DeltaTime = 1.0f / 60.0f;
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
}

HeadlessImGui::~HeadlessImGui() { ImGui::DestroyContext(context); }

ImGuiIO& HeadlessImGui::Io() {
    ImGui::SetCurrentContext(context);
    return ImGui::GetIO();
}

void HeadlessImGui::BeginFrame() {
    ImGui::SetCurrentContext(context);
    ImGui::NewFrame();
}

void HeadlessImGui::EndFrame() { ImGui::Render(); }

void HeadlessImGui::BeginPageWindow() {
    ImGui::SetNextWindowSize(ImVec2(800.0f, 600.0f));
    ImGui::Begin("Postplay");
}
