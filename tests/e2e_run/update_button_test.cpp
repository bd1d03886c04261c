// The Update button and the window's close in the program (its test variant): a flow that
// ends normally restarts the lighting software and ends the process; a failed one leaves the
// dialog open, and then the close hands the controller back while Escape and Enter leave
// everything be.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/qyxhid/firmware_image.h"
#include "sim/smbus/test_image.h"
#include "tests/e2e_run/board_test.h"
#include "tests/e2e_support/dialog_driver.h"

using namespace e2e;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

constexpr wchar_t kUsbImageName[] = L"LED_v0103.bin";
constexpr wchar_t kSmbusImageName[] = L"1A04_0205.bin";

class UpdateButtonTest : public BoardTest {};

TEST_F(UpdateButtonTest, NormalEndRestartsAndExits) {
    for (Transport transport : {Transport::kUsb, Transport::kSmbusIntel, Transport::kSmbusOther}) {
        SCOPED_TRACE(TransportName(transport));
        const bool usb = transport == Transport::kUsb;
        BoardSetup setup;
        setup.transport = transport;
        BoardRun board(L"button_normal_" + std::to_wstring(static_cast<int>(transport)), setup);
        const std::vector<uint8_t> image = usb ? UsbImage(1, 3) : SmbusImage(0x1A, 0x04);
        ASSERT_TRUE(board.PutImage(usb ? kUsbImageName : kSmbusImageName, image));
        HWND dialog = Open(board);
        ASSERT_NE(dialog, nullptr);

        EXPECT_EQ(ClickAndAnswer(board, dialog), L"Finish!");
        EXPECT_EQ(board.WaitExit(), 0);
        ExpectStoppedAndRestarted(board.lighting());
        const ControllerState controller = board.Controller();
        EXPECT_EQ(controller.mode, "application");
        EXPECT_EQ(controller.flash, usb ? image : std::vector<uint8_t>(image.begin(), image.end() - 512));
        EXPECT_EQ(BoardRun::LedValues()[L"LED Version"], usb ? L"0103" : L"1A04");
    }
}

TEST_F(UpdateButtonTest, RefusalByTheVersionRulesEndsNormally) {
    BoardSetup setup;
    BoardRun board(L"button_refused", setup);
    ASSERT_TRUE(board.PutImage(kUsbImageName, UsbImage(1, 3)));
    HWND dialog = Open(board);
    ASSERT_NE(dialog, nullptr);
    // An older image takes the newer one's place while the dialog is open.
    ASSERT_TRUE(board.run().sandbox().Remove(kUsbImageName));
    ASSERT_TRUE(board.PutImage(L"LED_v0101.bin", UsbImage(1, 1)));

    EXPECT_EQ(ClickAndAnswer(board, dialog), L"LED Version doesn't match!\nYour LED Version is 12");
    EXPECT_EQ(board.WaitExit(), 0);
    ExpectStoppedAndRestarted(board.lighting());
    EXPECT_EQ(FirmwareVersionByte(board.Controller().flash), 0x12);
    EXPECT_THAT(board.TraceLines("call=WriteDeviceOutput"), SizeIs(2));  // the two version reads
}

TEST_F(UpdateButtonTest, NoImageEndsNormally) {
    BoardSetup setup;
    setup.transport = Transport::kSmbusOther;
    BoardRun board(L"button_no_image", setup);
    HWND dialog = Open(board);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, kObjectVersion), L"Can not find (*.bin) file");

    EXPECT_EQ(ClickAndAnswer(board, dialog), L"Doesn't Find Bin File!");
    EXPECT_EQ(board.WaitExit(), 0);
    ExpectStoppedAndRestarted(board.lighting());
    EXPECT_EQ(board.Controller().mode, "application");
    EXPECT_THAT(board.TraceLines("cmd=23"), IsEmpty());
}

