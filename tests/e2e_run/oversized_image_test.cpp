// A first "*.bin" far too large for any controller (a sparse file: no disk is used) ends the
// run as an image that cannot be read: "Get bin file fail." through each flow's usual end,
// nothing of it sent, the controller left running its application.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/qyxhid/firmware_image.h"
#include "sim/smbus/test_image.h"
#include "tests/e2e_run/board_test.h"
#include "tests/e2e_support/dialog_driver.h"

using namespace e2e;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

// Several GiB, and its low 32 bits alone would look like a small image.
constexpr uint64_t kOversizedImageBytes = (uint64_t{4} << 30) + 4096;

class OversizedImageTest : public BoardTest {};

TEST_F(OversizedImageTest, EndsAsAnImageThatCannotBeRead) {
    for (const Flow &flow : EveryFlow()) {
        SCOPED_TRACE(flow.Name());
        const bool usb = flow.transport == Transport::kUsb;
        BoardSetup setup;
        setup.transport = flow.transport;
        BoardRun board(L"oversized_" + flow.Tag(), setup);
        // Named as a newer image, so that every check before the read lets it through.
        ASSERT_TRUE(board.run().sandbox().WriteSparseFile(usb ? L"LED_v0103.bin" : L"1A04_0205.bin",
                                                          kOversizedImageBytes));

        const FlowStart start = StartFlow(board, flow);
        ASSERT_TRUE(start.started);
        EXPECT_EQ(start.message, flow.silent ? L"" : L"Get bin file fail.");
        // Over USB the dialog stays open after a failed step, until the user closes it.
        if (usb && !flow.silent) {
            EXPECT_FALSE(ControlEnabled(start.dialog, kUpdateButton));
            PostClose(start.dialog);
        }
        EXPECT_EQ(board.WaitExit(), 0);

        const auto values = BoardRun::LedValues();
        EXPECT_EQ(values.count(L"Msg") ? values.at(L"Msg") : L"(none)", flow.silent ? L"Get bin file fail." : L"(none)");
        ExpectStoppedAndRestarted(board.lighting());
        const ControllerState controller = board.Controller();
        EXPECT_EQ(controller.mode, "application");
        if (usb) {
            EXPECT_EQ(FirmwareVersionByte(controller.flash), 0x12);
            EXPECT_THAT(board.TraceLines("call=WriteDeviceOutput"), SizeIs(2));  // the two version reads
        } else {
            BYTE verF = 0, verS = 0;
            EXPECT_TRUE(FindApplicationVersion(controller.flash, verF, verS));
            EXPECT_EQ(verS, 0x03);
            EXPECT_THAT(board.TraceLines("cmd=23"), IsEmpty());
            EXPECT_THAT(board.TraceLines("cmd=21"), IsEmpty());
        }
    }
}

}  // namespace
