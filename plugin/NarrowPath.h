// File names the plug-in hands to the host as text (the cfg file for loadCfg, the toast
// logo) are in the platform's narrow form: the bytes of the name on POSIX systems, the ANSI
// code page on Windows. Texts the player types stay UTF-8 and never pass through here.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The narrow text of `path`, or nothing when the narrow encoding cannot name that file.
std::optional<std::string> NarrowPathText(const std::filesystem::path& path);
