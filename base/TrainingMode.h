// The three training destinations, their text forms (the values of the mode setting) and the
// training pack code rule.
#pragma once

#include <cstdint>
#include <string>

namespace postplay {

namespace TrainingMode {

enum Mode : std::int32_t {
    FreePlay = 0,
    Custom = 1,
    Workshop = 2,
};

// "freeplay", "custom" or "workshop"; exact and case-sensitive. Any other text is FreePlay.
Mode FromString(const std::string& text);
// The text form of a mode.
const char* ToString(Mode mode);

} // namespace TrainingMode

// True when `code` is four groups of four ASCII letters or digits joined by "-" (19 bytes).
// On success the letters of `code` are upper-cased in place; on failure it is untouched.
bool ValidateTrainingPackCode(std::string& code);

// What the pack-code setting may hold: no code (the empty text) or a code that passes the
// check, in either case. Anything else is refused before it is stored.
bool IsStorablePackCode(const std::string& text);

} // namespace postplay
