// The ASCII helpers agree with <cctype> in the classic "C" locale (the test program's) on
// every byte, so no other locale can change what they say.
#include <cctype>

#include <gtest/gtest.h>

#include "base/AsciiText.h"

using namespace postplay;

TEST(AsciiText, AgreesWithTheClassicLocaleOnEveryByte) {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        SCOPED_TRACE(byte);
        EXPECT_EQ(IsAsciiLetterOrDigit(c), std::isalnum(byte) != 0);
        EXPECT_EQ(static_cast<unsigned char>(AsciiToUpper(c)), std::toupper(byte));
        EXPECT_EQ(static_cast<unsigned char>(AsciiToLower(c)), std::tolower(byte));
        EXPECT_EQ(AsciiUpperCase(std::string(1, c) + c), std::string(2, static_cast<char>(std::toupper(byte))));
        EXPECT_EQ(AsciiLowerCase(std::string(1, c)), std::string(1, static_cast<char>(std::tolower(byte))));
    }
}
