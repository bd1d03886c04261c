// Closing the window hands the controller back to its application and restarts the lighting
// software; Escape and Enter end the dialog without either.
#include <gmock/gmock.h>

#include "app/globals.h"
#include "sim/qyxhid/hid_sim.h"
#include "tests/completion/completion_run.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

using CloseTest = CompletionRun;

TEST_F(CloseTest, UsbControllerInItsApplicationIsLeftAlone) {
    OpenDialog();
    CloseWindow();
    for (const HidSimCall &call : HidSimCalls()) EXPECT_EQ(call.function, "IsDeviceConnect");
    EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
    EXPECT_FALSE(DialogShown());
}

TEST_F(CloseTest, UsbControllerInItsLoaderIsSentBackAndAFailureOnlyShows) {
    OpenDialog();
    ResetUsbController(HidSimMode::Loader);
    HidSimFaults faults;
    faults.failWriteCalls = {1};
    HidSimSetFaults(faults);

    CloseWindow();
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Loader);
    EXPECT_EQ(ControlText(IDC_STATUS), L"Loder to AP : " + std::wstring(g_lastErrorText.GetString()));
    EXPECT_FALSE(g_lastErrorText.IsEmpty());
    EXPECT_THAT(boxes_, IsEmpty());
    EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
    EXPECT_FALSE(DialogShown());
}

TEST_F(CloseTest, UsbControllerInItsLoaderReturnsToItsApplication) {
    OpenDialog();
    ResetUsbController(HidSimMode::Loader);

    CloseWindow();
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Application);
    EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
}

TEST_F(CloseTest, SmbusResumeFollowsTheHostKindAndWhatStartedUp) {
    struct Case {
        const char *name;
        Board board;
        const char *scenario;
        int dummyReads;
        const char *resume;  // null: none sent
        std::vector<DWORD> waits;
        int releases;
    };
    const Case cases[] = {
        {"Intel", Board::kSmbusIntel, "", 0, "cmd=24 len=17", {}, 1},
        {"Intel, SMBus library not initialised", Board::kSmbusIntel, "smbus_init=0\n", 0, nullptr, {}, 1},
        {"other host", Board::kSmbusOther, "", 1, "cmd=24 len=31", {500}, 1},
        {"other host, SMBus library not initialised", Board::kSmbusOther, "smbus_init=0\n", 0, nullptr, {500}, 1},
        {"driver library not ready", Board::kSmbusIntel, "driver_init=0\n", 0, nullptr, {500}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        UseBoard(c.board, c.scenario);
        OpenDialog();
        CloseWindow();
        const std::vector<std::string> trace = SmbusTraceSinceOpen();
        EXPECT_THAT(Matching(trace, "SMB_ByteRead addr=A0 reg=00"), SizeIs(c.dummyReads));
        EXPECT_THAT(Matching(trace, "SMB_BlockWrite3"), SizeIs(c.resume ? 1 : 0));
        if (c.resume) {
            EXPECT_THAT(Matching(trace, c.resume), SizeIs(1));
        }
        EXPECT_THAT(Matching(trace, "DriverRelease"), SizeIs(c.releases));
        EXPECT_EQ(waits_, c.waits);
        EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
        EXPECT_FALSE(DialogShown());
    }
}

TEST_F(CloseTest, SmbusResumeAfterAFailedBlockCheckTakesTheControllerOutOfItsLoader) {
    UseBoard(Board::kSmbusIntel, "wrong_echo_block=3\nwrong_echo_times=2\n");
    PutImage(L"1A04_0205.bin", MakeSmbusTestImage(0x1A, 0x04, 4096));
    OpenDialog();
    ClickUpdate();
    EXPECT_THAT(BoxTexts(), ElementsAre(L"Update FW Error!"));
    EXPECT_THAT(exits_, IsEmpty());
    EXPECT_THAT(commands_, IsEmpty());
    EXPECT_THAT(Matching(SmbusTraceSinceOpen(), "DriverRelease"), SizeIs(1));

    CloseWindow();
    const std::vector<std::string> trace = SmbusTraceSinceOpen();
    EXPECT_THAT(Matching(trace, "cmd=24"), SizeIs(1));
    EXPECT_NE(trace.back().find("DriverRelease"), std::string::npos);
    EXPECT_THAT(Matching(trace, "DriverRelease"), SizeIs(2));
    EXPECT_NE(smbus_->State().find("mode=application"), std::string::npos) << smbus_->State();
    EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
}

TEST_F(CloseTest, EscapeAndEnterEndTheDialogWithoutTouchingAnything) {
    for (WORD key : {static_cast<WORD>(VK_ESCAPE), static_cast<WORD>(VK_RETURN)}) {
        SCOPED_TRACE(key == VK_ESCAPE ? "Escape" : "Enter");
        UseBoard(Board::kSmbusOther);
        OpenDialog();
        // Enter ends the dialog only while the Update button cannot take it, as after a click.
        if (key == VK_RETURN) EnableWindow(GetDlgItem(dialog_->GetSafeHwnd(), IDC_UPDATE), FALSE);
        SetFocus(dialog_->GetSafeHwnd());

        PressKey(key);
        EXPECT_FALSE(DialogShown());
        EXPECT_THAT(SmbusTraceSinceOpen(), IsEmpty());
        EXPECT_THAT(waits_, IsEmpty());
        EXPECT_THAT(commands_, IsEmpty());
        EXPECT_THAT(exits_, IsEmpty());
    }
}
