#include "settings/LinkOpener.h"

#include "base/Log.h"

namespace postplay {

// Only web links made of visible ASCII reach the opener: nothing in them can be read as
// an option or, on Windows, as a second command.
bool IsPlainWebLink(const std::string& url) {
    if (url.rfind("https://", 0) != 0 && url.rfind("http://", 0) != 0) return false;
    for (const unsigned char c : url) {
        if (c <= ' ' || c >= 0x7f || c == '"' || c == '^' || c == '&' || c == '|' || c == '<' || c == '>') return false;
    }
    return true;
}

void LinkOpener::Open(const std::string& url, Report report) {
    if (!IsPlainWebLink(url)) {
        Log("Refused to open the link {}", url);
        return;
    }
    errands.Post([this, url, report = std::move(report)] { StartOpener(url, report); });
}

} // namespace postplay
