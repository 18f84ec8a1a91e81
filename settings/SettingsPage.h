// Free helpers of the settings page. The page itself is PostplayPlugin::RenderSettings
// with its panels RenderKeyBindSetting and RenderWorkshopMapSetting.
#pragma once

#include <string>

namespace postplay {

// "M:SS": 90 gives "1:30", 3600 gives "60:00".
std::string FormatMinutesSeconds(int seconds);

} // namespace postplay
