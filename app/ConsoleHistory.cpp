#include "app/ConsoleHistory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include "app/StdinConsole.h"
#include "host/PathText.h"

namespace app {
namespace {

constexpr const char* kFileName = "console_history";

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t\r") == std::string::npos; }

// A line break inside an entry would split it in two when read back; the blank a completed
// name leaves at the end would make a repeat look new.
std::string AsEntry(std::string line) {
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    line.erase(line.find_last_not_of(" \t") + 1);
    return line;
}

} // namespace

ConsoleHistory::ConsoleHistory(std::filesystem::path historyFile) : file(std::move(historyFile)) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!IsBlank(line)) entries.push_back(line);
    }
    // Appending keeps every run's lines, even of runs side by side; the file is cut back to
    // its newest entries only now and then, when it has grown to twice the limit.
    if (entries.size() > kMaxEntries) {
        const bool rewrite = entries.size() >= 2 * kMaxEntries;
        entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(kMaxEntries));
        if (rewrite) Rewrite();
    }
}

std::filesystem::path ConsoleHistory::FileIn(const std::filesystem::path& home) { return home / kFileName; }

bool ConsoleHistory::Add(const std::string& typed) {
    const std::string line = AsEntry(typed);
    if (IsBlank(line) || IsQuitCommand(line)) return false;
    if (!entries.empty() && entries.back() == line) return false;
    entries.push_back(line);
    if (entries.size() > kMaxEntries) entries.erase(entries.begin());
    Append(line);
    return true;
}

void ConsoleHistory::Append(const std::string& line) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << line << '\n';
    out.flush();
    if (!out) ReportFailure("write", std::generic_category().message(errno));
}

void ConsoleHistory::Rewrite() {
    std::filesystem::path temporary = file;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& entry : entries) out << entry << '\n';
        out.flush();
        if (!out) return ReportFailure("write", std::generic_category().message(errno));
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) ReportFailure("replace", error.message());
}

// The console works on without a history file; say so once.
void ConsoleHistory::ReportFailure(const std::string& what, const std::string& reason) {
    if (failureReported) return;
    failureReported = true;
    std::fprintf(stderr, "postplay-host: cannot %s the console history %s: %s\n", what.c_str(),
                 PathToUtf8(file).c_str(), reason.c_str());
}

} // namespace app
