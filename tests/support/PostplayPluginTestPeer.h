// Reaches the plug-in's private steps from tests, one at a time.
#pragma once

#include "plugin/PostplayPlugin.h"

namespace postplay {

class PostplayPluginTestPeer {
public:
    static void InitializeValues(PostplayPlugin& plugin) { plugin._InitializeValues(); }
    static void RegisterNotifiers(PostplayPlugin& plugin) { plugin._RegisterNotifiers(); }
    static void HandleTransition(PostplayPlugin& plugin, float delaySeconds) { plugin._HandleTransition(delaySeconds); }
    static void HandleQueue(PostplayPlugin& plugin, float extraSeconds) { plugin._HandleQueue(extraSeconds); }
    static void LoadTrainingDestination(PostplayPlugin& plugin) { plugin._LoadTrainingDestination(); }
};

} // namespace postplay
