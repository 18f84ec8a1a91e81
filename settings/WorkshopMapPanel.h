// The workshop block of the settings page (PostplayPlugin::RenderWorkshopMapSetting): the
// folder box with its refresh button, the folder's status line and the map selector.
#pragma once

#include "plugin/PostplayPlugin.h"

namespace postplay {

} // namespace postplay
