// Every command-line mode of the real program, on a USB board and on SMBus boards with an
// Intel and with another host bridge: the exit code, what the registry and the log hold, what
// happened to the lighting software, and the controller as the simulator was left.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/qyxhid/firmware_image.h"
#include "sim/smbus/test_image.h"
#include "tests/e2e_run/board_test.h"
#include "tests/e2e_support/dialog_driver.h"

using namespace e2e;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

// What each kind of command line does.
enum class Mode {
    kInteractive,  // empty: the dialog opens; the test closes it
    kVersions,     // "-v": versions stored, then the end
    kSilent,       // "-f": silent update, then the end
    kNothing,      // any other text: the end without checks or update
    kNoDriver,     // SMBus without the driver library: the dialog opens whatever the text
};

struct Row {
    const wchar_t *args;
    Mode mode;
    const char *name;
};

const Row kRows[] = {
    {L"", Mode::kInteractive, "Empty"},   {L"-v", Mode::kVersions, "V"},      {L"-V", Mode::kVersions, "UpperV"},
    {L"-f", Mode::kSilent, "F"},          {L"-F", Mode::kSilent, "UpperF"},   {L"-v -f", Mode::kNothing, "VAndF"},
    {L"/update", Mode::kNothing, "Other"},
};

struct Case {
    Transport transport;
    Row row;
    bool driverLibrary;
};

std::string CaseLabel(const Case &c) {
    const char *transport[] = {"Usb", "SmbusIntel", "SmbusOther"};
    return std::string(transport[static_cast<int>(c.transport)]) + "_" + c.row.name +
           (c.driverLibrary ? "" : "_NoDriverLibrary");
}

std::string CaseName(const testing::TestParamInfo<Case> &info) { return CaseLabel(info.param); }

void PrintTo(const Case &c, std::ostream *out) { *out << CaseLabel(c); }

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (Transport transport : {Transport::kUsb, Transport::kSmbusIntel, Transport::kSmbusOther})
        for (const Row &row : kRows) cases.push_back({transport, row, true});
    for (Transport transport : {Transport::kSmbusIntel, Transport::kSmbusOther})
        cases.push_back({transport, {L"-f", Mode::kNoDriver, "F"}, false});
    return cases;
}

// The versions as each controller reports them, and the image each run finds.
struct Versions {
    std::wstring led, loader, newLed;
    std::vector<std::string> checkLog;   // what the start-up checks log
    std::vector<std::string> updateLog;  // what a finished update logs
};

Versions VersionsOf(Transport transport) {
    if (transport == Transport::kUsb)
        return {L"0102", L"0104", L"0103",
                {"On AP Mode.", "Loder verf, vers: 1, 4", "LED VerF : 1", "LED VerS : 2"},
                {"Loder verf, vers: 1, 4", "LED VerF : 1", "LED VerS : 3"}};
    return {L"1A03", L"0205", L"1A04",
            {"LED VerF : 1A", "LED VerS : 3", "Loder verf, vers: 2, 5"},
            {"Loder verf, vers: 2, 5", "LED VerF : 1A", "LED VerS : 4"}};
}

class CommandLineTest : public BoardTest, public testing::WithParamInterface<Case> {};

