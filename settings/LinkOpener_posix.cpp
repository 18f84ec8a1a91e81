// POSIX: the opener is started with posix_spawnp, its one argument the link.
#include "settings/LinkOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>

extern char** environ;

namespace postplay {

void LinkOpener::StartOpener(const std::string& url, const Report& report) {
#if defined(__APPLE__)
    const char* opener = "open";
#else
    const char* opener = "xdg-open";
#endif
    std::string urlText = url;
    std::string openerText = opener;
    char* arguments[] = {openerText.data(), urlText.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, opener, nullptr, nullptr, arguments, environ) != 0) {
        report("Could not start " + openerText + " to open " + url);
        return;
    }
    // The opener may wait for the browser, so it is not waited for here: finished openers
    // are reaped at the next link.
    unreaped.erase(
        std::remove_if(unreaped.begin(), unreaped.end(), [](int pid) { return waitpid(pid, nullptr, WNOHANG) != 0; }),
        unreaped.end());
    unreaped.push_back(child);
}

} // namespace postplay
