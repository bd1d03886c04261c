// The board code: four hexadecimal digits after "QZ-" in the baseboard's product text.
#include <gtest/gtest.h>

#include <climits>

#include "board/smbios.h"

namespace {

TEST(BoardCode, ExampleProductTexts) {
    EXPECT_EQ(GetBoardCode(L"TESSALY Z790 GAMING (QZ-2C52)"), 0x2C52);
    EXPECT_EQ(GetBoardCode(L"QZ-2C52 REV 1.0"), 0x2C52);
    EXPECT_EQ(GetBoardCode(L"TESSALY B760 (QZ-2C5)"), 0x2C49);  // ')' counts as a digit of value -7
    EXPECT_EQ(GetBoardCode(L"ABC"), 0xABC);
    EXPECT_EQ(GetBoardCode(L""), 0);
}

TEST(BoardCode, TextWithoutMarkIsReadFromItsStart) {
    EXPECT_EQ(GetBoardCode(L"2C52XYZ-trailing"), 0x2C52 * 0x1000 + 33 * 0x100 + 34 * 0x10 + 35);
}

TEST(BoardCode, LowerCaseMarkIsNotFound) {
    // "qz-2c52" is read whole, upper-cased: Q, Z and '-' are digits too.
    const int code = GetBoardCode(L"qz-2c52");
    EXPECT_NE(code, 0x2C52);
    EXPECT_EQ(code, 26 * 0x1000000 + 35 * 0x100000 - 3 * 0x10000 + 0x2C52);
}

TEST(BoardCode, EveryMarkInTheWindowIsRemoved) {
    EXPECT_EQ(GetBoardCode(L"QZ-QZ-1"), 1);
    EXPECT_EQ(GetBoardCode(L"board QZ-1QZ-2"), 1);  // window "QZ-1QZ-": the 2 is outside it
}

TEST(BoardCode, ShortTailAfterTheMark) {
    EXPECT_EQ(GetBoardCode(L"QZ-2C"), 0x2C);
    EXPECT_EQ(GetBoardCode(L"QZ-"), 0);
}

TEST(BoardCode, ValueOutsideThe32BitRangeGivesIntMin) {
    // U+00B6 is the digit 127 by the conversion's rule, U+00B7 is 128.
    EXPECT_EQ(GetBoardCode(L"\u00B6FFFFFF"), INT_MAX);
    EXPECT_EQ(GetBoardCode(L"\u00B7000000"), INT_MIN);
    EXPECT_EQ(GetBoardCode(L"\u00FF234567"), INT_MIN);
}

}  // namespace
