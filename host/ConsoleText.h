// How text from the player or the disk is shown in a console line: each control character
// as \t, \n, \r or \xNN (the bytes below 0x20 and DEL), so that no typed name, folder or
// value can recolour or clear the terminal, or pass for a line of its own. Every other byte
// stays as it is. Only what is shown is escaped; values keep their bytes. The plug-in and
// the simulated host both show text by this one rule.
#pragma once

#include <string>
#include <string_view>

inline std::string EscapeControls(std::string_view text) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t')
            escaped += "\\t";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else if (byte < 0x20 || byte == 0x7f)
            escaped += {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xf]};
        else
            escaped += c;
    }
    return escaped;
}
