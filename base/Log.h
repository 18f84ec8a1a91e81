// The plug-in's console logging. `Log` formats with {fmt} and writes one line through
// globalCvarManager. Text that carries user input goes in as an argument of a "{}"
// format, never as the format itself. A malformed format is logged as it stands rather
// than thrown, so logging never ends an entry point abnormally. Every line the plug-in
// writes goes through LogLine, which shows its control characters escaped
// (host/ConsoleText.h): a folder, map, code or key name holding an escape sequence or a
// line break cannot recolour the terminal or pass for a line of its own.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/format.h>

#include "host/CVarManagerWrapper.h"

namespace postplay {

// Set by onLoad; the library-wide console handle that Log writes through.
extern std::shared_ptr<CVarManagerWrapper> globalCvarManager;

// One finished line, its control characters escaped, through globalCvarManager (no-op when
// unset); for lines that must not go through the formatter (braces in a folder stay).
void LogLine(const std::string& line);

template <typename... Args>
void Log(std::string_view text, Args&&... args) {
    std::string line;
    try {
        line = fmt::vformat(text, fmt::make_format_args(args...));
    } catch (const fmt::format_error&) {
        line.assign(text.data(), text.size());
    }
    LogLine(line);
}

} // namespace postplay
