// The information record a plug-in library exports under the name `exports`, and the
// signatures of its two exported functions. The host reads the record by layout:
// eight 8-byte slots, integers in the low four bytes of theirs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace BakkesMod::Plugin {

constexpr int kApiBuildVersion = 95;
constexpr int kPluginTypeThreaded = 1;

using GetPluginFunction = std::uintptr_t (*)();
using DeletePluginFunction = void (*)();

struct PluginInfo {
    int apiBuildVersion;
    const char* fileName;
    const char* className;
    const char* pluginName;
    const char* pluginVersion;
    int pluginType;
    GetPluginFunction initializeFunc;
    DeletePluginFunction deleteFunc;
};

static_assert(sizeof(void*) == 8, "the record layout assumes 64-bit pointers");
static_assert(sizeof(PluginInfo) == 64, "the record is eight 8-byte slots");
static_assert(offsetof(PluginInfo, fileName) == 8);
static_assert(offsetof(PluginInfo, className) == 16);
static_assert(offsetof(PluginInfo, pluginName) == 24);
static_assert(offsetof(PluginInfo, pluginVersion) == 32);
static_assert(offsetof(PluginInfo, pluginType) == 40);
static_assert(offsetof(PluginInfo, initializeFunc) == 48);
static_assert(offsetof(PluginInfo, deleteFunc) == 56);

} // namespace BakkesMod::Plugin

#if defined(_WIN32)
#define POSTPLAY_EXPORT extern "C" __declspec(dllexport)
#else
#define POSTPLAY_EXPORT extern "C" __attribute__((visibility("default")))
#endif