TEST_F(UpdateButtonTest, UsbFailureThenCloseReturnsTheControllerAndRestarts) {
    for (bool close : {true, false}) {
        SCOPED_TRACE(close ? "closed" : "Escape");
        BoardSetup setup;
        // Writes 1 and 2 read the versions at start-up, 3 switches to the loader, 4 erases.
        setup.controllerScenario = "fail_write=4\n";
        BoardRun board(close ? L"button_usb_fail_close" : L"button_usb_fail_escape", setup);
        ASSERT_TRUE(board.PutImage(kUsbImageName, UsbImage(1, 3)));
        HWND dialog = Open(board);
        ASSERT_NE(dialog, nullptr);

        EXPECT_EQ(ClickAndAnswer(board, dialog), L"Send command fail.");
        EXPECT_FALSE(ControlEnabled(dialog, kUpdateButton));
        EXPECT_TRUE(board.run().process().Running());
        EXPECT_EQ(board.Controller().mode, "loader");

        if (close) PostClose(dialog);
        else PressEscape(dialog);
        EXPECT_EQ(board.WaitExit(), 0);
        const ControllerState controller = board.Controller();
        if (close) {
            EXPECT_EQ(controller.mode, "application");
            EXPECT_EQ(FirmwareVersionByte(controller.flash), 0x12);
            ExpectStoppedAndRestarted(board.lighting());
        } else {
            EXPECT_EQ(controller.mode, "loader");
            ExpectLeftStopped(board.lighting());
        }
    }
}

TEST_F(UpdateButtonTest, SmbusFailedBlockCheckThenCloseResumesAndRestarts) {
    for (bool close : {true, false}) {
        SCOPED_TRACE(close ? "closed" : "Enter");
        BoardSetup setup;
        setup.transport = Transport::kSmbusIntel;
        setup.controllerScenario = "wrong_echo_block=3\nwrong_echo_times=2\n";
        BoardRun board(close ? L"button_smbus_fail_close" : L"button_smbus_fail_enter", setup);
        ASSERT_TRUE(board.PutImage(kSmbusImageName, SmbusImage(0x1A, 0x04)));
        HWND dialog = Open(board);
        ASSERT_NE(dialog, nullptr);

        EXPECT_EQ(ClickAndAnswer(board, dialog), L"Update FW Error!");
        EXPECT_FALSE(ControlEnabled(dialog, kUpdateButton));
        EXPECT_TRUE(board.run().process().Running());
        const size_t resumesBefore = board.TraceLines("cmd=24").size();
        EXPECT_EQ(board.Controller().mode, "loader");

        // With the button disabled, Enter reaches the dialog as IDOK.
        if (close) PostClose(dialog);
        else PressEnter(dialog);
        EXPECT_EQ(board.WaitExit(), 0);
        EXPECT_THAT(board.TraceLines("cmd=24"), SizeIs(resumesBefore + (close ? 1 : 0)));
        EXPECT_EQ(board.Controller().mode, close ? "application" : "loader");
        if (close) ExpectStoppedAndRestarted(board.lighting());
        else ExpectLeftStopped(board.lighting());
    }
}

TEST_F(UpdateButtonTest, WithoutWorkDirValuesNoCommandRunsAtAll) {
    BoardSetup setup;
    setup.lightingWorkDir = false;
    setup.companionWorkDir = false;
    BoardRun board(L"button_no_workdir", setup);
    ASSERT_TRUE(board.PutImage(kUsbImageName, UsbImage(1, 3)));
    HWND dialog = Open(board);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(ClickAndAnswer(board, dialog), L"Finish!");
    EXPECT_EQ(board.WaitExit(), 0);
    LightingSoftware &lighting = board.lighting();
    EXPECT_THAT(lighting.ServiceEventsWhenSettled(), ElementsAre("service started")) << lighting.Evidence();
    EXPECT_TRUE(lighting.OstrumRunning()) << lighting.Evidence();
    EXPECT_TRUE(lighting.CompanionRunning()) << lighting.Evidence();
    EXPECT_THAT(lighting.Launched(), IsEmpty()) << lighting.Evidence();
}

}  // namespace
