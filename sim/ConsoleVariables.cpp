// Console variables: registration, the range rule and the value-changed callbacks.
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "sim/HostHelp.h"
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
    if (value == 0) value = 0; // no "-0"
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

struct ParsedNumber {
    double value = 0.0;     // 0 when the text holds no number
    bool wholeText = false; // the entire text is that number
};

ParsedNumber ParseNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value)) return {};
    const bool startsWithBlank = std::isspace(static_cast<unsigned char>(text.front())) != 0;
    return {value, !startsWithBlank && end == begin + text.size()};
}

// What a numeric variable makes of a text set on it.
struct NumericText {
    std::optional<std::string> stored; // nothing when the text is no number: the value stays
    std::string note;                  // the host's line when the value used is not the one typed
};

bool IsWhole(double value) { return std::trunc(value) == value; }

double Clamped(const Variable& variable, double value) {
    if (variable.hasMin && value < variable.min) return variable.min;
    if (variable.hasMax && value > variable.max) return variable.max;
    return value;
}

// A number within the range (a whole one where the variable holds whole numbers) is kept
// as typed; any other number becomes the shortest text of the number used, with a line.
NumericText ReadNumericText(const Variable& variable, const std::string& text) {
    const std::string name = EscapeControls(variable.name);
    const ParsedNumber parsed = ParseNumber(text);
    if (!parsed.wholeText)
        return {std::nullopt, name + ": \"" + EscapeControls(text) + "\" is not a number; the value stays \"" +
                                  EscapeControls(variable.value) + "\""};
    const double whole = variable.wholeNumbers ? std::trunc(parsed.value) : parsed.value;
    const double used = Clamped(variable, whole);
    if (used == parsed.value) return {text, {}};
    if (used != whole) {
        const std::string bound = ShortestText(static_cast<float>(used)); // as registered
        return {bound, name + ": " + text + " is outside its range (" + RangeText(variable) + "); set to " + bound};
    }
    const std::string usedText = ShortestText(used);
    return {usedText, name + ": " + text + " is not a whole number; set to " + usedText};
}

// A ranged variable holds whole numbers when its default and its bounds are whole.
bool HoldsWholeNumbers(const Variable& variable, const std::string& defaultValue) {
    const ParsedNumber parsed = ParseNumber(defaultValue);
    return parsed.wholeText && IsWhole(parsed.value) && (!variable.hasMin || IsWhole(variable.min)) &&
           (!variable.hasMax || IsWhole(variable.max));
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
    variable.value = defaultValue;
    if (variable.IsNumeric()) {
        // The plug-in's own default: taken as the rule gives it, silently.
        variable.wholeNumbers = HoldsWholeNumbers(variable, defaultValue);
        variable.value = ReadNumericText(variable, defaultValue).stored.value_or(ShortestText(Clamped(variable, 0.0)));
    }
    const Key key = variable.key;
    variableNames[key] = name;
    variables.emplace(name, std::move(variable));
    return CVarWrapper(key);
}

void Host::Impl::SetVariable(Key key, const std::string& text) {
    MutexLock lock(mutex);
    Variable* variable = FindVariableLocked(key);
    if (!variable) return;
    NumericText numeric = variable->IsNumeric() ? ReadNumericText(*variable, text) : NumericText{text, {}};
    if (!numeric.stored || *numeric.stored == variable->value) {
        lock.Unlock();
        if (!numeric.note.empty()) Print(std::move(numeric.note));
        return;
    }
    const std::string previous = std::exchange(variable->value, std::move(*numeric.stored));
    // A copy: a callback may add callbacks or remove the variable while these run, and
    // they run without the host's lock.
    const std::vector<VariableCallback> callbacks = variable->callbacks;
    lock.Unlock();
    if (!numeric.note.empty()) Print(std::move(numeric.note));
    for (const auto& callback : callbacks) CallPlugin([&] { (*callback)(previous, CVarWrapper(key)); });
}

} // namespace sim
