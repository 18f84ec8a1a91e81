#include "sim/HostHelp.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

constexpr std::size_t kWidestAlignedName = 40; // longer left columns are not aligned with the rest

struct HelpEntry {
    std::string left;  // name (and arguments or value)
    std::string right; // what it does
};

void AddSection(std::vector<std::string>& lines, const char* title, const std::vector<HelpEntry>& entries) {
    if (entries.empty()) return;
    lines.emplace_back(title);
    std::size_t width = 0;
    for (const HelpEntry& entry : entries)
        if (entry.left.size() <= kWidestAlignedName) width = std::max(width, entry.left.size());
    for (const HelpEntry& entry : entries) {
        std::string line = "  " + entry.left;
        if (!entry.right.empty()) {
            if (entry.left.size() < width) line.append(width - entry.left.size(), ' ');
            line += "  " + entry.right;
        }
        lines.push_back(std::move(line));
    }
}

std::string Usage(const HostCommandInfo& command) {
    std::string usage = command.name;
    if (*command.arguments) usage += std::string(" ") + command.arguments;
    return usage;
}

std::string ValueForm(const std::string& name, const Variable& variable) {
    return EscapeControls(name) + " \"" + EscapeControls(variable.value) + "\"";
}

std::string Described(const std::string& description) {
    return description.empty() ? "(no description)" : EscapeControls(description);
}

std::string VariableSummary(const Variable& variable) {
    std::string summary = Described(variable.description);
    if (const std::string range = RangeText(variable); !range.empty()) summary += " (" + range + ")";
    return summary;
}

} // namespace

std::string RangeText(const Variable& variable) {
    if (variable.hasMin && variable.hasMax)
        return "from " + NumberText(variable.min) + " to " + NumberText(variable.max);
    if (variable.hasMin) return "at least " + NumberText(variable.min);
    if (variable.hasMax) return "at most " + NumberText(variable.max);
    return {};
}

std::vector<std::string> Host::CompletionNames() const {
    std::vector<std::string> names;
    for (const HostCommandInfo& command : HostCommandList()) names.emplace_back(command.name);
    {
        MutexLock lock(d->mutex);
        for (const auto& notifier : d->notifiers) names.push_back(notifier.first);
        for (const auto& variable : d->variables) names.push_back(variable.first);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> Host::HelpLines(const std::string& name) const {
    const std::vector<HostCommandInfo> commands = HostCommandList();
    MutexLock lock(d->mutex);
    if (!name.empty()) {
        // The same order as a console line finds its command: plug-in command, variable, host.
        if (auto notifier = d->notifiers.find(name); notifier != d->notifiers.end())
            return {EscapeControls(name) + ": " + Described(notifier->second.description) + " (plug-in command)"};
        if (auto variable = d->variables.find(name); variable != d->variables.end())
            return {ValueForm(name, variable->second) + ": " + VariableSummary(variable->second) +
                    " (console variable)"};
        for (const HostCommandInfo& command : commands)
            if (name == command.name) return {Usage(command) + ": " + command.summary + " (host command)"};
        return {"help: no command or variable is named " + EscapeControls(name)};
    }

    std::vector<HelpEntry> hostEntries, pluginEntries, variableEntries;
    for (const HostCommandInfo& command : commands) hostEntries.push_back({Usage(command), command.summary});
    for (const auto& [notifierName, notifier] : d->notifiers)
        pluginEntries.push_back({EscapeControls(notifierName), Described(notifier.description)});
    for (const auto& [variableName, variable] : d->variables)
        variableEntries.push_back({ValueForm(variableName, variable), VariableSummary(variable)});

    std::vector<std::string> lines;
    AddSection(lines, "Host commands:", hostEntries);
    AddSection(lines, "Plug-in commands:", pluginEntries);
    AddSection(lines, "Console variables:", variableEntries);
    lines.emplace_back("help NAME shows one of them.");
    return lines;
}

void ShowHelp(Host& host, Host::Impl& d, const Command& command) {
    const std::string name = command.words.size() >= 2 ? command.words[1] : std::string();
    for (std::string& line : host.HelpLines(name)) d.Print(std::move(line));
}

} // namespace sim
