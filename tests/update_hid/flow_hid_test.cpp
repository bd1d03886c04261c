// The update over USB HID, against the simulated controller: the packets on the wire, the
// progress, the read-back and every way the run can stop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/globals.h"
#include "hidlink/device_ids.h"
#include "sim/qyxhid/firmware_image.h"
#include "tests/update_hid/hid_run_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

uint32_t Le32(const std::vector<uint8_t> &bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

class HidFlowTest : public HidRunTest {
protected:
    // Opens the dialog on a controller at 0.1 with the image in place, then clicks nothing:
    // the test runs the flow itself.
    void StartInteractive(const std::vector<BYTE> &image, const std::wstring &name = L"led_v0102.bin") {
        HidSimReset(ControllerRunning(0, 1));
        PutImage(name, image);
        OpenDialog();
        ASSERT_TRUE(UpdateEnabled());
        waits_.clear();
        WatchProgress();
    }
    // Fails the nth call of `function` counted from now.
    void FailFromNow(const std::string &function, int n) {
        HidSimFaults faults;
        std::vector<int> call = {CallCount(function) + n};
        if (function == "openMyDevice_Read") faults.failOpenCalls = call;
        if (function == "WriteDeviceOutput") faults.failWriteCalls = call;
        if (function == "ReadDeviceInput") faults.failReadCalls = call;
        if (function == "CloseDevice") faults.failCloseCalls = call;
        HidSimSetFaults(faults);
    }
    void ExpectOneBox(const std::wstring &text) {
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, text);
        EXPECT_EQ(boxes_[0].caption, L"Vantor");
        EXPECT_EQ(boxes_[0].type, UINT(MB_OK | MB_TOPMOST));
    }
};

TEST_F(HidFlowTest, InteractiveUpdateWritesTheImageAndReadsTheNewVersionsBack) {
    const std::vector<BYTE> image = PatternImage(1000, 1, 2);
    StartInteractive(image);

    dialog_->UpdateOverHid();

    ExpectOneBox(L"Finish!");
    EXPECT_EQ(g_restartAndExit, 1);
    EXPECT_THAT(waits_, ElementsAre(800u, 1u, 2000u));
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Application);
    EXPECT_EQ(HidSimFlashImage(), std::vector<uint8_t>(image.begin(), image.end()));
    EXPECT_EQ(HidSimFirmwareVersionByte(), 0x12);
    EXPECT_THAT(HidSimProtocolErrors(), IsEmpty());
    EXPECT_EQ(HidSimOpenHandleCount(), 0);
    const std::vector<std::wstring> log = LogMessages();
    ASSERT_GE(log.size(), 3u);
    EXPECT_THAT(std::vector<std::wstring>(log.end() - 3, log.end()),
                ElementsAre(L"Loder verf, vers: 1, 4", L"LED VerF : 1", L"LED VerS : 2"));
    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0104");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0102");
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
    EXPECT_EQ(dialog_->m_ledVerF, 1);
    EXPECT_EQ(dialog_->m_ledVerS, 2);
    EXPECT_EQ(ProgressPosition(), 100);
}

