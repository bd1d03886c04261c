// The Update button: one flow, then either the restart and the end of the process, or the
// dialog left open with the button disabled.
#include <gmock/gmock.h>

#include "sim/qyxhid/hid_sim.h"
#include "tests/completion/completion_run.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

using UpdateButtonTest = CompletionRun;

TEST_F(UpdateButtonTest, NormalEndRestartsTheLightingSoftwareAndEndsTheProcess) {
    PutImage(L"LED_v0103.bin", UsbImage(1, 3));
    OpenDialog();
    ASSERT_TRUE(UpdateEnabled());

    ClickUpdate();
    ASSERT_FALSE(StatusHistory().empty());
    EXPECT_EQ(StatusHistory().front(), L"Please waiting...");
    EXPECT_FALSE(UpdateEnabled());
    EXPECT_EQ(HidSimFirmwareVersionByte(), 0x13);
    EXPECT_THAT(BoxTexts(), ElementsAre(L"Finish!"));
    EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
    EXPECT_THAT(exits_, ElementsAre(0));
}

TEST_F(UpdateButtonTest, FailedFlowLeavesTheDialogOpenAndCloseBringsTheControllerBack) {
    PutImage(L"LED_v0103.bin", UsbImage(1, 3));
    OpenDialog();
    // The same controller afresh, so that call numbers count from the click: the second
    // write is the erase command, sent to the loader the first one switched to.
    ResetUsbController();
    HidSimFaults faults;
    faults.failWriteCalls = {2};
    HidSimSetFaults(faults);

    ClickUpdate();
    EXPECT_THAT(boxes_, SizeIs(1));
    EXPECT_FALSE(UpdateEnabled());
    EXPECT_TRUE(DialogShown());
    EXPECT_THAT(commands_, IsEmpty());
    EXPECT_THAT(exits_, IsEmpty());
    ASSERT_EQ(HidSimCurrentMode(), HidSimMode::Loader);

    CloseWindow();
    EXPECT_EQ(HidSimCurrentMode(), HidSimMode::Application);
    EXPECT_EQ(HidSimFirmwareVersionByte(), 0x12);
    EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
    EXPECT_FALSE(DialogShown());
    EXPECT_THAT(exits_, IsEmpty());  // the framework ends this run, not the handler
}

TEST_F(UpdateButtonTest, SmbusRunsExactlyOneFlowOfTheHostKind) {
    for (Board board : {Board::kSmbusIntel, Board::kSmbusOther}) {
        const bool intel = board == Board::kSmbusIntel;
        SCOPED_TRACE(intel ? "Intel host" : "other host");
        UseBoard(board);
        PutImage(L"1A04_0205.bin", MakeSmbusTestImage(0x1A, 0x04, 4096));
        exits_.clear();
        OpenDialog();
        ASSERT_TRUE(UpdateEnabled());

        ClickUpdate();
        const std::vector<std::string> trace = SmbusTraceSinceOpen();
        EXPECT_THAT(Matching(trace, "cmd=23"), SizeIs(1));
        EXPECT_THAT(Matching(trace, intel ? "cmd=21 len=17" : "cmd=21 len=31"), SizeIs((4096 - 512) / 16));
        EXPECT_THAT(Matching(trace, intel ? "len=31" : "len=17"), IsEmpty());
        EXPECT_THAT(exits_, ElementsAre(0));
        EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
    }
}

TEST_F(UpdateButtonTest, SmbusWithoutDriverEndsWithoutTouchingTheController) {
    UseBoard(Board::kSmbusIntel, "driver_init=0\n");
    PutImage(L"1A04_0205.bin", MakeSmbusTestImage(0x1A, 0x04, 4096));
    OpenDialog();

    ClickUpdate();
    EXPECT_THAT(Matching(SmbusTraceSinceOpen(), "Corrant"), IsEmpty());
    EXPECT_THAT(Matching(SmbusTraceSinceOpen(), "DriverRelease"), IsEmpty());
    EXPECT_THAT(commands_, ElementsAre(kServiceStart, kCompanionLaunch));
    EXPECT_THAT(exits_, ElementsAre(0));
}
