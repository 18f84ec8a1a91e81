// STUB: replaced by the plug-in shell work.
#include "plugin/SettingsWindowBase.h"
std::string SettingsWindowBase::GetPluginName() { return "Postplay"; }
void SettingsWindowBase::SetImGuiContext(std::uintptr_t) {}
