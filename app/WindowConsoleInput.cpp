#include "app/WindowConsoleInput.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include "app/Completion.h"
#include "sim/Host.h"

namespace app {
namespace {

void Replace(ImGuiInputTextCallbackData* data, const std::string& text) {
    data->DeleteChars(0, data->BufTextLen);
    data->InsertChars(0, text.c_str());
}

} // namespace

WindowConsoleInput::WindowConsoleInput(const sim::Host& host)
    : names([&host] { return ConsoleNames(host); }), history(ConsoleHistory::FileIn(host.Home())),
      position(history.Entries().size()) {}

bool WindowConsoleInput::Draw(const char* label, std::string& text) {
    const ImGuiInputTextFlags flags = ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_CallbackHistory |
                                      ImGuiInputTextFlags_CallbackCompletion | ImGuiInputTextFlags_CallbackEdit;
    ImGui::SetNextItemWidth(-1);
    if (!ImGui::InputText(label, &text, flags, &WindowConsoleInput::OnInputEvent, this)) return false;
    history.Add(text);
    position = history.Entries().size();
    draft.clear();
    matches.clear();
    return true;
}

int WindowConsoleInput::OnInputEvent(ImGuiInputTextCallbackData* data) {
    WindowConsoleInput& self = *static_cast<WindowConsoleInput*>(data->UserData);
    switch (data->EventFlag) {
    case ImGuiInputTextFlags_CallbackHistory:
        self.Recall(data, data->EventKey == ImGuiKey_UpArrow);
        break;
    case ImGuiInputTextFlags_CallbackCompletion:
        self.CompleteWord(data);
        break;
    case ImGuiInputTextFlags_CallbackEdit:
        self.matches.clear();
        break;
    default:
        break;
    }
    return 0;
}

void WindowConsoleInput::Recall(ImGuiInputTextCallbackData* data, bool older) {
    const std::vector<std::string>& entries = history.Entries();
    if (position > entries.size()) position = entries.size();
    if (older) {
        if (position == 0) return;
        if (position == entries.size()) draft.assign(data->Buf, static_cast<std::size_t>(data->BufTextLen));
        --position;
    } else {
        if (position == entries.size()) return;
        ++position;
    }
    Replace(data, position == entries.size() ? draft : entries[position]);
}

void WindowConsoleInput::CompleteWord(ImGuiInputTextCallbackData* data) {
    const std::string beforeCursor(data->Buf, static_cast<std::size_t>(data->CursorPos));
    const Completion completion = Complete(beforeCursor, names());
    matches.clear();
    if (!completion.addition.empty()) {
        data->InsertChars(data->CursorPos, completion.addition.c_str());
        return;
    }
    if (completion.matches.size() < 2) return;
    for (const std::string& match : completion.matches) matches += (matches.empty() ? "" : "  ") + match;
}

} // namespace app
