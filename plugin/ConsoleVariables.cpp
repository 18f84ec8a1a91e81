// STUB: replaced by the settings work.
#include "plugin/PostplayPlugin.h"
void PostplayPlugin::_RegisterCVars() {}
void PostplayPlugin::_RegisterNotifiers() {}
void PostplayPlugin::TogglePlugin(std::vector<std::string>) {}
