// Opening the settings page's web links with the platform's opener: xdg-open (open on
// macOS) started directly, without a shell; on Windows the command interpreter's "start".
// Starting a program takes milliseconds, so a click only hands the link to the opener's own
// thread. Only plain web links go; anything else is refused with one line, at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/ErrandThread.h"

namespace postplay {

// Whether `url` is an http or https link made of visible ASCII without the characters a
// command interpreter reads as quoting, piping or a second command.
bool IsPlainWebLink(const std::string& url);

class LinkOpener {
public:
    // Receives the line of an opener that could not be started, on the opener's thread.
    using Report = std::function<void(std::string line)>;

    void Start() { errands.Start(); }
    // Starts the links already handed over, then ends the thread; later links are dropped.
    void RequestStop() { errands.RequestStop(); }
    void Stop() { errands.Stop(); }

    // Refuses `url` with one line, or hands it to the opener's thread and returns.
    void Open(const std::string& url, Report report);

private:
    // Starts the platform's opener for `url` (on the opener's thread).
    void StartOpener(const std::string& url, const Report& report);

    ErrandThread errands;
    std::vector<int> unreaped; // POSIX: openers started and not yet waited for
};

} // namespace postplay
