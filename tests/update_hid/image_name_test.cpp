// The versions an image's file name carries, in the USB and the SMBus form.
#include <gtest/gtest.h>

#include <string>

#include "update/image_name.h"

namespace {

std::wstring Text(const CString &text) { return text.GetString(); }

struct Expected {
    const wchar_t *name;
    const wchar_t *ledVerF;
    const wchar_t *ledVerS;
    const wchar_t *loaderVerF;
    const wchar_t *loaderVerS;
};

TEST(UsbImageVersionFields, TakesTwoPairsAfterTheFirstLowerCaseV) {
    const Expected cases[] = {
        {L"LED_v1A03.bin", L"1A", L"03", L"", L""},
        {L"a_v0102_v0304.bin", L"01", L"02", L"", L""},  // only the first "_v"
        {L"abcdef.bin", L"bc", L"de", L"", L""},         // none: characters 1-2 and 3-4
        {L"LED_V1A03.bin", L"ED", L"_V", L"", L""},      // "_V" does not count
        {L"x_v.bin", L".b", L"in", L"", L""},            // whatever stands there
        {L"x_v1", L"1", L"", L"", L""},                  // cut at the end of the name
        {L"ab", L"b", L"", L"", L""},
        {L"", L"", L"", L"", L""},
    };
    for (const Expected &c : cases) {
        const ImageVersionFields fields = UsbImageVersionFields(c.name);
        EXPECT_EQ(Text(fields.ledVerF), c.ledVerF) << c.name;
        EXPECT_EQ(Text(fields.ledVerS), c.ledVerS) << c.name;
        EXPECT_TRUE(fields.loaderVerF.IsEmpty()) << c.name;
        EXPECT_TRUE(fields.loaderVerS.IsEmpty()) << c.name;
    }
}

TEST(SmbusImageVersionFields, TakesTwoPairsOnEachSideOfTheFirstUnderscore) {
    const Expected cases[] = {
        {L"1A03_0205.bin", L"1A", L"03", L"02", L"05"},
        {L"LED1A03_0205.bin", L"1A", L"03", L"02", L"05"},   // the four characters before "_"
        {L"1a03_0205_x.bin", L"1a", L"03", L"02", L"05"},    // as written, case kept
        {L"abcdef.bin", L"ab", L"ab", L"ab", L"cd"},         // no "_"
        {L"_0205.bin", L"_0", L"_0", L"02", L"05"},          // p = 0
        {L"AB_CD.bin", L"AB", L"AB", L"CD", L".b"},          // p = 2
        {L"ABC_DEFG.bin", L"AB", L"BC", L"DE", L"FG"},       // p = 3: positions 0-1 and 1-2
        {L"1A03_0", L"1A", L"03", L"0", L""},                // cut at the end of the name
    };
    for (const Expected &c : cases) {
        const ImageVersionFields fields = SmbusImageVersionFields(c.name);
        EXPECT_EQ(Text(fields.ledVerF), c.ledVerF) << c.name;
        EXPECT_EQ(Text(fields.ledVerS), c.ledVerS) << c.name;
        EXPECT_EQ(Text(fields.loaderVerF), c.loaderVerF) << c.name;
        EXPECT_EQ(Text(fields.loaderVerS), c.loaderVerS) << c.name;
    }
}

TEST(ImageFieldByte, KeepsTheLowEightBitsOfTheDigitRule) {
    EXPECT_EQ(ImageFieldByte(L"1A"), 0x1A);
    EXPECT_EQ(ImageFieldByte(L"1a"), 0x1A);
    EXPECT_EQ(ImageFieldByte(L"FF"), 0xFF);
    EXPECT_EQ(ImageFieldByte(L""), 0);
    EXPECT_EQ(ImageFieldByte(L"G0"), 0x00);   // 16 * 16 = 256: only the low byte counts
    EXPECT_EQ(ImageFieldByte(L".b"), 0xEB);   // '.' is -2: -2 * 16 + 11 = -21
    EXPECT_EQ(ImageFieldByte(L"in"), 0x37);   // 'I' 18, 'N' 23: 18 * 16 + 23 = 311
}

}  // namespace
