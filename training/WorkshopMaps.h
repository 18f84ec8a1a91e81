// Workshop map discovery: one sub-folder per map under the configured folder, each
// holding a ".upk" file. An entry is "SUBFOLDER\FILE", relative to the folder.
#pragma once

#include <string>
#include <vector>

#include "training/WorkshopPaths.h"

// Entries found one level down, at most one per sub-folder, in the order the file system
// lists them. File-system errors end the scan and keep what was found; nothing throws.
std::vector<std::string> FindWorkshopMaps(std::string folder);

// The same, and when an error ended the scan early, `failure` says where and why (a folder
// that is missing or is no folder is no error: it holds no maps).
std::vector<std::string> FindWorkshopMaps(std::string folder, std::string& failure);
