// Workshop map discovery: one sub-folder per map under the configured folder, each
// holding a ".upk" file. An entry is "SUBFOLDER\FILE", relative to the folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Turns a path text of the plug-in (folder, map entry, map path) into a file-system path.
// A backslash counts as a separator, so the same texts work here and on Windows.
std::filesystem::path PathFromText(const std::string& text);

// Entries found one level down, at most one per sub-folder, in the order the file system
// lists them. File-system errors end the scan and keep what was found; nothing throws.
std::vector<std::string> FindWorkshopMaps(std::string folder);

// The same, and when an error ended the scan early, `failure` says where and why (a folder
// that is missing or is no folder is no error: it holds no maps).
std::vector<std::string> FindWorkshopMaps(std::string folder, std::string& failure);

// True when the path exists and is a regular file. Errors count as "not a map file".
bool IsWorkshopMapFile(const std::string& path);

// True when the text names an existing directory. Errors count as "not a directory".
bool IsUsableWorkshopFolder(const std::string& folder);
