// The scenario text that end-to-end runs hand the wbemprox.dll stand-in.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "board/smbios.h"
#include "sim/wmi/smbios_scenario.h"
#include "tests/smbios/table_scope.h"

namespace {

TEST(WmiScenario, BaseboardTextsBuildATableTheReaderUnderstands) {
    SmbiosScenario scenario;
    std::string error;
    ASSERT_TRUE(ParseSmbiosScenario("# board on the USB list\r\nmanufacturer=QYX\r\n"
                                    "product=TESSALY Z790 (QZ-2C52)\r\nversion=2\r\n\r\n",
                                    scenario, error))
        << error;
    EXPECT_EQ(scenario.data, SmbiosScenario::DataKind::ByteArray);
    EXPECT_EQ(scenario.instances, 1);

    TableScope table(scenario.table);
    BaseboardInfo info = {};
    ASSERT_TRUE(ReadBaseboardInfo(info));
    EXPECT_STREQ(info.manufacturerText, "QYX");
    EXPECT_EQ(GetBoardCode(CString(info.productText)), 0x2C52);
    EXPECT_STREQ(info.versionText, "2");
    EXPECT_EQ(info.serialNumberText, nullptr);  // not given: string number 0
}

TEST(WmiScenario, RawTableAndModes) {
    SmbiosScenario scenario;
    std::string error;
    ASSERT_TRUE(ParseSmbiosScenario("table=02 08 01 00 00 01 00 00\ntable=41 00 00\ndata=signed-bytes\n"
                                    "instances=0\nfail=SetBlanket\nmajor=2\nminor=0x1A\nversion-type=i4\n",
                                    scenario, error))
        << error;
    EXPECT_EQ(scenario.table, (std::vector<BYTE>{0x02, 0x08, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x41, 0, 0}));
    EXPECT_EQ(scenario.data, SmbiosScenario::DataKind::SignedBytes);
    EXPECT_EQ(scenario.instances, 0);
    EXPECT_EQ(scenario.failingCall, SmbiosScenario::FailingCall::SetBlanket);
    EXPECT_EQ(scenario.majorVersion, 2);
    EXPECT_EQ(scenario.minorVersion, 0x1A);
    EXPECT_EQ(scenario.versionType, VT_I4);
}

TEST(WmiScenario, MistakesAreRefusedWithTheirLine) {
    const char *wrong[] = {"product=X\ntable=02 04 00 00 00 00", "table=0", "table=GG", "data=text",
                           "fail=Connect", "colour=blue", "just text", "instances=-1"};
    for (const char *text : wrong) {
        SmbiosScenario scenario;
        std::string error;
        EXPECT_FALSE(ParseSmbiosScenario(text, scenario, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    SmbiosScenario scenario;
    std::string error;
    EXPECT_FALSE(ParseSmbiosScenario("version=1\nbogus=2\n", scenario, error));
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
}

}  // namespace