TEST_F(HidFlowTest, PacketsCarryTheImageInFileOrderWithProgressBeforeEachButTheFirst) {
    struct Case {
        size_t length;
        size_t packets;
        std::vector<int> progress;  // every position set, 100 at the end included
    };
    const std::vector<int> thousand = {4, 10, 16, 21, 27, 32, 38, 44, 49, 55, 60, 66, 72, 77, 83, 88, 94, 100};
    const Case cases[] = {
        {8, 1, {100}},     {48, 1, {100}},           {49, 2, {97, 100}},
        {104, 2, {46, 100}}, {300, 6, {16, 34, 53, 72, 90, 100}}, {1000, 18, thousand},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " bytes");
        TearDown();
        SetUp();
        const std::vector<BYTE> image = PatternImage(c.length);
        StartInteractive(image);

        dialog_->UpdateOverHid();

        ExpectOneBox(L"Finish!");
        const auto packets = ImagePackets();
        ASSERT_EQ(packets.size(), c.packets);
        std::vector<uint8_t> carried;
        for (size_t i = 0; i < packets.size(); ++i) {
            const std::vector<uint8_t> &p = packets[i];
            EXPECT_EQ(p[0], 0x00);
            EXPECT_EQ(Le32(p, 1), i == 0 ? 0xA0u : 0u);
            EXPECT_EQ(Le32(p, 5), 0u);  // packet number
            const size_t dataAt = i == 0 ? 17 : 9;
            if (i == 0) {
                EXPECT_EQ(Le32(p, 9), 0u);  // start address
                EXPECT_EQ(Le32(p, 13), c.length);
            }
            const size_t n = std::min(c.length - carried.size(), size_t(65) - dataAt);
            carried.insert(carried.end(), p.begin() + dataAt, p.begin() + dataAt + n);
            EXPECT_EQ(std::vector<uint8_t>(p.begin() + dataAt + n, p.end()), std::vector<uint8_t>(65 - dataAt - n, 0))
                << "zero fill of packet " << i;
        }
        EXPECT_EQ(carried, std::vector<uint8_t>(image.begin(), image.end()));
        EXPECT_THAT(progress_, ElementsAreArray(c.progress));
        EXPECT_EQ(HidSimFlashImage(), carried);
    }
}

TEST_F(HidFlowTest, ProgressTruncatesTheShareSentInDoublePrecision) {
    StartInteractive(PatternImage(2400));
    dialog_->UpdateOverHid();
    // 1392 of 2400 bytes is 0.58, and 0.58 * 100.0 is just below 58.
    ASSERT_GE(progress_.size(), 25u);
    EXPECT_EQ(progress_[24], 57);
    EXPECT_EQ(ImagePackets().size(), 43u);
}

TEST_F(HidFlowTest, SilentUpdateReadsTheVersionsItselfAndStoresTheOutcome) {
    HidSimReset(ControllerRunning(0, 1));
    const std::vector<BYTE> image = PatternImage(500, 1, 2);
    PutImage(L"led_v0102.bin", image);

    OpenDialog(L"-F");  // the whole run happens inside the start-up

    EXPECT_THAT(boxes_, IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Msg"), L"Finish!");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0102");
    EXPECT_EQ(UpdaterValue(L"Tool Version"), L"(none)");  // the start-up checks were skipped
    EXPECT_EQ(HidSimFlashImage(), std::vector<uint8_t>(image.begin(), image.end()));
    EXPECT_EQ(ProgressPosition(), 100);
    EXPECT_EQ(g_restartAndExit, 1);
    EXPECT_THAT(exits_, ElementsAre(0));
}

TEST_F(HidFlowTest, SilentRereadFailureShowsOnlyInTheStatusLine) {
    // A controller still in its loader has no application-mode device to ask.
    HidSimControllerSetup inLoader = ControllerRunning(0, 1);
    inLoader.mode = HidSimMode::Loader;
    HidSimReset(inLoader);
    PutImage(L"led_v0102.bin", PatternImage(100));
    OpenDialog();
    HidSimReset(inLoader);
    HidSimClearTrace();
    dialog_->m_strCmdLine = L"-f";
    dialog_->m_btnUpdate.EnableWindow(TRUE);

    dialog_->UpdateOverHid();

    EXPECT_EQ(ControlText(IDC_STATUS), L"Get FW version : Open device fail.");
    EXPECT_FALSE(UpdateEnabled());
    EXPECT_EQ(g_lastErrorText, L"Open device fail.");
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
    EXPECT_EQ(g_restartAndExit, 0);
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Loader);

    // Firmware that cannot report its loader version fails the second read.
    HidSimReset(ControllerRunning(0, 1));
    HidSimFaults faults;
    faults.noLoaderVersion = true;
    HidSimSetFaults(faults);
    dialog_->UpdateOverHid();
    EXPECT_EQ(ControlText(IDC_STATUS), L"Get Loder version : Switch to LDROM fail.");
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
    EXPECT_EQ(g_restartAndExit, 0);
    EXPECT_EQ(HidSimFlashState(), HidSimFlash::Valid);
}

