// The walk to the first baseboard structure and the record read from it, on tables written
// out byte by byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/smbios.h"
#include "tests/smbios/table_scope.h"

namespace {

// A record full of marks, to see that a failed read leaves the caller's record alone.
BaseboardInfo MarkedRecord() {
    BaseboardInfo info;
    std::memset(&info, 0xA5, sizeof info);
    return info;
}

bool SameRecord(const BaseboardInfo &a, const BaseboardInfo &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string TextOf(const char *text) { return text ? text : "(null)"; }

TEST(BaseboardWalk, StringlessStructureIsSkippedByItsLengthPlusTwo) {
    // A system-boot structure whose formatted part holds zeros: the double zero that ends it
    // must be looked for only after its formatted length.
    TableScope table({0x20, 0x0B, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, /* strings */ 0, 0,
                      0x02, 0x0F, 0x02, 0x00, 1, 2, 3, 4, 0, 0x09, 0, 0x03, 0x00, 0x0A, 0,
                      'Q', 'Y', 'X', 0, 'Z', '7', '9', '0', ' ', '(', 'Q', 'Z', '-', '2', 'C', '5', '2', ')', 0,
                      '2', 0, 'S', 'N', '1', 0, 0,
                      0x7F, 0x04, 0xFF, 0xFE, 0, 0});

    EXPECT_EQ(FindBaseboardStructure(), table.Begin() + 13);

    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_EQ(info.type, 2);
    EXPECT_EQ(info.length, 0x0F);
    EXPECT_EQ(info.handle, 0x0002);
    EXPECT_EQ(info.featureFlags, 0x09);
    EXPECT_EQ(info.chassisHandle, 0x0003);
    EXPECT_EQ(info.boardType, 0x0A);
    EXPECT_EQ(info.containedObjectCount, 0);
    EXPECT_EQ(info.containedObjectHandles[0], nullptr);
    EXPECT_EQ(TextOf(info.manufacturerText), "QYX");
    EXPECT_EQ(TextOf(info.productText), "Z790 (QZ-2C52)");
    EXPECT_EQ(TextOf(info.versionText), "2");
    EXPECT_EQ(TextOf(info.serialNumberText), "SN1");
    EXPECT_EQ(info.assetTagText, nullptr);  // string number 0
    EXPECT_EQ(info.locationInChassisText, nullptr);
}

TEST(BaseboardWalk, StructureWithStringsIsSkippedPastItsDoubleZero) {
    TableScope table({0x00, 0x05, 0x00, 0x00, 1, 'B', 'I', 'O', 'S', 0, '1', 0, 0,
                      0x02, 0x08, 0x10, 0x00, 0, 1, 0, 0, 'P', 0, 0});
    EXPECT_EQ(FindBaseboardStructure(), table.Begin() + 13);
}

TEST(BaseboardWalk, BaseboardWithoutStringsHasNullTextsWhateverItsNumbers) {
    TableScope table({0x02, 0x0F, 0x02, 0x00, 1, 2, 3, 4, 5, 0x09, 6, 0x03, 0x00, 0x0A, 0, 0, 0});
    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_EQ(info.manufacturer, 1);
    EXPECT_EQ(info.locationInChassis, 6);
    for (const char *text : {info.manufacturerText, info.productText, info.versionText, info.serialNumberText,
                             info.assetTagText, info.locationInChassisText})
        EXPECT_EQ(text, nullptr);
}

TEST(BaseboardWalk, StringNumberPastTheSetIsNull) {
    TableScope table({0x02, 0x0F, 0x02, 0x00, 1, 3, 2, 0, 0, 0, 0, 0, 0, 0x0A, 0, 'A', 0, 'B', 0, 0});
    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_EQ(TextOf(info.manufacturerText), "A");
    EXPECT_EQ(info.productText, nullptr);  // string 3 of two
    EXPECT_EQ(TextOf(info.versionText), "B");
}

TEST(BaseboardWalk, OnlyStringsEndingInsideTheTableCount) {
    // The set has no closing zero and its second string runs into the end of the table.
    TableScope table({0x02, 0x08, 0x02, 0x00, 1, 2, 0, 0, 'A', 'B', 'C', 0, 'D', 'E', 'F'});
    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_EQ(TextOf(info.manufacturerText), "ABC");
    EXPECT_EQ(info.productText, nullptr);
}

TEST(BaseboardWalk, FieldsPastTheFormattedLengthReadAsZero) {
    // A short (8-byte) baseboard: the bytes after byte 7 are its strings, not fields.
    TableScope shortBoard({0x02, 0x08, 0x34, 0x12, 1, 2, 0, 0, 'M', 0, 'P', 0, 0});
    BaseboardInfo info = MarkedRecord();
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_EQ(info.handle, 0x1234);
    EXPECT_EQ(info.assetTag, 0);
    EXPECT_EQ(info.featureFlags, 0);
    EXPECT_EQ(info.locationInChassis, 0);
    EXPECT_EQ(info.chassisHandle, 0);
    EXPECT_EQ(info.boardType, 0);
    EXPECT_EQ(info.containedObjectCount, 0);
    EXPECT_EQ(TextOf(info.manufacturerText), "M");
    EXPECT_EQ(TextOf(info.productText), "P");
    EXPECT_EQ(info.assetTagText, nullptr);
    EXPECT_EQ(info.containedObjectHandles[254], nullptr);  // the whole record was cleared
}

TEST(BaseboardWalk, FormattedLengthPastTheEndOfTheTable) {
    TableScope table({0x00, 0x04, 0x00, 0x00, 0, 0, 0x02, 0x0F, 0x07, 0x00, 1});
    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_EQ(info.handle, 0x0007);
    EXPECT_EQ(info.manufacturer, 1);
    EXPECT_EQ(info.product, 0);
    EXPECT_EQ(info.manufacturerText, nullptr);  // its string set would begin past the end
}

TEST(BaseboardWalk, ContainedObjectHandlesReferToTheirBytes) {
    TableScope table({0x02, 0x15, 0x02, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0A, 3,
                      0x10, 0x00, 0x11, 0x00, 0x34, 0x12, 0, 0});
    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    ASSERT_EQ(info.containedObjectCount, 3);
    EXPECT_EQ(info.containedObjectHandles[0], table.Begin() + 0x0F);
    EXPECT_EQ(info.containedObjectHandles[1], table.Begin() + 0x11);
    EXPECT_EQ(info.containedObjectHandles[2], table.Begin() + 0x13);
    EXPECT_EQ(info.containedObjectHandles[2][0] | info.containedObjectHandles[2][1] << 8, 0x1234);
    EXPECT_EQ(info.containedObjectHandles[3], nullptr);
}

TEST(BaseboardWalk, CountBeyondTheHandlesPresentLeavesTheRestNull) {
    // Three handles announced, room for one in the formatted part.
    TableScope table({0x02, 0x11, 0x02, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0A, 3, 0x10, 0x00, 0, 0});
    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_EQ(info.containedObjectCount, 3);
    EXPECT_EQ(info.containedObjectHandles[0], table.Begin() + 0x0F);
    EXPECT_EQ(info.containedObjectHandles[1], nullptr);
    EXPECT_EQ(info.containedObjectHandles[2], nullptr);
}

TEST(BaseboardWalk, NoBaseboardLeavesTheRecordUntouched) {
    const BaseboardInfo marked = MarkedRecord();
    {
        TableScope empty(std::vector<BYTE>{});
        BaseboardInfo info = marked;
        EXPECT_EQ(FindBaseboardStructure(), nullptr);
        EXPECT_FALSE(ReadBaseboardInfo(info));
        EXPECT_TRUE(SameRecord(info, marked));
    }
    {
        BYTE someByte = 2;
        TableScope zeroLength(&someByte, 0);
        EXPECT_EQ(FindBaseboardStructure(), nullptr);
    }
    {
        TableScope noBaseboard({0x00, 0x05, 0x00, 0x00, 1, 'B', 0, 0, 0x01, 0x04, 0x01, 0x00, 0, 0,
                                0x7F, 0x04, 0xFF, 0xFE, 0, 0});
        BaseboardInfo info = marked;
        EXPECT_EQ(FindBaseboardStructure(), nullptr);
        EXPECT_FALSE(ReadBaseboardInfo(info));
        EXPECT_TRUE(SameRecord(info, marked));
    }
}

TEST(BaseboardWalk, EndOfTableStructureIsNotSpecial) {
    TableScope table({0x7F, 0x04, 0xFF, 0xFE, 0, 0, 0x02, 0x08, 0x03, 0x00, 0, 1, 0, 0, 'X', 0, 0});
    EXPECT_EQ(FindBaseboardStructure(), table.Begin() + 6);
}

TEST(BaseboardWalk, TruncatedTablesEndTheWalk) {
    // One byte left where a header should be.
    TableScope lastByte({0x01, 0x04, 0x01, 0x00, 0, 0, 0x02});
    EXPECT_EQ(FindBaseboardStructure(), nullptr);
}

TEST(BaseboardWalk, StructureWithoutDoubleZeroEndsTheWalk) {
    TableScope table({0x01, 0x04, 0x01, 0x00, 'A', 0, 'B', 0, 0x02});
    EXPECT_EQ(FindBaseboardStructure(), nullptr);
}

TEST(BaseboardWalk, FirstBaseboardWins) {
    TableScope table({0x02, 0x08, 0x01, 0x00, 0, 1, 0, 0, 'A', 0, 0, 0x02, 0x08, 0x02, 0x00, 0, 1, 0, 0, 'B', 0, 0});
    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_EQ(info.handle, 1);
    EXPECT_EQ(TextOf(info.productText), "A");
}

}  // namespace
