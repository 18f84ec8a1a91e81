#include "plugin/NarrowPath.h"

std::optional<std::string> NarrowPathText(const std::filesystem::path& path) {
    try {
        return path.string();
    } catch (...) {
        return std::nullopt;
    }
}