TEST_F(HidFlowTest, OtherCommandLinesOnlyAskToEnd) {
    StartInteractive(PatternImage(100));
    const int callsBefore = static_cast<int>(HidSimCalls().size());
    dialog_->m_strCmdLine = L"-v";
    StartElsewhere();
    dialog_->UpdateOverHid();
    EXPECT_EQ(CurrentDirectory(), programDir_);
    EXPECT_EQ(g_restartAndExit, 1);
    EXPECT_EQ(static_cast<int>(HidSimCalls().size()), callsBefore);
    EXPECT_THAT(boxes_, IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
}

TEST_F(HidFlowTest, NoImageEndsTheRunWithoutTouchingTheController) {
    StartInteractive(PatternImage(100));
    DeleteFileW((programDir_ + L"led_v0102.bin").c_str());
    HidSimClearTrace();

    dialog_->UpdateOverHid();

    ExpectOneBox(L"Doesn't Find Bin File!");
    EXPECT_EQ(g_restartAndExit, 1);
    EXPECT_THAT(HidSimCalls(), IsEmpty());

    dialog_->m_strCmdLine = L"-f";
    dialog_->UpdateOverHid();
    EXPECT_EQ(UpdaterValue(L"Msg"), L"Doesn't Find Bin File!");
}

TEST_F(HidFlowTest, OlderImageIsRefusedWithTheControllersVersion) {
    StartInteractive(PatternImage(100));
    // A newer controller appears after the dialog opened: only the flow's gate sees it.
    dialog_->m_ledVerF = 1;
    dialog_->m_ledVerS = 3;
    HidSimClearTrace();

    dialog_->UpdateOverHid();

    ExpectOneBox(L"LED Version doesn't match!\nYour LED Version is 13");
    EXPECT_EQ(g_restartAndExit, 1);
    EXPECT_THAT(HidSimCalls(), IsEmpty());

    // Silent: the controller at 2.0 is read by the flow itself.
    TearDown();
    SetUp();
    HidSimReset(ControllerRunning(2, 0));
    PutImage(L"led_v0102.bin", PatternImage(100));
    OpenDialog(L"-f");
    EXPECT_THAT(boxes_, IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Msg"), L"LED Version doesn't match!");
    EXPECT_EQ(HidSimFlashState(), HidSimFlash::Valid);
    EXPECT_EQ(HidSimFirmwareVersionByte(), 0x20);
}

TEST_F(HidFlowTest, QuirkBoardIsAlwaysUpdatedAndReadBackUnderItsResolvedIdentity) {
    ServeBoard("QZ-2C52", "2");
    HidSimControllerSetup quirk = ControllerRunning(3, 0);
    quirk.productId = 0x2C52;
    HidSimReset(quirk);
    PutImage(L"led_v0102.bin", PatternImage(200, 1, 2));
    OpenDialog();
    ASSERT_TRUE(UpdateEnabled());
    LedDeviceIds *before = g_deviceIds;
    dialog_->m_ledVerF = 3;  // what the firmware would report without the quirk

    dialog_->UpdateOverHid();

    ExpectOneBox(L"Finish!");
    EXPECT_NE(g_deviceIds, before);
    EXPECT_EQ(g_apProductId, 0x2C52);
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"0102");  // the read-back keeps what it reads
}

// New firmware on the quirk board may come up under another product ID. The identity is
// resolved again only once the controller is back from its loader: while the loader runs it
// hides which ID the firmware has, and the record would keep the old one. Here the image brings
// the fallback ID, so the read-back must find the firmware under 0x51C3. A silent run reads the
// firmware version before the loader version.
TEST_F(HidFlowTest, QuirkBoardResolvesItsProductIdAgainOnceBackFromTheLoader) {
    struct Case {
        const char *name;
        const wchar_t *commandLine;
        int connectCount;  // 2: the reset sends nothing, so only the run command leaves the loader
    };
    const Case cases[] = {
        {"interactive, the reset starts the firmware", L"", 1},
        {"interactive, the run command starts the firmware", L"", 2},
        {"silent", L"-f", 1},
    };
    std::vector<BYTE> image = PatternImage(300, 1, 2);
    std::copy_n(kFirmwareProductIdMarker, kFirmwareProductIdMarkerLength, image.begin() + 64);
    image[64 + kFirmwareProductIdMarkerLength] = 0xC3;
    image[64 + kFirmwareProductIdMarkerLength + 1] = 0x51;

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        ServeBoard("QZ-2C52", "2");
        HidSimControllerSetup quirk = ControllerRunning(3, 0);
        quirk.productId = 0x2C52;
        HidSimReset(quirk);
        HidSimFaults faults;
        faults.connectCount = c.connectCount;
        HidSimSetFaults(faults);
        PutImage(L"led_v0102.bin", image);

        OpenDialog(c.commandLine);
        if (*c.commandLine == L'\0') {
            EXPECT_EQ(g_apProductId, 0x2C52);
            dialog_->UpdateOverHid();
            ExpectOneBox(L"Finish!");
        } else {
            EXPECT_EQ(UpdaterValue(L"Msg"), L"Finish!");
            std::vector<int> asked;
            for (const HidSimCall &call : HidSimCalls())
                if (call.function == "WriteDeviceOutput" && call.length == 64) asked.push_back(call.data[1]);
            ASSERT_GE(asked.size(), 2u);
            EXPECT_THAT(std::vector<int>(asked.begin(), asked.begin() + 2), ElementsAre(0xB0, 0xB6));
        }

        EXPECT_EQ(g_apProductId, 0x51C3);
        EXPECT_EQ(HidSimProductId(), 0x51C3);
        EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Application);
        EXPECT_EQ(UpdaterValue(L"LED Version"), L"0102");  // read back under the new identity
        EXPECT_THAT(HidSimProtocolErrors(), IsEmpty());
    }
}

