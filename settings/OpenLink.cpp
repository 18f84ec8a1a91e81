// Opening the page's web links with the platform's opener.
#include "settings/OpenLink.h"

#include <string>

#if defined(_WIN32)
#include <cstdlib>
#else
#include <spawn.h>
#include <algorithm>
#include <vector>
#include <sys/wait.h>
extern char** environ;
#endif

#include "plugin/Log.h"

// Only web links made of visible ASCII reach the opener: nothing in them can be read as
// an option or, on Windows, as a second command.
bool IsPlainWebLink(const std::string& url) {
    if (url.rfind("https://", 0) != 0 && url.rfind("http://", 0) != 0) return false;
    for (const unsigned char c : url) {
        if (c <= ' ' || c >= 0x7f || c == '"' || c == '^' || c == '&' || c == '|' || c == '<' || c == '>') return false;
    }
    return true;
}

void OpenLink(const std::string& url) {
    if (!IsPlainWebLink(url)) {
        Log("Refused to open the link {}", url);
        return;
    }
#if defined(_WIN32)
    const std::string command = "start \"\" \"" + url + "\"";
    (void)std::system(command.c_str());
#else
#if defined(__APPLE__)
    const char* opener = "open";
#else
    const char* opener = "xdg-open";
#endif
    std::string urlText = url;
    char* arguments[] = {const_cast<char*>(opener), urlText.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, opener, nullptr, nullptr, arguments, environ) != 0) {
        Log("Could not start {} to open {}", opener, urlText);
        return;
    }
    // The opener may wait for the browser, so it is not waited for here: finished openers are
    // reaped at the next click. No thread is left behind that could outlive the library.
    static std::vector<pid_t> openers;
    openers.erase(std::remove_if(openers.begin(), openers.end(),
                                 [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; }),
                  openers.end());
    openers.push_back(child);
#endif
}
