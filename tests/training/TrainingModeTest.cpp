// The destination kinds' text forms and the training pack code rule.
#include <string>

#include <gtest/gtest.h>

#include "training/TrainingMode.h"

TEST(TrainingModeText, ParsesOnlyTheExactTextFormsAndFallsBackToFreePlay) {
    for (TrainingMode::Mode mode : {TrainingMode::FreePlay, TrainingMode::Custom, TrainingMode::Workshop})
        EXPECT_EQ(TrainingMode::FromString(TrainingMode::ToString(mode)), mode);

    EXPECT_STREQ(TrainingMode::ToString(TrainingMode::Workshop), "workshop");
    EXPECT_STREQ(TrainingMode::ToString(TrainingMode::Custom), "custom");
    for (const char* other : {"Workshop", " custom", "custom ", "", "2", "freeplay\n"})
        EXPECT_EQ(TrainingMode::FromString(other), TrainingMode::FreePlay) << '"' << other << '"';
}

TEST(TrainingPackCode, AcceptsFourGroupsOfFourAndUpperCasesTheLetters) {
    std::string code = "abcd-1234-efgh-5678";
    EXPECT_TRUE(ValidateTrainingPackCode(code));
    EXPECT_EQ(code, "ABCD-1234-EFGH-5678");

    std::string mixed = "A1b2-C3d4-0000-zZzZ";
    EXPECT_TRUE(ValidateTrainingPackCode(mixed));
    EXPECT_EQ(mixed, "A1B2-C3D4-0000-ZZZZ");
}

TEST(TrainingPackCode, RejectsEveryOtherShapeAndLeavesTheTextUntouched) {
    const std::string rejected[] = {
        "ABCD1234EFGH5678",       // no hyphens
        "ABCD-1234-EFGH-567",     // 18 bytes
        "ABCD-1234-EFGH-56789",   // 20 bytes
        "ABCD-12#4-EFGH-5678",    // a sign inside a group
        "ABCD 1234-EFGH-5678",    // a blank for a hyphen
        "abcd-1234-efgh--678",    // a hyphen inside a group
        "ABC-D1234-EFGH-5678",    // hyphen one place early
        "ABCD-1234-EFGH-567\xC9", // a byte above 127
        "",
    };
    for (const std::string& text : rejected) {
        std::string code = text;
        EXPECT_FALSE(ValidateTrainingPackCode(code)) << '"' << text << '"';
        EXPECT_EQ(code, text);
    }
}
