// The console grammar: ';' separates commands and '//' starts a comment, both outside double
// quotes; words are split on blanks and tabs outside quotes; a quoted run is part of one word,
// without its quotes. There are no escapes.
#include <fstream>

#include "host/ConsoleText.h"
#include "sim/HostHelp.h"
#include "sim/HostImpl.h"

namespace sim {

namespace {

constexpr int kMaxCommandDepth = 32; // binds and notifiers that run themselves stop here

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

class LineParser {
public:
    std::vector<Command> Parse(const std::string& line) {
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"') {
                quoted = !quoted;
                inWord = true; // "" is an empty word
            } else if (quoted) {
                word += c;
            } else if (c == ';') {
                EndCommand(line, i);
                continue;
            } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
                EndCommand(line, i);
                return std::move(commands);
            } else if (IsBlank(c)) {
                EndWord();
            } else {
                word += c;
                inWord = true;
            }
        }
        EndCommand(line, line.size());
        return std::move(commands);
    }

private:
    void EndWord() {
        if (inWord) current.words.push_back(std::move(word));
        word.clear();
        inWord = false;
    }

    void EndCommand(const std::string& line, std::size_t end) {
        EndWord();
        current.text = Trim(line.substr(commandStart, end - commandStart));
        if (!current.words.empty()) commands.push_back(std::move(current));
        current = Command{};
        commandStart = end + 1;
    }

    std::vector<Command> commands;
    Command current;
    std::string word;
    bool inWord = false;
    std::size_t commandStart = 0;
};

// sim_file and sim_dir take the whole rest of the line as their path, ';', '//' and quotes
// included, so that scripts can make files whose names hold them; sim_render_do takes it as
// the console line it hands over.
std::optional<Command> RawPathCommand(const std::string& line) {
    const std::string text = Trim(line);
    for (const char* name : {"sim_file", "sim_dir", "sim_render_do"}) {
        const std::size_t length = std::char_traits<char>::length(name);
        if (text.compare(0, length, name) == 0 && (text.size() == length || IsBlank(text[length]))) {
            Command command{text, {name}};
            if (text.size() > length) command.words.push_back(Trim(text.substr(length)));
            return command;
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<Command> ParseConsoleLine(const std::string& line) { return LineParser().Parse(line); }

std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    if (in.bad()) return std::nullopt;
    // A file saved by an editor that marks UTF-8 with a byte-order mark still has its first
    // line read as written.
    constexpr const char kByteOrderMark[] = "\xEF\xBB\xBF";
    if (!lines.empty() && lines.front().compare(0, 3, kByteOrderMark) == 0) lines.front().erase(0, 3);
    return lines;
}

std::string RestAfterName(const Command& command) {
    const std::string& text = command.text;
    std::size_t blank = 0;
    while (blank < text.size() && !IsBlank(text[blank])) ++blank;
    std::string rest = Trim(text.substr(blank));
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"' && rest.find('"', 1) == rest.size() - 1)
        rest = rest.substr(1, rest.size() - 2);
    return rest;
}

void Host::Impl::RunCommand(const Command& command) {
    const std::string& name = command.words.front();
    MutexLock lock(mutex);
    if (auto notifier = notifiers.find(name); notifier != notifiers.end()) {
        NotifierCallback callback = notifier->second.callback; // the command may remove itself
        lock.Unlock();
        CallPlugin([&] { (*callback)(command.words); });
        return;
    }
    if (auto variable = variables.find(name); variable != variables.end()) {
        const Key key = variable->second.key;
        if (command.words.size() >= 2) {
            lock.Unlock();
            SetVariable(key, command.words[1]);
        } else {
            std::string shown = EscapeControls(name) + " \"" + EscapeControls(variable->second.value) + "\"";
            lock.Unlock();
            Print(std::move(shown));
        }
        return;
    }
    lock.Unlock();
    if (name.empty()) {
        // `""` alone is as empty as a blank line; with more words it names nothing.
        if (command.words.size() > 1) Print("A command needs a name; not run: " + EscapeControls(command.text));
        return;
    }
    if (!RunHostCommand(command)) Print("Unknown command: " + EscapeControls(name));
}

void Host::RunLine(const std::string& line) {
    if (Impl::commandDepth >= kMaxCommandDepth) {
        d->Print("Commands nested too deeply; not run: " + EscapeControls(line));
        return;
    }
    ++Impl::commandDepth;
    if (auto command = RawPathCommand(line))
        d->RunCommand(*command);
    else
        for (const Command& parsed : ParseConsoleLine(line)) d->RunCommand(parsed);
    --Impl::commandDepth;
}

void Host::RunInput(const std::string& line) {
    d->Print("> " + EscapeControls(line));
    RunLine(line);
    Step();
}

bool Host::RunScript(const std::filesystem::path& file) {
    auto lines = ReadLines(file);
    if (!lines) return false;
    for (const std::string& line : *lines) {
        if (d->quitRequested) break;
        if (!Trim(line).empty()) RunInput(line);
    }
    return true;
}

bool Host::QuitRequested() const { return d->quitRequested; }

void Host::LoadCfg(const std::filesystem::path& file) {
    // A missing file is the normal first start; an unreadable one is treated the same.
    auto lines = ReadLines(file);
    if (!lines) return;
    for (const std::string& line : *lines) RunLine(line);
}

} // namespace sim
