// The lines typed at the console, kept in a file of the host's home folder so that they can
// be recalled in later runs, at the terminal prompt and in the window alike. One line of the
// file is one entry; the oldest entries go once there are more than kMaxEntries.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace app {

class ConsoleHistory {
public:
    static constexpr std::size_t kMaxEntries = 1000;

    // Reads the file (a missing one is an empty history).
    explicit ConsoleHistory(std::filesystem::path file);

    // The file name of the history in a home folder.
    static std::filesystem::path FileIn(const std::filesystem::path& home);

    const std::vector<std::string>& Entries() const { return entries; } // oldest first

    // Adds a typed line (without its trailing blanks) and appends it to the file. Blank
    // lines, "quit" and "exit" and a repeat of the last entry are not kept. Returns whether
    // the line was added.
    bool Add(const std::string& typed);

private:
    void Append(const std::string& line);
    void Rewrite();
    void ReportFailure(const std::string& what, const std::string& reason);

    std::filesystem::path file;
    std::vector<std::string> entries;
    bool failureReported = false;
};

} // namespace app
