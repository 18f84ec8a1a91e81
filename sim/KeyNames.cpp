// The game's key names, as its binds use them: keys by their place on a US keyboard, the
// mouse's buttons and the gamepad's. sim_key tells a name of none of them from a key
// without a bind.
#include <algorithm>
#include <iterator>
#include <string_view>

#include "sim/HostImpl.h"

namespace sim {

namespace {

constexpr std::string_view kKeyNames[] = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U",
    "V", "W", "X", "Y", "Z",
    "Zero", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "Escape", "Tab", "Tilde", "ScrollLock", "Pause", "CapsLock", "NumLock", "SpaceBar", "Enter", "BackSpace",
    "Insert", "Delete", "Home", "End", "PageUp", "PageDown", "Up", "Down", "Left", "Right",
    "Underscore", "Equals", "LeftBracket", "RightBracket", "Backslash", "Semicolon", "Quote", "Comma", "Period",
    "Slash",
    "LeftShift", "RightShift", "LeftControl", "RightControl", "LeftAlt", "RightAlt",
    "NumPadZero", "NumPadOne", "NumPadTwo", "NumPadThree", "NumPadFour", "NumPadFive", "NumPadSix",
    "NumPadSeven", "NumPadEight", "NumPadNine", "Decimal", "Divide", "Multiply", "Subtract", "Add",
    "LeftMouseButton", "RightMouseButton", "MiddleMouseButton", "ThumbMouseButton", "ThumbMouseButton2",
    "MouseScrollUp", "MouseScrollDown",
    "XboxTypeS_A", "XboxTypeS_B", "XboxTypeS_X", "XboxTypeS_Y", "XboxTypeS_LeftShoulder", "XboxTypeS_RightShoulder",
    "XboxTypeS_LeftTrigger", "XboxTypeS_RightTrigger", "XboxTypeS_LeftThumbStick", "XboxTypeS_RightThumbStick",
    "XboxTypeS_Start", "XboxTypeS_Back", "XboxTypeS_DPad_Up", "XboxTypeS_DPad_Down", "XboxTypeS_DPad_Left",
    "XboxTypeS_DPad_Right",
};

} // namespace

bool IsGameKeyName(const std::string& name) {
    return std::find(std::begin(kKeyNames), std::end(kKeyNames), name) != std::end(kKeyNames);
}

} // namespace sim