// Each row: where the run stops, what it reports, and where it leaves the controller.
struct FailureRow {
    const char *name;
    const char *function;  // library call made to fail, counted from the flow's start
    int callFromNow;
    const wchar_t *report;
    const wchar_t *lastError;
    HidSimMode mode;
    HidSimFlash flash;
};

class HidFlowFailureTest : public HidFlowTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(HidFlowFailureTest, StopsWithItsReportAndLeavesTheFlagClear) {
    const FailureRow &row = GetParam();
    const std::vector<BYTE> image = PatternImage(300, 1, 2);
    StartInteractive(image);
    FailFromNow(row.function, row.callFromNow);

    dialog_->UpdateOverHid();

    ExpectOneBox(row.report);
    EXPECT_EQ(g_lastErrorText, row.lastError);
    EXPECT_EQ(g_restartAndExit, 0);
    EXPECT_EQ(HidSimCurrentMode(), row.mode);
    EXPECT_EQ(HidSimFlashState(), row.flash);
    EXPECT_THAT(HidSimProtocolErrors(), IsEmpty());
    EXPECT_EQ(UpdaterValue(L"Msg"), L"(none)");
}

// Flow calls from the start: enter loader (open 1, write 1), erase (open 2, write 2, read 1),
// the stream (open 3, writes and reads 3.. / 2..), reset (open 4), read-back (opens 5 and 6).
INSTANTIATE_TEST_SUITE_P(
    EveryRow, HidFlowFailureTest,
    ::testing::Values(
        FailureRow{"EnterLoader", "WriteDeviceOutput", 1, L"AP to Loder : Switch to LDROM fail.",
                   L"Switch to LDROM fail.", HidSimMode::Application, HidSimFlash::Valid},
        FailureRow{"EraseOpen", "openMyDevice_Read", 2, L"Send command fail.", L"Send command fail.",
                   HidSimMode::Loader, HidSimFlash::Valid},
        FailureRow{"EraseReply", "ReadDeviceInput", 1, L"Send command fail.", L"Send command fail.",
                   HidSimMode::Loader, HidSimFlash::Erased},
        FailureRow{"LoaderOpen", "openMyDevice_Read", 3, L"Open device fail.", L"Open device fail.",
                   HidSimMode::Loader, HidSimFlash::Erased},
        FailureRow{"PacketWrite", "WriteDeviceOutput", 5, L"Send data fail.", L"Send data fail.",
                   HidSimMode::Loader, HidSimFlash::Partial},
        FailureRow{"PacketReply", "ReadDeviceInput", 2, L"Send data fail.", L"Send data fail.",
                   HidSimMode::Loader, HidSimFlash::Partial},
        FailureRow{"LoaderClose", "CloseDevice", 3, L"Close device fail.", L"Close device fail.",
                   HidSimMode::Loader, HidSimFlash::Valid},
        FailureRow{"Reset", "WriteDeviceOutput", 9, L"Reset MCU : Send command fail.", L"Send command fail.",
                   HidSimMode::Loader, HidSimFlash::Valid},
        FailureRow{"ReadBackLoaderVersion", "openMyDevice_Read", 5, L"Get Loder version : Open device fail.",
                   L"Open device fail.", HidSimMode::Application, HidSimFlash::Valid},
        FailureRow{"ReadBackFirmwareVersion", "openMyDevice_Read", 6, L"Get FW version : Open device fail.",
                   L"Open device fail.", HidSimMode::Application, HidSimFlash::Valid}),
    [](const ::testing::TestParamInfo<FailureRow> &info) { return std::string(info.param.name); });

