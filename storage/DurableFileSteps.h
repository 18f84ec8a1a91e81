// The steps of the durable write that each platform does its own way
// (DurableFileSteps_posix.cpp, DurableFileSteps_windows.cpp): the old file's status, the
// replace through a temporary, and the file opened to be rewritten in place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

namespace postplay::durable {

// What a replace came to: done, failed (with the reason; the old file untouched), or turned
// down before anything changed because it would not keep the file as it is.
struct Outcome {
    enum class Kind { Done, InPlace, Failed };
    Kind kind = Kind::Done;
    std::string why;

    static Outcome InPlace() { return {Kind::InPlace, {}}; }
    static Outcome Failed(std::string why) { return {Kind::Failed, std::move(why)}; }
};

// What the file to replace is now; all zero (no file) until Probe finds one.
struct OldFile {
    bool exists = false;
    bool regular = false;
    bool readOnly = false;
    unsigned long links = 0;
    unsigned long owner = 0, group = 0, mode = 0; // POSIX: kept by a replace
};

// Fills `old` from the file as it is now: an empty text, or why its status cannot be read.
std::string Probe(const std::filesystem::path& target, OldFile& old);

// Writes `contents` to a temporary beside `target`, syncs it and puts it in place. InPlace
// when a new file would not keep the old one as the player made it (nothing changed then).
Outcome ReplaceThroughTemporary(const std::filesystem::path& target, const OldFile& old, const std::string& contents);

// The existing file, opened to be written over; closed when it goes.
class InPlaceFile {
public:
    InPlaceFile() = default;
    InPlaceFile(const InPlaceFile&) = delete;
    InPlaceFile& operator=(const InPlaceFile&) = delete;
    ~InPlaceFile();

    std::string Open(const std::filesystem::path& target);
    std::string Read(std::string& text);
    // Writes `contents` from the start and cuts the file to its length.
    std::string Overwrite(const std::string& contents);
    std::string Sync();

private:
    std::intptr_t native = -1; // the file descriptor, or the HANDLE; -1 when none
};

} // namespace postplay::durable
