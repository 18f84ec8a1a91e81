#include "ChildProcess.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ChildEnvironment(const ChildRun& run) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        bool replaced = false;
        for (const auto& change : run.environment) replaced = replaced || change.first == name;
        if (!replaced) variables.push_back(variable);
    }
    for (const auto& [name, value] : run.environment)
        if (value) variables.push_back(name + "=" + *value);
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = write(fd, text.data() + done, text.size() - done);
        if (count <= 0) return;
        done += static_cast<std::size_t>(count);
    }
}

} // namespace

ChildResult RunChild(const ChildRun& run, const std::filesystem::path& scratch) {
    const auto inPath = scratch / "stdin.txt";
    const auto outPath = scratch / "stdout.txt";
    const auto errPath = scratch / "stderr.txt";
    std::ofstream(inPath, std::ios::binary) << (run.inputIsTerminal ? "" : run.input);

    std::vector<std::string> arguments = run.command;
    std::vector<std::string> environment = ChildEnvironment(run);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);

    int terminal = -1, terminalChild = -1;
    if (run.inputIsTerminal && openpty(&terminal, &terminalChild, nullptr, nullptr, nullptr) != 0) return {};

    const pid_t child = fork();
    if (child == 0) {
        if (!run.workingDirectory.empty() && chdir(run.workingDirectory.c_str()) != 0) _exit(126);
        const int in = run.inputIsTerminal ? terminalChild : open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) _exit(126);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (terminal >= 0) close(terminal);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (run.inputIsTerminal) {
        close(terminalChild);
        WriteAll(terminal, run.input);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (terminal >= 0) close(terminal);

    ChildResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

std::optional<std::filesystem::path> FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}
