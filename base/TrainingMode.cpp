#include "base/TrainingMode.h"

#include <array>
#include <cstddef>
#include <utility>

#include "base/AsciiText.h"

namespace postplay {

namespace TrainingMode {

namespace {
constexpr std::array kTextForms{"freeplay", "custom", "workshop"}; // by Mode
}

Mode FromString(const std::string& text) {
    if (text == kTextForms[Custom]) return Custom;
    if (text == kTextForms[Workshop]) return Workshop;
    return FreePlay;
}

const char* ToString(Mode mode) {
    switch (mode) {
    case Custom:
        return kTextForms[Custom];
    case Workshop:
        return kTextForms[Workshop];
    case FreePlay:
        break;
    }
    return kTextForms[FreePlay];
}

} // namespace TrainingMode

namespace {

constexpr std::size_t kPackCodeLength = 19;

bool IsGroupSeparatorPosition(std::size_t index) { return index == 4 || index == 9 || index == 14; }

} // namespace

bool ValidateTrainingPackCode(std::string& code) {
    if (code.size() != kPackCodeLength) return false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const bool valid = IsGroupSeparatorPosition(i) ? code[i] == '-' : IsAsciiLetterOrDigit(code[i]);
        if (!valid) return false;
    }
    code = AsciiUpperCase(std::move(code));
    return true;
}

bool IsStorablePackCode(const std::string& text) {
    std::string candidate = text;
    return text.empty() || ValidateTrainingPackCode(candidate);
}

} // namespace postplay
