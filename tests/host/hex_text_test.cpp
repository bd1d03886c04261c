#include "host/hex_text.h"

#include <gtest/gtest.h>

namespace {

TEST(HexTextToNumber, DigitRuleWithoutValidation) {
    const struct {
        const wchar_t *text;
        double expected;
    } cases[] = {
        {L"", 0},     {L"2C", 44}, {L"2c", 44}, {L"FF", 255},      {L"0A", 10},
        {L"G", 16},   {L"1G", 32}, {L"-1", -47}, {L"2C52", 0x2C52}, {L" 1", -16 * 16 + 1},
    };
    for (const auto &c : cases) EXPECT_EQ(c.expected, HexTextToNumber(c.text)) << "text \"" << CString(c.text) << "\"";
}

}  // namespace
