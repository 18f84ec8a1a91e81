// Keys pressed in the window, under the names the game's binds use (`bind F5 pp_toggle`).
// A key is named by its place on the keyboard (a US layout), as the game names it, whatever
// character the player's layout gives it.
#pragma once

#include <optional>

namespace app {

struct BindKey {
    const char* name; // "F5", "Escape", "A", "SpaceBar", ...
    // The key types or edits text (a letter, a digit, a sign, space, the number pad, Enter,
    // Tab, Backspace, Delete, Shift, Control, Alt): while a text field has the keyboard, the
    // key belongs to the field and runs no bind. Other keys (F1-F12, Escape, the arrows,
    // Home, End, Page Up, Page Down, Insert, Pause, ...) run their bind wherever the keyboard is.
    bool typesText;
};

// The key of a GLFW key code; nothing for a key the game has no name for.
std::optional<BindKey> BindKeyFor(int glfwKey);

// Whether pressing `key` runs its bind, given whether a text field has the keyboard.
inline bool RunsBind(const BindKey& key, bool textFieldHasKeyboard) { return !key.typesText || !textFieldHasKeyboard; }

} // namespace app
