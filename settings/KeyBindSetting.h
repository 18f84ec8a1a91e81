// The key-bind row of the settings page (PostplayPlugin::RenderKeyBindSetting): a key name,
// the bind and reset buttons, and a warning while the typed key runs another command.
#pragma once

#include "plugin/PostplayPlugin.h"

namespace postplay {

} // namespace postplay
