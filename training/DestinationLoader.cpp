// STUB: replaced by the match-flow work.
#include "plugin/PostplayPlugin.h"
void PostplayPlugin::_LoadTrainingDestination() {}
