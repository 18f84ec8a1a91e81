// What the settings page keeps between frames, for as long as the library is loaded.
#pragma once

namespace postplay {

// What the page keeps between frames. Everything else is read again from the plug-in
// object at the start of each frame.
struct SettingsPageState {
    char keyBindBuffer[256] = {};        // the key name shown and edited in the bind box
    bool keyBindEdited = false;          // the box holds the player's text, not yet the stored key
    bool workshopAutoScanPending = true; // one automatic workshop scan per library lifetime
};

// The library's one page state.
SettingsPageState& PageState();
// Back to the state of a freshly loaded library (for programs that load the plug-in many
// times in one process, such as the test programs).
void ResetPageState();

} // namespace postplay