TEST_P(CommandLineTest, EndsAsItsModeSays) {
    const Case &c = GetParam();
    const bool usb = c.transport == Transport::kUsb;
    const Versions versions = VersionsOf(c.transport);
    BoardSetup setup;
    setup.transport = c.transport;
    setup.driverLibrary = c.driverLibrary;
    const std::string label = CaseLabel(c);
    BoardRun board(L"cmdline_" + std::wstring(label.begin(), label.end()), setup);
    ASSERT_TRUE(board.ok());
    const std::vector<uint8_t> image = usb ? UsbImage(1, 3) : SmbusImage(0x1A, 0x04);
    ASSERT_TRUE(board.PutImage(usb ? L"LED_v0103.bin" : L"1A04_0205.bin", image));
    ASSERT_TRUE(board.Start(c.row.args));

    const bool opens = c.row.mode == Mode::kInteractive || c.row.mode == Mode::kNoDriver;
    if (opens) {
        HWND dialog = board.run().WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        if (c.row.mode == Mode::kInteractive) {
            EXPECT_EQ(ControlText(dialog, kCurrentVersion), L"Led ver.: " + versions.led + L"\tLoder ver.: " + versions.loader);
            EXPECT_EQ(ControlText(dialog, kObjectVersion), L"Led ver.: " + versions.newLed + L"\tLoder ver.: " + versions.loader);
        } else {
            EXPECT_EQ(ControlText(dialog, kCurrentVersion), L"Static");
            EXPECT_EQ(ControlText(dialog, kObjectVersion), L"Static");
        }
        EXPECT_TRUE(ControlEnabled(dialog, kUpdateButton));
        PostClose(dialog);
    }
    EXPECT_EQ(board.WaitExit(), 0);

    // Every mode stops the lighting software at start and starts it again at the end.
    ExpectStoppedAndRestarted(board.lighting());

    const auto values = BoardRun::LedValues();
    const std::vector<std::string> log = board.LogMessages();
    const ControllerState controller = board.Controller();
    switch (c.row.mode) {
    case Mode::kInteractive:
    case Mode::kVersions:
        EXPECT_EQ(values, (std::map<std::wstring, std::wstring>{
                              {L"Tool Version", L"1.0.0.23"}, {L"LED Version", versions.led}, {L"Loder Version", versions.loader}}));
        EXPECT_EQ(log, versions.checkLog);
        break;
    case Mode::kSilent:
        EXPECT_EQ(values, (std::map<std::wstring, std::wstring>{
                              {L"LED Version", versions.newLed}, {L"Loder Version", versions.loader}, {L"Msg", L"Finish!"}}));
        EXPECT_EQ(log, versions.updateLog);
        break;
    case Mode::kNothing:
    case Mode::kNoDriver:
        EXPECT_THAT(values, IsEmpty());
        EXPECT_THAT(log, IsEmpty());
        break;
    }

    if (c.row.mode == Mode::kNoDriver) {
        // Without the driver library nothing reached the bus, not even on close.
        EXPECT_THAT(board.TraceLines(), IsEmpty());
        EXPECT_EQ(controller.mode, "");
        return;
    }
    EXPECT_EQ(controller.mode, "application");
    const bool updated = c.row.mode == Mode::kSilent;
    if (usb) {
        if (updated) {
            EXPECT_EQ(controller.flash, image);
        }
        EXPECT_EQ(FirmwareVersionByte(controller.flash), updated ? 0x13 : 0x12);
        if (c.row.mode == Mode::kNothing) {
            EXPECT_THAT(board.TraceLines("call=WriteDeviceOutput"), IsEmpty());
        }
    } else {
        if (updated) {
            EXPECT_EQ(controller.flash, std::vector<uint8_t>(image.begin(), image.end() - 512));
        }
        BYTE verF = 0, verS = 0;
        EXPECT_TRUE(FindApplicationVersion(controller.flash, verF, verS));
        EXPECT_EQ(verS, updated ? 0x04 : 0x03);
        // The resume command and the release end every run on the SMBus, the close included.
        const std::vector<std::string> writes = board.TraceLines("SMB_BlockWrite3");
        ASSERT_FALSE(writes.empty());
        EXPECT_NE(writes.back().find("cmd=24"), std::string::npos);
        EXPECT_NE(board.TraceLines().back().find("DriverRelease"), std::string::npos);
        if (c.row.mode == Mode::kNothing) {
            EXPECT_THAT(writes, SizeIs(1));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, CommandLineTest, testing::ValuesIn(AllCases()), CaseName);

class SilentFailureTest : public BoardTest {};

// "-f" on an Intel host whose controller takes block 3 wrong twice. The failure goes to "Msg",
// the controller is left in its loader without the resume, and the run still ends as every
// "-f" run does. The waits are slept: 500 and 4500 ms in the re-read, 1000 after the begin-update
// command and 1000 before the re-send.
TEST_F(SilentFailureTest, FailedBlockCheckOnAnIntelHostIsStoredAndLeavesTheControllerInItsLoader) {
    BoardSetup setup;
    setup.transport = Transport::kSmbusIntel;
    setup.controllerScenario = "wrong_echo_block=3\nwrong_echo_times=2\n";
    setup.program = ProgramFile::kShipped;
    BoardRun board(L"silent_smbus_block_failure", setup);
    ASSERT_TRUE(board.ok());
    ASSERT_TRUE(board.PutImage(L"1A04_0205.bin", SmbusImage(0x1A, 0x04)));
    const DWORD started = GetTickCount();
    ASSERT_TRUE(board.Start(L"-f"));

    EXPECT_EQ(board.WaitExit(), 0);
    EXPECT_GE(GetTickCount() - started, 7000u);

    EXPECT_EQ(BoardRun::LedValues(), (std::map<std::wstring, std::wstring>{{L"Msg", L"Update FW Error!"}}));
    EXPECT_EQ(board.Controller().mode, "loader");
    // The re-read's resume is the only one: nothing follows the re-send but its status read
    // and the release.
    EXPECT_THAT(board.TraceLines("cmd=24"), SizeIs(1));
    const std::vector<std::string> trace = board.TraceLines();
    ASSERT_GE(trace.size(), 3u);
    EXPECT_NE(trace[trace.size() - 3].find("SMB_BlockWrite3 addr=52 cmd=22"), std::string::npos) << trace[trace.size() - 3];
    EXPECT_NE(trace[trace.size() - 2].find("SMB_BlockRead3 addr=52 cmd=25"), std::string::npos) << trace[trace.size() - 2];
    EXPECT_NE(trace.back().find("DriverRelease"), std::string::npos) << trace.back();

    ExpectStoppedAndRestarted(board.lighting());
}

}  // namespace
