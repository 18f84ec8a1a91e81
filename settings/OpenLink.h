// Opening a web link from the settings page.
#pragma once

#include <string>

// Whether `url` is an http or https link made of visible ASCII without the characters a
// command interpreter reads as quoting, piping or a second command.
bool IsPlainWebLink(const std::string& url);

// Opens a web link with the platform's opener: xdg-open (open on macOS) started directly,
// without a shell; on Windows the command interpreter's "start". Only plain web links;
// anything else is refused with one line.
void OpenLink(const std::string& url);
