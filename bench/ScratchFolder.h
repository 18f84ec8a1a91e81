// A folder of the benchmarks' own under the system's temporary folder, removed with the
// object.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        std::random_device random;
        path = std::filesystem::temp_directory_path() /
               ("postplay-bench-" + name + "-" + std::to_string(random()));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path path;
};
