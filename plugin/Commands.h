// The plug-in's console commands (plugin/Settings.h names them). Their bodies are members
// of PostplayPlugin, registered with the host in _RegisterNotifiers:
//   TogglePlugin         switches the plug-in on or off and shows a toast in the active language;
//   RefreshWorkshopMaps  scans the configured folder and swaps the map list in whole,
//                        resetting a selected map the folder no longer holds.
#pragma once

#include "plugin/PostplayPlugin.h"

namespace postplay {

} // namespace postplay
