// The language row of the settings page: a caption, a combo box of the two languages and
// a button back to the game's own language. The choice goes through the localization
// manager, which stores it in the language setting and makes it active at once, so every
// label drawn after the row in the same frame is already in the new language.
#include "settings/LanguageSelector.h"

#include <cstddef>
#include <iterator>
#include <string>

#include <imgui.h>

#include "localization/LocalizationManager.h"

namespace {

struct LanguageOption {
    const char* code;
    const char* name;                            // the same in every language
};

constexpr LanguageOption kLanguageOptions[] = {
    {"INT", "English"},
    {"FRA", "Francais"},
};

// The option of the active language; the first one when none matches.
std::size_t CurrentLanguageIndex(const std::string& activeLocale) {
    for (std::size_t i = 0; i < std::size(kLanguageOptions); ++i) {
        if (activeLocale == kLanguageOptions[i].code) return i;
    }
    return 0;
}

} // namespace

void RenderLanguageSelector() {
    LocalizationManager* localization = LocalizationManager::GetInstance();
    ImGui::Text("%s", localization->Translate("language").c_str());

    const std::size_t current = CurrentLanguageIndex(localization->ActiveLocale());
    ImGui::PushItemWidth(150.0f);
    if (ImGui::BeginCombo("##LanguageSelector", kLanguageOptions[current].name, 0)) {
        for (std::size_t i = 0; i < std::size(kLanguageOptions); ++i) {
            const bool isCurrent = i == current;
            if (ImGui::Selectable(kLanguageOptions[i].name, isCurrent) && !isCurrent) {
                localization->SetLanguage(kLanguageOptions[i].code);
            }
            if (isCurrent) ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    }
    ImGui::PopItemWidth();

    ImGui::SameLine();
    if (ImGui::Button(localization->Translate("reset_language").c_str(), ImVec2(0.0f, 0.0f))) {
        localization->SetLanguage(localization->gameLocale);
    }
}
