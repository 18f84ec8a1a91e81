// STUB: replaced by the settings-page work.
#include "settings/SettingsPage.h"
#include "plugin/PostplayPlugin.h"
std::string FormatMinutesSeconds(int) { return {}; }
void RenderLanguageSelector() {}
void OpenLink(const char*) {}
void PostplayPlugin::RenderSettings() {}
void PostplayPlugin::RenderKeyBindSetting() {}
void PostplayPlugin::RenderWorkshopMapSetting() {}
