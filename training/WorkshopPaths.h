// The plug-in's path texts (folder, map entry, map path) as file-system paths, and the
// checks that tell whether one names a usable folder or a map file.
#pragma once

#include <filesystem>
#include <string>

namespace postplay {

// Turns a path text of the plug-in (folder, map entry, map path) into a file-system path.
// A backslash counts as a separator, so the same texts work here and on Windows.
std::filesystem::path PathFromText(const std::string& text);

// True when the path exists and is a regular file. Errors count as "not a map file".
bool IsWorkshopMapFile(const std::string& path);

// What a folder text names, as the workshop panel's status line tells it.
enum class FolderState { Empty, Missing, NotDirectory, Directory };

// Queries the file system for the folder text's state (as long as the drive takes). Any
// failure to read the status (access denied, a name too long, a loop of links, a text
// that names no path) reads as Missing: the plug-in cannot reach anything there.
FolderState QueryFolderState(const std::string& folder);

} // namespace postplay
