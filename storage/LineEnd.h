// The cfg file is a text file of the platform: its lines end as the platform's text files do.
#pragma once

namespace postplay {

extern const char* const kCfgLineEnd; // "\r\n" on Windows, "\n" elsewhere

} // namespace postplay
