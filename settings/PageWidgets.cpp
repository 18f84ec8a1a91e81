#include "settings/PageWidgets.h"

namespace postplay::page {

std::string FormatMinutesSeconds(int seconds) {
    const int minutes = seconds / 60;
    const int rest = seconds - minutes * 60;
    return std::to_string(minutes) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

} // namespace postplay::page
