// Opening a web link from the settings page.
#pragma once

// Opens a web link with the platform's opener: xdg-open (open on macOS) started directly,
// without a shell; on Windows the command interpreter's "start". Only plain web links.
void OpenLink(const char* url);
