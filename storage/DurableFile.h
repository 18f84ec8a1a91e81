// Replaces a file's whole contents so that a crash, a kill or a power cut leaves either the
// previous file or the complete new one, and the file stays the player's: its links, owner,
// group and mode. README.md ("How the cfg file is written") gives every step and decision.
#pragma once

#include <filesystem>
#include <string>

namespace postplay {

// Writes `contents` as the new contents of `file` (through its chain of symbolic links).
// Returns an empty text on success, else a short reason why nothing was saved; the previous
// file is then left as it was. Never throws for a file-system failure.
std::string ReplaceFileDurably(const std::filesystem::path& file, const std::string& contents);

} // namespace postplay
