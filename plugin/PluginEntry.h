// The library's exports: the information record and the two functions that create and
// release the single plug-in object.
#pragma once

#include <cstdint>
#include <memory>

#include "host/PluginInfo.h"

namespace postplay {

class PostplayPlugin;

constexpr const char* kPluginVersion = "1.0.1.3";

// The library-wide singleton: empty until getPlugin first runs.
std::shared_ptr<PostplayPlugin>& PluginSingleton();

} // namespace postplay

// The host finds these by name: they stay outside the plug-in's namespace.
POSTPLAY_EXPORT BakkesMod::Plugin::PluginInfo exports;
POSTPLAY_EXPORT std::uintptr_t getPlugin(); // the address of the singleton (not of the object)
POSTPLAY_EXPORT void deleteMe();            // empties the singleton
