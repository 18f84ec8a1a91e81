// Fuzzes the choice of language and the look-up of texts, without a host: the manager is
// initialised with no console, game or storage, as it stands before the plug-in loads.
//
// The input's lines are a language code, a fallback and a translation key. Properties:
// NormalizeLocale gives "INT", "FRA" or the fallback, ignores the case of ASCII letters, and
// keeps a known locale as it is; after SetLanguage(code) the texts are those of the
// normalised locale; Translate gives the key itself or a text of the active or the English
// table for that key.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "localization/LocalizationManager.h"

using namespace postplay;

namespace {

constexpr std::size_t kMaxInput = 512;

LocalizationManager* manager = nullptr;

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The text of `key` in `locale`'s table, if it has one.
const std::string* TableText(const std::string& locale, const std::string& key) {
    const auto table = manager->translations.find(locale);
    if (table == manager->translations.end()) return nullptr;
    const auto text = table->second.find(key);
    return text == table->second.end() ? nullptr : &text->second;
}

std::vector<std::string> SplitLines(const std::string& input, std::size_t parts) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (lines.size() + 1 < parts) {
        const std::size_t end = input.find('\n', start);
        if (end == std::string::npos) break;
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(start <= input.size() ? input.substr(start) : std::string());
    lines.resize(parts);
    return lines;
}

void CheckNormalize(const std::string& code, const std::string& fallback) {
    const std::string locale = manager->NormalizeLocale(code, fallback);
    if (locale != "INT" && locale != "FRA" && locale != fallback)
        fuzz::Fail("NormalizeLocale(" + fuzz::Shown(code) + ") gave " + fuzz::Shown(locale));
    if (manager->NormalizeLocale(AsciiUpper(code), fallback) != locale ||
        manager->NormalizeLocale(AsciiLower(code), fallback) != locale)
        fuzz::Fail("NormalizeLocale depends on the case of " + fuzz::Shown(code));
    if ((locale == "INT" || locale == "FRA") && manager->NormalizeLocale(locale, fallback + "?") != locale)
        fuzz::Fail("the locale " + fuzz::Shown(locale) + " does not normalise to itself");
}

void CheckTranslate(const std::string& code, const std::string& key) {
    manager->SetLanguage(code);
    const std::string locale = manager->NormalizeLocale(code, "INT");
    const std::string* label = TableText(locale, "language");
    if (!label || manager->Translate("language") != *label)
        fuzz::Fail("after SetLanguage(" + fuzz::Shown(code) + ") the texts are not those of " + locale);

    const std::string text = manager->Translate(key);
    if (text == key) return;
    const std::string* active = TableText(locale, key);
    const std::string* english = TableText("INT", key);
    if ((!active || text != *active) && (!english || text != *english))
        fuzz::Fail("Translate(" + fuzz::Shown(key) + ") in " + locale + " gave " + fuzz::Shown(text) +
                   ", which is no text of that key");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    manager = LocalizationManager::GetInstance();
    manager->Initialize(nullptr, nullptr, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return -1;
    const std::vector<std::string> lines = SplitLines(std::string(reinterpret_cast<const char*>(data), size), 3);
    CheckNormalize(lines[0], lines[1]);
    CheckTranslate(lines[0], lines[2]);
    return 0;
}
