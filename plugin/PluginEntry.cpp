// STUB: replaced by the plug-in shell work.
#include "plugin/PluginEntry.h"
#include "plugin/PostplayPlugin.h"
std::shared_ptr<PostplayPlugin>& PluginSingleton() { static std::shared_ptr<PostplayPlugin> s; return s; }
BakkesMod::Plugin::PluginInfo exports = {95, __FILE__, "PostplayPlugin", "Postplay", kPluginVersion, 1, &getPlugin, &deleteMe};
std::uintptr_t getPlugin() { if (!PluginSingleton()) PluginSingleton() = std::make_shared<PostplayPlugin>(); return reinterpret_cast<std::uintptr_t>(&PluginSingleton()); }
void deleteMe() { PluginSingleton().reset(); }
