// File names handed to the host as narrow text: whatever text the plug-in gives, the host
// reading it as the platform's narrow file name must reach the very same file.
#if defined(_WIN32)
#include <windows.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "base/NarrowPath.h"
#include "host/PathText.h"
#include "sim/Host.h"
#include "support/HostFixture.h"
#include "support/TextFiles.h"

using namespace postplay;

namespace fs = std::filesystem;

namespace {

const std::string kPlain = "plain";
const std::string kWestern = "H\xC3\xA9l\xC3\xA8ne"; // in the Western European code page
const std::string kCyrillic = "\xD0\x9B\xD0\xB5\xD0\xBD\xD0\xB0";
const std::string kChinese = "\xE5\x8C\x97\xE4\xBA\xAC";

// Names every narrow form can hold here: all of them on POSIX (bytes), on Windows the ASCII
// one and, with the Western European code page, the accented one.
bool MustBeNamed(const std::string& name) {
#if defined(_WIN32)
    return name == kPlain || (name == kWestern && GetACP() == 1252);
#else
    (void)name;
    return true;
#endif
}

} // namespace

// An existing file, a missing file below a missing ASCII folder, and one below a missing folder
// of the same name, each below folders whose names are or are not in the code page. A text
// that reads back as another file would load nothing and let defaults overwrite the player's
// saved settings; when no text can name the file, nothing is given instead.
TEST(NarrowPathTest, TheHostReadingTheTextReachesTheSameFile) {
    ScratchFolder dir;
    for (const std::string& name : {kPlain, kWestern, kCyrillic, kChinese, std::string("back\\slash")}) {
        const fs::path folder = dir.path() / Utf8ToPath(name);
        WriteText(folder / "Postplay.cfg", "saved");
        for (const fs::path& file :
             {folder / "Postplay.cfg", folder / "cfg" / "Postplay.cfg", folder / Utf8ToPath(name) / "Postplay.cfg"}) {
            SCOPED_TRACE(PathToUtf8(file));
            const auto text = NarrowPathText(file);
            if (!text) {
                EXPECT_FALSE(MustBeNamed(name));
                continue;
            }

            const fs::path read = sim::NarrowTextToPath(*text);
            std::error_code error;
            if (!fs::exists(read, error)) {
                fs::create_directories(read.parent_path(), error);
                std::ofstream(read) << "created";
            }
            EXPECT_TRUE(fs::equivalent(file, read, error)) << "read back as " << PathToUtf8(read);
        }
    }
}
