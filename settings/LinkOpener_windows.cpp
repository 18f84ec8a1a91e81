// Windows: the command interpreter's "start" opens the link with the default browser.
#include "settings/LinkOpener.h"

#include <cstdlib>

namespace postplay {

void LinkOpener::StartOpener(const std::string& url, const Report& report) {
    const std::string command = "start \"\" \"" + url + "\"";
    if (std::system(command.c_str()) == -1) report("Could not start the command interpreter to open " + url);
}

} // namespace postplay
