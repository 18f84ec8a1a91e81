// The destination kinds' text forms and the training pack code rule.
#include <algorithm>
#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "base/TrainingMode.h"

using namespace postplay;

TEST(TrainingModeText, ParsesOnlyTheExactTextFormsAndFallsBackToFreePlay) {
    for (TrainingMode::Mode mode : {TrainingMode::FreePlay, TrainingMode::Custom, TrainingMode::Workshop})
        EXPECT_EQ(TrainingMode::FromString(TrainingMode::ToString(mode)), mode);

    EXPECT_STREQ(TrainingMode::ToString(TrainingMode::Workshop), "workshop");
    EXPECT_STREQ(TrainingMode::ToString(TrainingMode::Custom), "custom");
    for (const char* other : {"Workshop", " custom", "custom ", "", "2", "freeplay\n"})
        EXPECT_EQ(TrainingMode::FromString(other), TrainingMode::FreePlay) << '"' << other << '"';
}

// Four groups of four ASCII letters or digits joined by hyphens, the letters upper-cased;
// any other byte at any place, or another length, is refused and the text left as it was.
TEST(TrainingPackCode, AcceptsOnlyFourHyphenatedGroupsOfFourAsciiLettersOrDigits) {
    for (const std::string text : {"", "ABCD-1234-EFGH-567", "ABCD-1234-EFGH-56789", "ABCD1234EFGH5678"}) {
        std::string code = text;
        EXPECT_FALSE(ValidateTrainingPackCode(code)) << '"' << text << '"';
        EXPECT_EQ(code, text);
    }
    for (std::size_t at = 0; at < 19; ++at) {
        for (int byte = 1; byte < 256; ++byte) {
            std::string text = "A1b2-C3d4-0000-zZzZ";
            text[at] = static_cast<char>(byte);
            const bool valid = at == 4 || at == 9 || at == 14 ? byte == '-' : std::isalnum(byte) != 0;
            std::string code = text;
            EXPECT_EQ(ValidateTrainingPackCode(code), valid) << "byte " << byte << " at " << at;
            if (valid) std::transform(text.begin(), text.end(), text.begin(), [](char c) { return std::toupper(c); });
            EXPECT_EQ(code, text);
        }
    }
}
