// STUB: replaced by the match-flow work.
#include "match/CurrentServer.h"
#include "plugin/PostplayPlugin.h"
ServerWrapper GetCurrentServer(std::shared_ptr<GameWrapper>) { return ServerWrapper(0); }
PlaylistClass ClassifyPlaylist(int) { return PlaylistClass::Other; }
void PostplayPlugin::_InitializeCore() {}
void PostplayPlugin::_ProcessMatchEnd(bool) {}
void PostplayPlugin::_HandleTransition(float) {}
void PostplayPlugin::_HandleQueue(float) {}
