// The six device steps against the in-process simulated controller: what each one sends to
// which device, how it tests presence, what it decodes and what it returns on each failure.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/globals.h"
#include "hidlink/device_ids.h"
#include "hidlink/device_steps.h"
#include "sim/qyxhid/hid_sim.h"

namespace {
using Bytes = std::vector<uint8_t>;

constexpr int kBoardCode = 0x2C41;

Bytes ApReportBytes(uint8_t command, uint8_t fill) {
    Bytes bytes(64, fill);
    bytes[0] = 0x01;
    bytes[1] = command;
    return bytes;
}

Bytes LoaderPacketBytes(uint8_t command) {
    Bytes bytes(65, 0x00);
    bytes[1] = command;  // 32-bit little-endian command; packet number and payload zero
    return bytes;
}

std::vector<std::string> FunctionsCalled() {
    std::vector<std::string> names;
    for (const HidSimCall &call : HidSimCalls()) names.push_back(call.function);
    return names;
}

const HidSimCall *FindCall(const std::string &function) {
    static std::vector<HidSimCall> calls;
    calls = HidSimCalls();
    for (const HidSimCall &call : calls)
        if (call.function == function) return &call;
    return nullptr;
}

std::vector<int> OpenArgs() {
    const HidSimCall *open = FindCall("openMyDevice_Read");
    return open ? open->args : std::vector<int>();
}

const std::vector<int> kApOpen{0x2E19, kBoardCode, 0, 0, 1};
const std::vector<int> kLoaderOpen{0x0416, 0x3F00, 0, 0, 1};
const std::vector<int> kApConnect{0x2E19, kBoardCode, 0, 0};
const std::vector<int> kLoaderConnect{0x0416, 0x3F00, 0, 0};

class DeviceStepsTest : public ::testing::Test {
protected:
    void SetUp() override { PowerOn(HidSimMode::Application); }

    // A controller in `mode` on board 0x2C41, the IDs resolved, the trace empty.
    void PowerOn(HidSimMode mode, uint8_t firmwareVersion = 0x12, uint8_t loaderVersion = 0x14) {
        HidSimControllerSetup setup;
        setup.mode = mode;
        setup.productId = kBoardCode;
        setup.loaderVersion = loaderVersion;
        setup.image = MakeFirmwareImage(firmwareVersion >> 4, firmwareVersion & 0x0F);
        HidSimReset(setup);
        g_boardCode = kBoardCode;
        g_apProductId = 0;
        m_ids = LedDeviceIds();
        g_deviceIds = &m_ids;
        HidSimClearTrace();
    }

    void Faults(const std::function<void(HidSimFaults &)> &edit) {
        HidSimFaults faults;
        edit(faults);
        HidSimSetFaults(faults);
    }

