// POSIX: a name is its bytes.
#include "base/NarrowPath.h"

namespace postplay {

std::optional<std::string> NarrowPathText(const std::filesystem::path& path) {
    try {
        return path.native();
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace postplay
