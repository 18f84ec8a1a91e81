// STUB: replaced by the plug-in shell work.
#include "plugin/PostplayPlugin.h"
#include "match/GameEventManager.h"
#include "storage/PersistentStorage.h"
PostplayPlugin::PostplayPlugin() = default;
PostplayPlugin::~PostplayPlugin() = default;
void PostplayPlugin::onLoad() {}
void PostplayPlugin::onUnload() {}
void PostplayPlugin::_InitializeManagers() {}
void PostplayPlugin::_InitializeValues() {}
