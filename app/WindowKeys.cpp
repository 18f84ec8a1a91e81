#include "app/WindowKeys.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <iterator>

namespace app {
namespace {

struct NamedKey {
    int code;
    BindKey key;
};

constexpr bool kText = true;
constexpr bool kNoText = false;

// Letters, digits, F1-F12 and the number pad's digits come in runs of codes, below.
constexpr NamedKey kNamedKeys[] = {
    {GLFW_KEY_SPACE, {"SpaceBar", kText}},
    {GLFW_KEY_APOSTROPHE, {"Quote", kText}},
    {GLFW_KEY_COMMA, {"Comma", kText}},
    {GLFW_KEY_MINUS, {"Underscore", kText}},
    {GLFW_KEY_PERIOD, {"Period", kText}},
    {GLFW_KEY_SLASH, {"Slash", kText}},
    {GLFW_KEY_SEMICOLON, {"Semicolon", kText}},
    {GLFW_KEY_EQUAL, {"Equals", kText}},
    {GLFW_KEY_LEFT_BRACKET, {"LeftBracket", kText}},
    {GLFW_KEY_BACKSLASH, {"Backslash", kText}},
    {GLFW_KEY_RIGHT_BRACKET, {"RightBracket", kText}},
    {GLFW_KEY_GRAVE_ACCENT, {"Tilde", kText}},
    {GLFW_KEY_ESCAPE, {"Escape", kNoText}},
    {GLFW_KEY_ENTER, {"Enter", kText}},
    {GLFW_KEY_TAB, {"Tab", kText}},
    {GLFW_KEY_BACKSPACE, {"BackSpace", kText}},
    {GLFW_KEY_INSERT, {"Insert", kNoText}},
    {GLFW_KEY_DELETE, {"Delete", kText}},
    {GLFW_KEY_RIGHT, {"Right", kNoText}},
    {GLFW_KEY_LEFT, {"Left", kNoText}},
    {GLFW_KEY_DOWN, {"Down", kNoText}},
    {GLFW_KEY_UP, {"Up", kNoText}},
    {GLFW_KEY_PAGE_UP, {"PageUp", kNoText}},
    {GLFW_KEY_PAGE_DOWN, {"PageDown", kNoText}},
    {GLFW_KEY_HOME, {"Home", kNoText}},
    {GLFW_KEY_END, {"End", kNoText}},
    {GLFW_KEY_CAPS_LOCK, {"CapsLock", kNoText}},
    {GLFW_KEY_SCROLL_LOCK, {"ScrollLock", kNoText}},
    {GLFW_KEY_NUM_LOCK, {"NumLock", kNoText}},
    {GLFW_KEY_PAUSE, {"Pause", kNoText}},
    {GLFW_KEY_KP_DECIMAL, {"Decimal", kText}},
    {GLFW_KEY_KP_DIVIDE, {"Divide", kText}},
    {GLFW_KEY_KP_MULTIPLY, {"Multiply", kText}},
    {GLFW_KEY_KP_SUBTRACT, {"Subtract", kText}},
    {GLFW_KEY_KP_ADD, {"Add", kText}},
    {GLFW_KEY_KP_ENTER, {"Enter", kText}},
    {GLFW_KEY_LEFT_SHIFT, {"LeftShift", kText}},
    {GLFW_KEY_LEFT_CONTROL, {"LeftControl", kText}},
    {GLFW_KEY_LEFT_ALT, {"LeftAlt", kText}},
    {GLFW_KEY_RIGHT_SHIFT, {"RightShift", kText}},
    {GLFW_KEY_RIGHT_CONTROL, {"RightControl", kText}},
    {GLFW_KEY_RIGHT_ALT, {"RightAlt", kText}},
};

constexpr const char* kLetters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr const char* kDigits[] = {"Zero", "One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine"};
constexpr const char* kPadDigits[] = {"NumPadZero", "NumPadOne", "NumPadTwo",   "NumPadThree", "NumPadFour",
                                      "NumPadFive", "NumPadSix", "NumPadSeven", "NumPadEight", "NumPadNine"};
constexpr const char* kFunctionKeys[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};

// The name at `code - first` in `names`, when `code` lies in the run starting at `first`.
template <std::size_t N>
std::optional<BindKey> InRun(int code, int first, const char* const (&names)[N], bool typesText) {
    if (code < first || code >= first + static_cast<int>(N)) return std::nullopt;
    return BindKey{names[code - first], typesText};
}

} // namespace

std::optional<BindKey> BindKeyFor(int glfwKey) {
    if (auto key = InRun(glfwKey, GLFW_KEY_A, kLetters, kText)) return key;
    if (auto key = InRun(glfwKey, GLFW_KEY_0, kDigits, kText)) return key;
    if (auto key = InRun(glfwKey, GLFW_KEY_KP_0, kPadDigits, kText)) return key;
    if (auto key = InRun(glfwKey, GLFW_KEY_F1, kFunctionKeys, kNoText)) return key;
    const auto* found = std::find_if(std::begin(kNamedKeys), std::end(kNamedKeys),
                                     [glfwKey](const NamedKey& named) { return named.code == glfwKey; });
    if (found == std::end(kNamedKeys)) return std::nullopt;
    return found->key;
}

} // namespace app
