// The English and French texts of every translation key, loaded into the localization
// manager by LocalizationManager::LoadTranslations.
#pragma once

#include "localization/LocalizationManager.h"

namespace postplay {

} // namespace postplay
