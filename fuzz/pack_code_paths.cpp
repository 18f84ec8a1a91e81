// Fuzzes the training pack code rule and the texts that become file-system paths.
//
// The whole input is a pack code candidate. Property: when ValidateTrainingPackCode accepts
// it, the code is 19 bytes, "-" at 4, 9 and 14, upper-case ASCII letters or digits elsewhere,
// each byte the input's own or its upper-case form, and checking it again changes nothing;
// when it refuses, the text is untouched.
//
// The input up to its first line break is also a workshop folder text and the rest a map
// entry, joined as the loader joins them (folder, backslash, entry). Turning any of them into
// a path, testing the map file and the folder, and scanning a folder inside the scratch
// folder must not throw; every entry a scan finds names a map file of that folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "base/TrainingMode.h"
#include "training/WorkshopMaps.h"

using namespace postplay;

namespace {

fuzz::ScratchFolder* scratch = nullptr;

constexpr std::size_t kMaxInput = 512;

bool IsUpperAlnum(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void CheckPackCode(const std::string& input) {
    std::string code = input;
    if (!ValidateTrainingPackCode(code)) {
        if (code != input)
            fuzz::Fail("a refused code was changed: " + fuzz::Shown(input) + " became " + fuzz::Shown(code));
        return;
    }
    if (code.size() != 19) fuzz::Fail("an accepted code is not 19 bytes: " + fuzz::Shown(code));
    for (std::size_t i = 0; i < code.size(); ++i) {
        const bool separator = i == 4 || i == 9 || i == 14;
        if (separator ? code[i] != '-' : !IsUpperAlnum(code[i]))
            fuzz::Fail("an accepted code has a wrong byte at " + std::to_string(i) + ": " + fuzz::Shown(code));
        if (code[i] != input[i] && code[i] != AsciiUpper(input[i]))
            fuzz::Fail("an accepted code is not the input upper-cased: " + fuzz::Shown(input) + " became " +
                       fuzz::Shown(code));
    }
    std::string again = code;
    if (!ValidateTrainingPackCode(again) || again != code)
        fuzz::Fail("an accepted code does not pass again unchanged: " + fuzz::Shown(code));
}

// A folder text that stays inside the working folder: relative, no "..".
bool IsInsideWorkFolder(const std::string& text) {
    const std::filesystem::path path = PathFromText(text);
    if (path.empty() || path.has_root_path()) return false;
    for (const auto& part : path)
        if (part == "..") return false;
    return true;
}

void CheckPaths(const std::string& folder, const std::string& entry) {
    const std::string mapPath = folder + "\\" + entry;
    const std::filesystem::path path = PathFromText(mapPath);
    if (path.native().find('\\') != std::string::npos)
        fuzz::Fail("a backslash stayed in the path of " + fuzz::Shown(mapPath));
    (void)PathFromText(folder);
    (void)PathFromText(entry);
    (void)IsWorkshopMapFile(mapPath);
    (void)IsWorkshopMapFile(entry);
    (void)QueryFolderState(folder);

    // Every map the scan finds must load: a folder text holding a NUL finds none.
    if (!IsInsideWorkFolder(folder)) return;
    for (const std::string& found : FindWorkshopMaps(folder))
        if (!IsWorkshopMapFile(folder + "\\" + found))
            fuzz::Fail("the scan of " + fuzz::Shown(folder) + " found " + fuzz::Shown(found) +
                       ", which is no map file");
}

// Workshop folders for the scans: maps in sub-folders, a folder without one, files where
// folders are expected, names with blanks and console signs.
void MakeWorkshopTree() {
    namespace fs = std::filesystem;
    const char* const folders[] = {"maps/Arena", "maps/Empty", "maps/Two maps", "maps/semi;colon", "maps/Upper"};
    const char* const files[] = {"maps/Arena/Arena.upk",  "maps/Two maps/a.upk",  "maps/Two maps/b.upk",
                                 "maps/semi;colon/x.upk", "maps/Upper/FIELD.UPK", "maps/Notes.upk",
                                 "maps/Empty/readme.txt"};
    for (const char* folder : folders) fs::create_directories(folder);
    for (const char* file : files) std::ofstream{file};
    fs::create_directory_symlink("Arena", "maps/Link");
    fs::create_directory_symlink("Missing", "maps/Dangling");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratch = new fuzz::ScratchFolder();
    std::atexit([] { delete scratch; });
    fuzz::InsideFolder inside(scratch->work());
    MakeWorkshopTree();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return -1;
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckPackCode(input);

    const std::size_t lineBreak = input.find('\n');
    const std::string folder = input.substr(0, lineBreak);
    const std::string entry = lineBreak == std::string::npos ? std::string() : input.substr(lineBreak + 1);
    fuzz::InsideFolder inside(scratch->work());
    try {
        CheckPaths(folder, entry);
    } catch (const std::exception& error) {
        fuzz::Fail(std::string("a path operation threw: ") + error.what());
    }
    return 0;
}
