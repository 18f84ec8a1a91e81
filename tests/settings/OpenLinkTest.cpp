// Which links reach the platform's opener, and that the opener gets the link itself.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "settings/LinkOpener.h"
#include "support/HostFixture.h"
#include "support/TextFiles.h"

using namespace postplay;

TEST(OpenLink, TakesOnlyHttpLinksOfVisibleAsciiWithoutShellSigns) {
    EXPECT_TRUE(IsPlainWebLink("https://example.org/a?b=c#d") && IsPlainWebLink("http://example.org/"));
    for (const char* refused : {"", "ftp://example.org", "https:/example.org", "-https://example.org", "HTTPS://x"})
        EXPECT_FALSE(IsPlainWebLink(refused)) << refused;
    const std::string shellSigns = "\"^&|<>";
    for (int byte = 1; byte < 256; ++byte) {
        const bool plain = byte > ' ' && byte < 0x7f && shellSigns.find(static_cast<char>(byte)) == std::string::npos;
        EXPECT_EQ(IsPlainWebLink("https://example.org/" + std::string(1, static_cast<char>(byte))), plain) << byte;
    }
}

#if !defined(_WIN32) && !defined(__APPLE__)
class OpenLinkTest : public HostFixture {};

TEST_F(OpenLinkTest, StartsTheOpenerWithTheLinkAndRefusesAnythingElseWithOneLine) {
    LoadPlugin();
    const std::string opened = (home.path() / "opened").string();
    WriteText(home.path() / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened + ".part' && /bin/mv '" +
                                                    opened + ".part' '" + opened + "'\n");
    std::filesystem::permissions(home.path() / "bin" / "xdg-open", std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH");
    setenv("PATH", (home.path() / "bin").c_str(), 1);
    plugin().OpenWebLink("https://example.org/a?b=c");
    plugin().OpenWebLink("https://example.org/&calc");
    plugin().linkOpener.Stop(); // the opener's thread has started the program
    setenv("PATH", path.c_str(), 1);
    for (int waited = 0; waited < 500 && !std::filesystem::exists(opened); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadBytes(opened), "https://example.org/a?b=c");
    EXPECT_EQ(TakeLines().back(), "Refused to open the link https://example.org/&calc");
}

// A start that fails says so on the game thread, and the frame that clicked only handed the
// link over.
TEST_F(OpenLinkTest, AnOpenerThatCannotStartSaysSo) {
    LoadPlugin();
    const std::string path = std::getenv("PATH");
    setenv("PATH", (home.path() / "nothing-here").c_str(), 1);
    plugin().OpenWebLink("https://example.org/");
    plugin().linkOpener.Stop();
    setenv("PATH", path.c_str(), 1);
    EXPECT_FALSE(Printed("Could not start xdg-open to open https://example.org/"));
    Settle();
    EXPECT_TRUE(Printed("Could not start xdg-open to open https://example.org/"));
}
#endif
