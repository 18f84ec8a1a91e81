// Case and class of ASCII letters and digits, the same whatever the locale: the host
// program sets the player's locale, under which <cctype> may call bytes above 127 letters
// or change their case. Pack codes, map extensions and language codes are plain ASCII.
#pragma once

#include <string>

namespace postplay {

inline constexpr bool IsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }
inline constexpr bool IsAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
inline constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline constexpr bool IsAsciiLetterOrDigit(char c) { return IsAsciiUpper(c) || IsAsciiLower(c) || IsAsciiDigit(c); }

inline constexpr char AsciiToUpper(char c) { return IsAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }
inline constexpr char AsciiToLower(char c) { return IsAsciiUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

// `text` with its ASCII letters in upper (or lower) case; every other byte as it was.
inline std::string AsciiUpperCase(std::string text) {
    for (char& c : text) c = AsciiToUpper(c);
    return text;
}

inline std::string AsciiLowerCase(std::string text) {
    for (char& c : text) c = AsciiToLower(c);
    return text;
}

} // namespace postplay
