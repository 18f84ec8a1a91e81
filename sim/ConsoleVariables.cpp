// Console variables: registration, the range rule and the value-changed callbacks.
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "sim/HostImpl.h"

namespace sim {

namespace {

bool IsAcceptableName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' || c == ';') return false;
    return true;
}

template <class Number>
std::string ShortestText(Number value) {
    if (value == 0) value = 0;                   // no "-0"
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

struct ParsedNumber {
    double value = 0.0;                          // 0 when the text holds no number
    bool wholeText = false;                      // the entire text is that number
};

ParsedNumber ParseNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value)) return {};
    const bool startsWithBlank = std::isspace(static_cast<unsigned char>(text.front())) != 0;
    return {value, !startsWithBlank && end == begin + text.size()};
}

// The text a ranged variable stores for `text`: as typed when it is a number within the
// range, else the clamped number's shortest text.
std::string RangedText(const Variable& variable, const std::string& text) {
    const ParsedNumber parsed = ParseNumber(text);
    if (variable.hasMin && parsed.value < variable.min) return ShortestText(variable.min);
    if (variable.hasMax && parsed.value > variable.max) return ShortestText(variable.max);
    return parsed.wholeText ? text : ShortestText(parsed.value);
}

} // namespace

double ReadNumber(const std::string& text) { return ParseNumber(text).value; }

int TruncateToInt(double value) {
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

std::string NumberText(float value) { return ShortestText(value); }

Variable* Host::Impl::FindVariableLocked(Key key) {
    auto name = variableNames.find(key);
    if (name == variableNames.end()) return nullptr;
    auto variable = variables.find(name->second);
    return variable == variables.end() ? nullptr : &variable->second;
}

CVarWrapper Host::Impl::RegisterVariable(Key owner, const std::string& name, const std::string& defaultValue,
                                         const std::string& description, bool hasMin, float min, bool hasMax,
                                         float max) {
    if (!IsAcceptableName(name)) return CVarWrapper();
    MutexLock lock(mutex);
    if (refusedNames.count(name)) return CVarWrapper();
    if (auto existing = variables.find(name); existing != variables.end()) return CVarWrapper(existing->second.key);
    Variable variable;
    variable.key = NewKey();
    variable.owner = owner;
    variable.name = name;
    variable.description = description;
    variable.hasMin = hasMin;
    variable.min = min;
    variable.hasMax = hasMax;
    variable.max = max;
    variable.value = hasMin || hasMax ? RangedText(variable, defaultValue) : defaultValue;
    const Key key = variable.key;
    variableNames[key] = name;
    variables.emplace(name, std::move(variable));
    return CVarWrapper(key);
}

void Host::Impl::SetVariable(Key key, const std::string& text) {
    MutexLock lock(mutex);
    Variable* variable = FindVariableLocked(key);
    if (!variable) return;
    std::string stored = variable->hasMin || variable->hasMax ? RangedText(*variable, text) : text;
    if (stored == variable->value) return;
    const std::string previous = std::exchange(variable->value, std::move(stored));
    // A copy: a callback may add callbacks or remove the variable while these run, and
    // they run without the host's lock.
    const std::vector<VariableCallback> callbacks = variable->callbacks;
    lock.Unlock();
    for (const auto& callback : callbacks) CallPlugin([&] { (*callback)(previous, CVarWrapper(key)); });
}

} // namespace sim
