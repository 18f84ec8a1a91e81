// The language row of the settings page: a caption, a combo box of the two languages and
// a button back to the game's own language. The choice goes through the localization
// manager, which stores it in the language setting and makes it active at once, so every
// label drawn after the row in the same frame is already in the new language.
#include "settings/LanguageSelector.h"

#include <string>

#include <imgui.h>

#include "localization/LocalizationManager.h"

namespace postplay {

namespace {

struct LanguageOption {
    const char* code;
    const char* name; // the same in every language
};

constexpr LanguageOption kLanguageOptions[] = {
    {"INT", "English"},
    {"FRA", "Francais"},
};

// The option of the active language; the first one when none matches.
const LanguageOption& CurrentLanguage(const std::string& activeLocale) {
    for (const LanguageOption& option : kLanguageOptions) {
        if (activeLocale == option.code) return option;
    }
    return kLanguageOptions[0];
}

} // namespace

void RenderLanguageSelector() {
    LocalizationManager* localization = LocalizationManager::GetInstance();
    ImGui::Text("%s", localization->Translate("language").c_str());

    const LanguageOption& current = CurrentLanguage(localization->ActiveLocale());
    ImGui::PushItemWidth(150.0f);
    if (ImGui::BeginCombo("##LanguageSelector", current.name, 0)) {
        for (const LanguageOption& option : kLanguageOptions) {
            const bool isCurrent = &option == &current;
            if (ImGui::Selectable(option.name, isCurrent) && !isCurrent) localization->SetLanguage(option.code);
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

} // namespace postplay
