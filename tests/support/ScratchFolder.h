// A fresh folder for a test, a benchmark or a fuzzing run, removed when it goes. It lies in
// /dev/shm when there is one (folders made and removed by the thousand cost far less in
// memory than on a disk), else in the system's temporary folder, and is named after its use
// and the process. A folder whose process died without removing it (a crash kept it for a
// look) is removed by the next one made for the same use.
#pragma once

#include <filesystem>
#include <string>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& use = "test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return root; }

private:
    std::filesystem::path root;
};
