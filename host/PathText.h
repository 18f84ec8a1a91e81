// Paths and the UTF-8 texts that name them, the same in C++17 and C++20 (where u8string()
// returns std::u8string and u8path is deprecated). Console lines, cfg values and the
// player's folder and map names are UTF-8; these turn them into paths and back.
#pragma once

#include <filesystem>
#include <string>

inline std::string PathToUtf8(const std::filesystem::path& path) {
#if defined(__cpp_lib_char8_t)
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.u8string();
#endif
}

inline std::filesystem::path Utf8ToPath(const std::string& text) {
#if defined(__cpp_lib_char8_t)
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
    return std::filesystem::u8path(text);
#endif
}