TEST_F(HidFlowTest, FailedReturnFromTheLoaderLeavesTheControllerThere) {
    // A library that answers 2 for a present device makes the reset send nothing, so the
    // controller is still in its loader when the flow sends it back.
    StartInteractive(PatternImage(300));
    HidSimFaults faults;
    faults.connectCount = 2;
    faults.failWriteCalls = {CallCount("WriteDeviceOutput") + 9};  // enter, erase, 6 packets, run
    HidSimSetFaults(faults);

    dialog_->UpdateOverHid();

    ExpectOneBox(L"Loder to AP : Switch to LDROM fail.");
    EXPECT_EQ(g_restartAndExit, 0);
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Loader);
}

TEST_F(HidFlowTest, ReadBackFailureKeepsTheLoaderVersionStored) {
    StartInteractive(PatternImage(300, 1, 2));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QYX\\Tessaly Series\\LED");
    FailFromNow("openMyDevice_Read", 6);

    dialog_->UpdateOverHid();

    EXPECT_EQ(UpdaterValue(L"Loder Version"), L"0104");
    EXPECT_EQ(UpdaterValue(L"LED Version"), L"(none)");
    EXPECT_EQ(LogMessages().back(), L"Loder verf, vers: 1, 4");
}

TEST_F(HidFlowTest, ImagesThatCannotBeReadWholeAreRefusedBeforeAnyDeviceStep) {
    // Empty: writing it would leave the controller erased and without firmware.
    StartInteractive(std::vector<BYTE>());
    HidSimClearTrace();
    dialog_->UpdateOverHid();
    ExpectOneBox(L"Get bin file fail.");
    EXPECT_EQ(g_lastErrorText, L"Get bin file fail.");
    EXPECT_EQ(g_restartAndExit, 0);
    EXPECT_THAT(HidSimCalls(), IsEmpty());

    // Held open by another program without sharing: it cannot be opened.
    boxes_.clear();
    PutImage(L"led_v0102.bin", PatternImage(100));
    HANDLE held = HoldWithoutSharing(programDir_ + L"led_v0102.bin");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    dialog_->UpdateOverHid();
    CloseHandle(held);
    ExpectOneBox(L"Get bin file fail.");
    EXPECT_THAT(HidSimCalls(), IsEmpty());
    EXPECT_EQ(HidSimFlashState(), HidSimFlash::Valid);
}

TEST_F(HidFlowTest, ControllerLeftInItsLoaderIsUpdatedByTheNextRun) {
    StartInteractive(PatternImage(300, 1, 2));
    FailFromNow("WriteDeviceOutput", 5);
    dialog_->UpdateOverHid();
    ExpectOneBox(L"Send data fail.");
    ASSERT_EQ(HidSimCurrentMode(), HidSimMode::Loader);

    // The controller stays in its loader: the enter step finds no application device.
    boxes_.clear();
    HidSimSetFaults(HidSimFaults());
    dialog_->UpdateOverHid();

    ExpectOneBox(L"Finish!");
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Application);
    EXPECT_EQ(HidSimFirmwareVersionByte(), 0x12);
}

}  // namespace
