// The settings' console variables and the plug-in's commands, registered in the load
// sequence (PostplayPlugin::_RegisterCVars and _RegisterNotifiers). Each variable's change
// callback keeps its shared copy in step, refusing what the plug-in cannot use with one
// line; plugin/Settings.h lists the variables and the commands.
#pragma once

#include "plugin/PostplayPlugin.h"

namespace postplay {

} // namespace postplay
