#include "training/TrainingMode.h"

#include <array>
#include <cstddef>

namespace TrainingMode {

namespace {
constexpr std::array<const char*, 3> kTextForms = {"freeplay", "custom", "workshop"};
}

Mode FromString(const std::string& text) {
    if (text == kTextForms[Custom]) return Custom;
    if (text == kTextForms[Workshop]) return Workshop;
    return FreePlay;
}

const char* ToString(Mode mode) {
    switch (mode) {
    case Custom: return kTextForms[Custom];
    case Workshop: return kTextForms[Workshop];
    case FreePlay: break;
    }
    return kTextForms[FreePlay];
}

} // namespace TrainingMode

namespace {

constexpr std::size_t kPackCodeLength = 19;

bool IsGroupSeparatorPosition(std::size_t index) {
    return index == 4 || index == 9 || index == 14;
}

// Plain ASCII tests: the locale-aware <cctype> forms could accept bytes above 127.
bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiLetterOrDigit(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}

} // namespace

bool ValidateTrainingPackCode(std::string& code) {
    if (code.size() != kPackCodeLength) return false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const bool valid = IsGroupSeparatorPosition(i) ? code[i] == '-' : IsAsciiLetterOrDigit(code[i]);
        if (!valid) return false;
    }
    for (char& c : code) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return true;
}
