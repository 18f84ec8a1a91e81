#include "settings/PageState.h"

namespace postplay {

SettingsPageState& PageState() {
    static SettingsPageState state;
    return state;
}

void ResetPageState() { PageState() = SettingsPageState{}; }

} // namespace postplay
