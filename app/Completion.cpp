#include "app/Completion.h"

#include <algorithm>

#include "sim/Host.h"

namespace app {
namespace {

bool EndsWord(char c) { return c == ' ' || c == '\t' || c == ';' || c == '"'; }

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::size_t CommonPrefixLength(const std::vector<std::string>& texts) {
    std::size_t length = texts.front().size();
    for (const std::string& text : texts) {
        std::size_t same = 0;
        while (same < length && same < text.size() && text[same] == texts.front()[same]) ++same;
        length = same;
    }
    return length;
}

} // namespace

std::vector<std::string> ConsoleNames(const sim::Host& host) { return host.CompletionNames(); }

Completion Complete(const std::string& beforeCursor, std::vector<std::string> names) {
    Completion result;
    result.wordStart = beforeCursor.size();
    while (result.wordStart > 0 && !EndsWord(beforeCursor[result.wordStart - 1])) --result.wordStart;
    const std::string word = beforeCursor.substr(result.wordStart);

    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (std::string& name : names)
        if (StartsWith(name, word)) result.matches.push_back(std::move(name));

    if (result.matches.size() == 1) {
        result.addition = result.matches.front().substr(word.size()) + ' ';
    } else if (!result.matches.empty()) {
        const std::size_t common = CommonPrefixLength(result.matches);
        result.addition = result.matches.front().substr(word.size(), common - word.size());
    }
    return result;
}

std::vector<std::string> InColumns(const std::vector<std::string>& matches, std::size_t width) {
    std::size_t widest = 0;
    for (const std::string& match : matches) widest = std::max(widest, match.size());
    const std::size_t columnWidth = widest + 2;
    const std::size_t columns = std::max<std::size_t>(1, width / columnWidth);
    const std::size_t rows = (matches.size() + columns - 1) / columns;

    // Down the columns first, as shells list them.
    std::vector<std::string> lines(rows);
    for (std::size_t i = 0; i < matches.size(); ++i) {
        std::string& line = lines[i % rows];
        const bool last = i + rows >= matches.size();
        line += matches[i];
        if (!last) line.append(columnWidth - matches[i].size(), ' ');
    }
    return lines;
}

} // namespace app
