// Plug-in libraries whose information record is wrong in one way each, so the host
// program's refusal of them can be tested. FAKE_FAULT selects the fault at build time.
#include <cstdint>

#include "host/PluginInfo.h"

namespace {

std::uintptr_t NoObject() { return 0; }
void Nothing() {}

constexpr int kVersion = FAKE_FAULT == 1 ? 94 : BakkesMod::Plugin::kApiBuildVersion;
constexpr const char* kClassName = FAKE_FAULT == 2 ? "" : "FakePlugin";
constexpr BakkesMod::Plugin::DeletePluginFunction kDelete = FAKE_FAULT == 3 ? nullptr : &Nothing;

} // namespace

// 1: wrong API build version; 2: no class name; 3: no delete function;
// 4: a record that passes, but whose create function gives no plug-in object.
POSTPLAY_EXPORT BakkesMod::Plugin::PluginInfo exports;
BakkesMod::Plugin::PluginInfo exports = {
    kVersion, __FILE__, kClassName, "Fake", "0.0", BakkesMod::Plugin::kPluginTypeThreaded, &NoObject, kDelete,
};
