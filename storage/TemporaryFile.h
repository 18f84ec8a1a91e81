// The durable write's temporary files: named beside the file they replace, created by this
// process's writes only, and removed when they are not put in place.
#pragma once

#include <filesystem>

namespace postplay::durable {

// How many fresh names a write tries before it gives up on a temporary.
constexpr int kNameAttempts = 4;

// A name for this write's own temporary file, beside `target`: TARGET.<hex>.tmp.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target);

// Removes the temporaries of `target` that an interrupted write left behind; no other file.
// Writes are serialized, so none of them belongs to a write in progress.
void RemoveLeftoverTemporaries(const std::filesystem::path& target);

// This write's temporary file, removed when it goes; once it was put in place, nothing has
// its name any more. Declared before the file's handle, so that the handle is closed first
// (Windows removes no open file).
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();
    void Adopt(std::filesystem::path made) { path = std::move(made); }

private:
    std::filesystem::path path;
};

} // namespace postplay::durable
