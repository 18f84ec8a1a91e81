// Runs a program as a child process, feeding its standard input and collecting its
// standard output, standard error and exit code.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ChildRun {
    std::vector<std::string> command; // program (looked up on PATH) and arguments
    std::string input;                // standard input's content
    bool inputIsTerminal = false;     // feed `input` through a pseudo-terminal
    std::vector<std::pair<std::string, std::optional<std::string>>> environment; // set, or unset when nullopt
    std::filesystem::path workingDirectory;                                      // empty: the test's own
};

struct ChildResult {
    int exitCode = -1; // 128 + signal number when killed by a signal
    std::string out;
    std::string err;
};

// `scratch` receives the files that stand for the child's standard streams.
ChildResult RunChild(const ChildRun& run, const std::filesystem::path& scratch);

// The full path of an executable found on PATH, or nothing.
std::optional<std::filesystem::path> FindOnPath(const std::string& name);

std::vector<std::string> SplitLines(const std::string& text);
