// Workshop map discovery: one sub-folder per map under the configured folder, each
// holding a ".upk" file. An entry is "SUBFOLDER\FILE", relative to the folder.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "training/WorkshopPaths.h"

namespace postplay {

// What the caller of a scan can do while it runs: stop it before its next file-system
// query, and follow how many maps it has found.
class ScanControl {
public:
    virtual ~ScanControl() = default;
    // Asked before every query; false ends the walk there.
    virtual bool Continue() = 0;
    virtual void Found(std::size_t count) = 0;
};

// A finished list of entries with an index, so that finding one entry costs the same for
// ten thousand maps as for ten. Built once and never changed, so it can be shared.
class FoundMaps {
public:
    FoundMaps() = default;
    explicit FoundMaps(std::vector<std::string> found);
    FoundMaps(const FoundMaps&) = delete;
    FoundMaps& operator=(const FoundMaps&) = delete;

    const std::vector<std::string>& Entries() const { return entries; }
    bool Empty() const { return entries.empty(); }
    std::size_t Size() const { return entries.size(); }
    std::optional<std::size_t> RowOf(const std::string& entry) const;
    bool Contains(const std::string& entry) const { return RowOf(entry).has_value(); }

private:
    std::vector<std::string> entries;
    std::unordered_map<std::string_view, std::size_t> rows; // views into `entries`
};

// Entries found one level down, at most one per sub-folder, in the order the file system
// lists them. File-system errors end the scan and keep what was found; nothing throws.
std::vector<std::string> FindWorkshopMaps(std::string folder);

// The same, and when an error ended the scan early, `failure` says where and why (a folder
// that is missing or is no folder is no error: it holds no maps). With `control`, the walk
// asks it before each query and ends when it says so.
std::vector<std::string> FindWorkshopMaps(const std::string& folder, std::string& failure,
                                          ScanControl* control = nullptr);

} // namespace postplay
