// The controller's identities from the board code, the mode probe and the result texts.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/globals.h"
#include "hidlink/device_ids.h"
#include "sim/qyxhid/hid_sim.h"

namespace {
class DeviceIdsTest : public ::testing::Test {
protected:
    // The controller shows `mode`, its application-mode product ID being `productId`.
    void PowerOn(HidSimMode mode, int productId) {
        HidSimControllerSetup setup;
        setup.mode = mode;
        setup.productId = productId;
        HidSimReset(setup);
    }

    std::vector<std::string> FunctionsCalled() {
        std::vector<std::string> names;
        for (const HidSimCall &call : HidSimCalls()) names.push_back(call.function);
        return names;
    }

    // Builds a record for `boardCode` with g_apProductId holding `before`.
    void Construct(int boardCode, int before) {
        g_boardCode = boardCode;
        g_apProductId = before;
        LedDeviceIds ids;
        EXPECT_EQ(kApVendorId, ids.apVendorId);
        EXPECT_EQ(kLoaderVendorId, ids.loaderVendorId);
        EXPECT_EQ(kLoaderProductId, ids.loaderProductId);
    }
};

TEST_F(DeviceIdsTest, TheTenOrdinaryBoardsUseTheirCodeAsProductIdWithoutAskingTheDevice) {
    const int codes[] = {0x2C41, 0x2C47, 0x2C4D, 0x2C58, 0x2C63, 0x2C6E, 0x2C79, 0x2C84, 0x2C8F, 0x2C9A};
    for (int code : codes) {
        PowerOn(HidSimMode::None, code);
        Construct(code, 0);
        EXPECT_EQ(code, g_apProductId);
        EXPECT_TRUE(IsHidBoardCode(code));
        EXPECT_TRUE(HidSimCalls().empty());
    }
    EXPECT_TRUE(IsHidBoardCode(kQuirkBoardCode));
}

TEST_F(DeviceIdsTest, OtherBoardCodesLeaveTheProductIdAlone) {
    for (int code : {0, 0x2C42, 0x1234, -1}) {
        PowerOn(HidSimMode::Application, 0x2C41);
        Construct(code, 0x7777);
        EXPECT_EQ(0x7777, g_apProductId);
        EXPECT_FALSE(IsHidBoardCode(code));
        EXPECT_TRUE(HidSimCalls().empty());
    }
}

TEST_F(DeviceIdsTest, QuirkBoardKeepsTheProductIdWhileTheLoaderRuns) {
    for (int before : {0, kQuirkBoardCode}) {
        PowerOn(HidSimMode::Loader, kQuirkBoardCode);
        Construct(kQuirkBoardCode, before);
        EXPECT_EQ(before, g_apProductId);
        EXPECT_EQ(std::vector<std::string>{"IsDeviceConnect"}, FunctionsCalled());
        EXPECT_EQ((std::vector<int>{0x0416, 0x3F00, 0, 0}), HidSimCalls()[0].args);
    }
}

TEST_F(DeviceIdsTest, QuirkBoardProbesItsOwnCodeAndKeepsTheProbeOpen) {
    PowerOn(HidSimMode::Application, kQuirkBoardCode);
    Construct(kQuirkBoardCode, 0);
    EXPECT_EQ(kQuirkBoardCode, g_apProductId);
    EXPECT_EQ((std::vector<std::string>{"IsDeviceConnect", "openMyDevice_Read"}), FunctionsCalled());
    EXPECT_EQ((std::vector<int>{0x2E19, kQuirkBoardCode, 0, 0, 1}), HidSimCalls()[1].args);
    EXPECT_EQ(1, HidSimOpenHandleCount());
}

// The fallback is the board's other product ID, 0x51C3, whatever the updater calls it.
TEST_F(DeviceIdsTest, QuirkBoardFallsBackWhenItsCodeDoesNotOpen) {
    PowerOn(HidSimMode::Application, 0x51C3);
    Construct(kQuirkBoardCode, 0);
    EXPECT_EQ(0x51C3, g_apProductId);

    PowerOn(HidSimMode::Application, kQuirkBoardCode);
    HidSimFaults faults;
    faults.failOpenCalls = {1};
    HidSimSetFaults(faults);
    Construct(kQuirkBoardCode, 0);
    EXPECT_EQ(0x51C3, g_apProductId);
}

TEST_F(DeviceIdsTest, DetectBootModeAsksForTheRecordsLoaderAndOpensNothing) {
    g_boardCode = 0;
    LedDeviceIds ids;
    for (HidSimMode mode : {HidSimMode::Loader, HidSimMode::Both, HidSimMode::Application, HidSimMode::None}) {
        PowerOn(mode, 0x2C41);
        BYTE flag = 7;
        ids.DetectBootMode(flag);
        bool loaderShown = mode == HidSimMode::Loader || mode == HidSimMode::Both;
        EXPECT_EQ(loaderShown ? 1 : 0, flag) << HidSimModeName(mode);
        EXPECT_EQ(std::vector<std::string>{"IsDeviceConnect"}, FunctionsCalled());
    }
    PowerOn(HidSimMode::Loader, 0x2C41);
    ids.loaderProductId = 0x3F01;
    BYTE flag = 7;
    ids.DetectBootMode(flag);
    EXPECT_EQ(0, flag);
    EXPECT_EQ((std::vector<int>{0x0416, 0x3F01, 0, 0}), HidSimCalls()[0].args);
}

TEST(ResultTextTest, EveryCodeHasItsExactText) {
    const wchar_t *expected[] = {
        L"Unknow error.",       L"Success.",           L"No device connected.", L"Open device fail.",
        L"Close device fail.",  L"Device is not open.", L"Search device error.", L"Switch to LDROM fail.",
        L"Send command fail.",  L"Get bin file fail.", L"Send data fail.",
    };
    for (int code = 0; code <= 10; ++code) EXPECT_STREQ(expected[code], GetResultText(code).GetString()) << code;
    for (int code : {11, -1, INT_MIN, INT_MAX}) EXPECT_STREQ(L"Unknow Error.", GetResultText(code).GetString()) << code;
}
}  // namespace
