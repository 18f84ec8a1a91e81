// Free helpers of the settings page. The page itself is PostplayPlugin::RenderSettings
// with its panels RenderKeyBindSetting and RenderWorkshopMapSetting.
#pragma once

#include <string>

// "M:SS": 90 gives "1:30", 3600 gives "60:00".
std::string FormatMinutesSeconds(int seconds);

// The language row: caption, a combo box of the two languages, and a reset button.
void RenderLanguageSelector();

// Opens a web link with the platform's opener: xdg-open (open on macOS) started directly,
// without a shell; on Windows the command interpreter's "start". Only plain web links.
void OpenLink(const char* url);
