// File names the plug-in hands to the host as text (the cfg file for loadCfg, the toast
// logo) are in the platform's narrow form, the form in which the host opens them: the bytes
// of the name on POSIX systems, the ANSI code page on Windows. Texts the player types stay
// UTF-8 and never pass through here.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace postplay {

// The narrow text of `path`, or nothing when no narrow text names that file. Never throws.
//
// POSIX: the path's bytes, always.
// Windows: the path in the ANSI code page when every character has an exact form there (no
// best-fit look-alikes, no default character): the text must read back as the same name.
// Otherwise the short (8.3) name Windows keeps for it, when that one is representable: the
// short name of the path itself, or, when the file does not exist yet, of its longest
// existing parent folder followed by the rest as written. Nothing when neither works (a
// volume without short names, or a missing part that the code page cannot hold either).
std::optional<std::string> NarrowPathText(const std::filesystem::path& path);

} // namespace postplay
