// Small helpers for tests that prepare or read the settings file and map folders.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The settings file with every default and the language "INT".
inline constexpr const char* kDefaultSettingsFile =
    "plugin_language \"INT\" //Set the language for plugin UI and messages\n"
    "pp_custom_training_pack_code \"\" //Custom training pack code\n"
    "pp_enable_casual \"1\" //Enable casual mode\n"
    "pp_enable_competitive \"1\" //Enable competitive mode\n"
    "pp_enabled \"1\" //Enable the plugin\n"
    "pp_mode \"freeplay\" //Set the training mode (freeplay/custom)\n"
    "pp_requeue \"1\" //Toggle auto requeue\n"
    "pp_requeue_delay \"0\" //Set requeue delay in seconds\n"
    "pp_toggle_bind \"\" //Key bind to toggle the plugin\n"
    "pp_wait_mmr \"1\" //Wait for MMR to be visible before leaving\n"
    "pp_workshop_map \"\" //Workshop map\n"
    "pp_workshop_maps_folder \"\" //Workshop maps folder\n";

// The whole file as written, or an empty text when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whole file with LF line ends, or an empty text when it cannot be read. Windows
// writes text files (the settings file among them) with CRLF line ends.
inline std::string ReadText(const std::filesystem::path& file) {
    std::string text = ReadBytes(file);
#if defined(_WIN32)
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) text.erase(at, 1);
#endif
    return text;
}

// Makes a symbolic link; false when this process may not make one (Windows grants it only
// with a privilege or in developer mode, and Wine not at all). Tests where the link is one
// bad path among others still check the rest without it: a missing link is unusable too.
inline bool TryCreateSymlink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    return !error;
}

inline constexpr const char* kNoSymlinks = "this system does not let the tests make symbolic links";

// Writes the file, creating its folders.
inline void WriteText(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// `text` with the line of the variable `name` given the value `value`.
inline std::string WithValue(std::string text, const std::string& name, const std::string& value) {
    const std::string start = name + " \"";
    std::size_t at = text.find(start);
    while (at != std::string::npos && at != 0 && text[at - 1] != '\n') at = text.find(start, at + 1);
    if (at == std::string::npos) return text;
    const std::size_t valueStart = at + start.size();
    const std::size_t valueEnd = text.find("\" //", valueStart);
    return text.replace(valueStart, valueEnd - valueStart, value);
}