    LedDeviceIds m_ids;
};

TEST_F(DeviceStepsTest, FirmwareVersionAsksTheApplicationDeviceWithoutPresenceTest) {
    BYTE verF = 0xEE, verS = 0xEE;
    EXPECT_EQ(kHidSuccess, HidGetFirmwareVersion(verF, verS));
    EXPECT_EQ(1, verF);
    EXPECT_EQ(2, verS);
    EXPECT_EQ((std::vector<std::string>{"openMyDevice_Read", "WriteDeviceOutput", "ReadDeviceInput", "CloseDevice"}),
              FunctionsCalled());
    EXPECT_EQ(kApOpen, OpenArgs());
    const HidSimCall *write = FindCall("WriteDeviceOutput");
    EXPECT_EQ(64, write->length);
    EXPECT_EQ(ApReportBytes(0xB0, 0xCC), write->data);
    const HidSimCall *read = FindCall("ReadDeviceInput");
    EXPECT_EQ(64, read->length);
    EXPECT_EQ(Bytes(64, 0x00), read->bufferBefore) << "the reply buffer is separate and zeroed";
    EXPECT_EQ(0, HidSimOpenHandleCount());
}

TEST_F(DeviceStepsTest, ApplicationStepsUseTheLow16BitsOfTheProductId) {
    g_apProductId = 0x10000 | kBoardCode;
    BYTE verF = 0, verS = 0;
    EXPECT_EQ(kHidSuccess, HidGetFirmwareVersion(verF, verS));
    EXPECT_EQ(kApOpen, OpenArgs());
}

TEST_F(DeviceStepsTest, LoaderVersionAsksTheLoaderWhenItIsPresent) {
    PowerOn(HidSimMode::Loader);
    BYTE verF = 0xEE, verS = 0xEE;
    EXPECT_EQ(kHidSuccess, HidGetLoaderVersion(verF, verS));
    EXPECT_EQ(1, verF);
    EXPECT_EQ(4, verS);
    EXPECT_EQ((std::vector<std::string>{"IsDeviceConnect", "openMyDevice_Read", "WriteDeviceOutput", "ReadDeviceInput",
                                        "CloseDevice"}),
              FunctionsCalled());
    EXPECT_EQ(kLoaderConnect, FindCall("IsDeviceConnect")->args);
    EXPECT_EQ(kLoaderOpen, OpenArgs());
    EXPECT_EQ(LoaderPacketBytes(0xA6), FindCall("WriteDeviceOutput")->data);
    const HidSimCall *read = FindCall("ReadDeviceInput");
    EXPECT_EQ(65, read->length);
    EXPECT_EQ(LoaderPacketBytes(0xA6), read->bufferBefore) << "the reply lands in the request's buffer, uncleared";
}

TEST_F(DeviceStepsTest, LoaderVersionFallsBackToTheApplicationFirmware) {
    BYTE verF = 0, verS = 0;
    EXPECT_EQ(kHidSuccess, HidGetLoaderVersion(verF, verS));
    EXPECT_EQ(1, verF);
    EXPECT_EQ(4, verS);
    EXPECT_EQ(kLoaderConnect, FindCall("IsDeviceConnect")->args);
    EXPECT_EQ(kApOpen, OpenArgs());
    EXPECT_EQ(ApReportBytes(0xB6, 0xCC), FindCall("WriteDeviceOutput")->data);
}

TEST_F(DeviceStepsTest, LoaderVersionPrefersTheLoaderWhenBothArePresent) {
    PowerOn(HidSimMode::Both);
    BYTE verF = 0, verS = 0;
    EXPECT_EQ(kHidSuccess, HidGetLoaderVersion(verF, verS));
    EXPECT_EQ(kLoaderOpen, OpenArgs());
}

TEST_F(DeviceStepsTest, VersionBytesSplitIntoNibbles) {
    struct Case {
        HidSimMode mode;
        bool firmware;
        uint8_t versionByte;
        BYTE verF, verS;
    };
    const Case cases[] = {
        {HidSimMode::Application, true, 0x12, 1, 2},   {HidSimMode::Application, true, 0xFF, 15, 15},
        {HidSimMode::Application, false, 0x12, 1, 2},  {HidSimMode::Application, false, 0xFF, 15, 15},
        {HidSimMode::Loader, false, 0x12, 1, 2},       {HidSimMode::Loader, false, 0xFF, 15, 15},
    };
    for (const Case &c : cases) {
        PowerOn(c.mode, c.versionByte, c.versionByte);
        BYTE verF = 0, verS = 0;
        int result = c.firmware ? HidGetFirmwareVersion(verF, verS) : HidGetLoaderVersion(verF, verS);
        SCOPED_TRACE(std::string(HidSimModeName(c.mode)) + (c.firmware ? " firmware " : " loader ") +
                     std::to_string(c.versionByte));
        EXPECT_EQ(kHidSuccess, result);
        EXPECT_EQ(c.verF, verF);
        EXPECT_EQ(c.verS, verS);
    }
}

TEST_F(DeviceStepsTest, EnterLoaderSendsTheSwitchAndTheControllerComesBackAsLoader) {
    EXPECT_EQ(kHidSuccess, HidEnterLoader());
    EXPECT_EQ((std::vector<std::string>{"IsDeviceConnect", "openMyDevice_Read", "WriteDeviceOutput", "CloseDevice"}),
              FunctionsCalled());
    EXPECT_EQ(kApConnect, FindCall("IsDeviceConnect")->args);
    EXPECT_EQ(kApOpen, OpenArgs());
    EXPECT_EQ(ApReportBytes(0xA0, 0x00), FindCall("WriteDeviceOutput")->data);
    HidSimAdvanceClock(800);
    EXPECT_EQ(HidSimMode::Loader, HidSimCurrentMode());
}

TEST_F(DeviceStepsTest, EnterLoaderInTheLoaderAndLeaveLoaderInTheApplicationSendNothing) {
    PowerOn(HidSimMode::Loader);
    EXPECT_EQ(kHidSuccess, HidEnterLoader());
    EXPECT_EQ(std::vector<std::string>{"IsDeviceConnect"}, FunctionsCalled());

    PowerOn(HidSimMode::Application);
    EXPECT_EQ(kHidSuccess, HidLeaveLoader());
    EXPECT_EQ(std::vector<std::string>{"IsDeviceConnect"}, FunctionsCalled());
    EXPECT_EQ(kLoaderConnect, FindCall("IsDeviceConnect")->args);
}

TEST_F(DeviceStepsTest, LeaveLoaderRunsTheApplication) {
    PowerOn(HidSimMode::Loader);
    EXPECT_EQ(kHidSuccess, HidLeaveLoader());
    EXPECT_EQ((std::vector<std::string>{"IsDeviceConnect", "openMyDevice_Read", "WriteDeviceOutput", "CloseDevice"}),
              FunctionsCalled());
    EXPECT_EQ(kLoaderOpen, OpenArgs());
    EXPECT_EQ(LoaderPacketBytes(0xAB), FindCall("WriteDeviceOutput")->data);
    EXPECT_EQ(HidSimMode::Application, HidSimCurrentMode());
}

TEST_F(DeviceStepsTest, EraseFlashOpensTheLoaderWithoutPresenceTestAndReadsTheReply) {
    PowerOn(HidSimMode::Loader);
    EXPECT_EQ(kHidSuccess, HidEraseFlash());
    EXPECT_EQ((std::vector<std::string>{"openMyDevice_Read", "WriteDeviceOutput", "ReadDeviceInput", "CloseDevice"}),
              FunctionsCalled());
    EXPECT_EQ(kLoaderOpen, OpenArgs());
    EXPECT_EQ(LoaderPacketBytes(0xA3), FindCall("WriteDeviceOutput")->data);
    EXPECT_EQ(65, FindCall("ReadDeviceInput")->length);
    EXPECT_EQ(HidSimFlash::Erased, HidSimFlashState());
}

TEST_F(DeviceStepsTest, ResetMcuPrefersTheApplicationDevice) {
    for (HidSimMode mode : {HidSimMode::Application, HidSimMode::Both}) {
        PowerOn(mode);
        EXPECT_EQ(kHidSuccess, HidResetMcu());
        EXPECT_EQ((std::vector<std::string>{"IsDeviceConnect", "openMyDevice_Read", "WriteDeviceOutput", "CloseDevice"}),
                  FunctionsCalled());
        EXPECT_EQ(kApOpen, OpenArgs());
        EXPECT_EQ(ApReportBytes(0xD0, 0x00), FindCall("WriteDeviceOutput")->data);
    }
}

TEST_F(DeviceStepsTest, ResetMcuResetsTheLoaderWhenOnlyItIsPresent) {
    PowerOn(HidSimMode::Loader);
    EXPECT_EQ(kHidSuccess, HidResetMcu());
    EXPECT_EQ((std::vector<std::string>{"IsDeviceConnect", "IsDeviceConnect", "openMyDevice_Read", "WriteDeviceOutput",
                                        "CloseDevice"}),
              FunctionsCalled());
    EXPECT_EQ(kLoaderOpen, OpenArgs());
    EXPECT_EQ(LoaderPacketBytes(0xAD), FindCall("WriteDeviceOutput")->data);
}

TEST_F(DeviceStepsTest, ResetMcuCountsOnlyExactlyOneAsPresent) {
    for (HidSimMode mode : {HidSimMode::Application, HidSimMode::Loader, HidSimMode::None}) {
        for (bool closeZeroFails : {false, true}) {
            PowerOn(mode);
            Faults([&](HidSimFaults &f) {
                f.connectCount = 2;
                f.closeZeroFails = closeZeroFails;
            });
            EXPECT_EQ(closeZeroFails ? kHidCloseFailed : kHidSuccess, HidResetMcu());
            EXPECT_EQ((std::vector<std::string>{"IsDeviceConnect", "IsDeviceConnect", "CloseDevice"}), FunctionsCalled());
            EXPECT_EQ(0u, FindCall("CloseDevice")->handle);
        }
    }
}

TEST_F(DeviceStepsTest, AnyCountAboveZeroIsPresentForTheOtherSteps) {
    Faults([](HidSimFaults &f) { f.connectCount = 2; });
    EXPECT_EQ(kHidSuccess, HidEnterLoader());
    EXPECT_EQ(ApReportBytes(0xA0, 0x00), FindCall("WriteDeviceOutput")->data);

    PowerOn(HidSimMode::Loader);
    Faults([](HidSimFaults &f) { f.connectCount = 2; });
    BYTE verF = 0, verS = 0;
    EXPECT_EQ(kHidSuccess, HidGetLoaderVersion(verF, verS));
    EXPECT_EQ(kLoaderOpen, OpenArgs());
    EXPECT_EQ(kHidSuccess, HidLeaveLoader());
    EXPECT_EQ(HidSimMode::Application, HidSimCurrentMode());

    BYTE flag = 0;
    PowerOn(HidSimMode::Loader);
    Faults([](HidSimFaults &f) { f.connectCount = 2; });
    m_ids.DetectBootMode(flag);
    EXPECT_EQ(1, flag);
}

TEST_F(DeviceStepsTest, FirmwareVersionInTheLoaderFailsToOpen) {
    PowerOn(HidSimMode::Loader);
    BYTE verF = 0xEE, verS = 0xEE;
    EXPECT_EQ(kHidOpenFailed, HidGetFirmwareVersion(verF, verS));
    EXPECT_EQ(0xEE, verF);
    EXPECT_EQ(0xEE, verS);
}

// Each sending step, set up so that its exchange is reached, with the result a failed write gives.
struct SendingStep {
    const char *name;
    HidSimMode mode;
    bool readsReply;
    bool decodes;
    int writeFailure;
    std::function<int(BYTE &, BYTE &)> run;
};

std::vector<SendingStep> SendingSteps() {
    return {
        {"HidGetFirmwareVersion", HidSimMode::Application, true, true, kHidSwitchFailed,
         [](BYTE &f, BYTE &s) { return HidGetFirmwareVersion(f, s); }},
        {"HidGetLoaderVersion (loader)", HidSimMode::Loader, true, true, kHidSwitchFailed,
         [](BYTE &f, BYTE &s) { return HidGetLoaderVersion(f, s); }},
        {"HidGetLoaderVersion (application)", HidSimMode::Application, true, true, kHidSwitchFailed,
         [](BYTE &f, BYTE &s) { return HidGetLoaderVersion(f, s); }},
        {"HidEnterLoader", HidSimMode::Application, false, false, kHidSwitchFailed,
         [](BYTE &, BYTE &) { return HidEnterLoader(); }},
        {"HidLeaveLoader", HidSimMode::Loader, false, false, kHidSwitchFailed,
         [](BYTE &, BYTE &) { return HidLeaveLoader(); }},
        {"HidEraseFlash", HidSimMode::Loader, true, false, kHidSwitchFailed,
         [](BYTE &, BYTE &) { return HidEraseFlash(); }},
        {"HidResetMcu (application)", HidSimMode::Application, false, false, kHidCommandFailed,
         [](BYTE &, BYTE &) { return HidResetMcu(); }},
        {"HidResetMcu (loader)", HidSimMode::Loader, false, false, kHidCommandFailed,
         [](BYTE &, BYTE &) { return HidResetMcu(); }},
    };
}

TEST_F(DeviceStepsTest, FailedOpenReturns3AndLeavesTheVersionsAlone) {
    for (const SendingStep &step : SendingSteps()) {
        SCOPED_TRACE(step.name);
        PowerOn(step.mode);
        Faults([](HidSimFaults &f) { f.failOpenCalls = {1}; });
        BYTE verF = 0xEE, verS = 0xEE;
        EXPECT_EQ(kHidOpenFailed, step.run(verF, verS));
        EXPECT_EQ(0xEE, verF);
        EXPECT_EQ(0xEE, verS);
        EXPECT_EQ(nullptr, FindCall("WriteDeviceOutput"));
    }
}

TEST_F(DeviceStepsTest, FailedWriteReturnsItsCodeWithoutClosing) {
    for (const SendingStep &step : SendingSteps()) {
        SCOPED_TRACE(step.name);
        PowerOn(step.mode);
        Faults([](HidSimFaults &f) { f.failWriteCalls = {1}; });
        BYTE verF = 0xEE, verS = 0xEE;
        EXPECT_EQ(step.writeFailure, step.run(verF, verS));
        EXPECT_EQ(0xEE, verF);
        EXPECT_EQ(0xEE, verS);
        EXPECT_EQ(nullptr, FindCall("ReadDeviceInput"));
        EXPECT_EQ(nullptr, FindCall("CloseDevice"));
        EXPECT_EQ(1, HidSimOpenHandleCount());
    }
}

TEST_F(DeviceStepsTest, FailedReadReturns7WithoutClosing) {
    for (const SendingStep &step : SendingSteps()) {
        if (!step.readsReply) continue;
        SCOPED_TRACE(step.name);
        PowerOn(step.mode);
        Faults([](HidSimFaults &f) { f.failReadCalls = {1}; });
        BYTE verF = 0xEE, verS = 0xEE;
        EXPECT_EQ(kHidSwitchFailed, step.run(verF, verS));
        EXPECT_EQ(0xEE, verF);
        EXPECT_EQ(0xEE, verS);
        EXPECT_EQ(nullptr, FindCall("CloseDevice"));
        EXPECT_EQ(1, HidSimOpenHandleCount());
    }
}

TEST_F(DeviceStepsTest, FailedCloseReturns4AfterStoringTheVersions) {
    for (const SendingStep &step : SendingSteps()) {
        SCOPED_TRACE(step.name);
        PowerOn(step.mode);
        Faults([](HidSimFaults &f) { f.failCloseCalls = {1}; });
        BYTE verF = 0xEE, verS = 0xEE;
        EXPECT_EQ(kHidCloseFailed, step.run(verF, verS));
        if (step.decodes) {
            EXPECT_EQ(1, verF);
            EXPECT_NE(0xEE, verS);
        }
    }
}

TEST_F(DeviceStepsTest, FirmwareThatCannotTellItsLoaderVersionFailsTheRead) {
    Faults([](HidSimFaults &f) { f.noLoaderVersion = true; });
    BYTE verF = 0xEE, verS = 0xEE;
    EXPECT_EQ(kHidSwitchFailed, HidGetLoaderVersion(verF, verS));
    EXPECT_EQ(0xEE, verF);
    EXPECT_EQ(nullptr, FindCall("CloseDevice"));
}
}  // namespace
