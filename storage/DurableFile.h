// Replaces a file's whole contents so that a crash, a kill or a power cut leaves either the
// previous file or the complete new one.
#pragma once

#include <filesystem>
#include <string>

// Writes `contents` as the new contents of `file` (through its chain of symbolic links).
// Returns an empty text on success, else why nothing was saved; the previous file is then
// left as it was.
std::string ReplaceFileDurably(const std::filesystem::path& file, const std::string& contents);
