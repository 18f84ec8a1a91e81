#include "plugin/PluginEntry.h"

#include <type_traits>

#include "plugin/PostplayPlugin.h"

using BakkesMod::Plugin::PluginInfo;
using postplay::PluginSingleton;
using postplay::PostplayPlugin;

// The host reads the record by layout: integers in the low four bytes of their 8-byte slot.
static_assert(std::is_standard_layout_v<PluginInfo>);
static_assert(sizeof(int) == 4);
#if defined(__BYTE_ORDER__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "integers must sit in the low bytes of their slot");
#endif

// Constant-initialised, so the host may read it before any constructor of the library ran;
// as static data its padding (the high half of the integer slots) is zero.
PluginInfo exports = {
    BakkesMod::Plugin::kApiBuildVersion,
    postplay::kPluginMainSource,
    "PostplayPlugin",
    "Postplay",
    postplay::kPluginVersion,
    BakkesMod::Plugin::kPluginTypeThreaded,
    &getPlugin,
    &deleteMe,
};
static_assert(sizeof(exports) == 64);

namespace postplay {

std::shared_ptr<PostplayPlugin>& PluginSingleton() {
    static std::shared_ptr<PostplayPlugin> singleton;
    return singleton;
}

} // namespace postplay

std::uintptr_t getPlugin() {
    std::shared_ptr<PostplayPlugin>& singleton = PluginSingleton();
    if (!singleton) {
        try {
            singleton = std::make_shared<PostplayPlugin>();
        } catch (...) {
            // The host finds the singleton empty and reports that the plug-in has no object.
        }
    }
    return reinterpret_cast<std::uintptr_t>(&singleton);
}

void deleteMe() {
    // reset() empties the singleton before the object's destructor runs.
    PluginSingleton().reset();
}
