// The shipped Update_Vantor.exe itself on every flow: its fixed waits are slept, whatever its
// environment names, and the simulated controllers take each command only after its wait in
// real time. The environment names a virtual clock in VANTOR_VIRTUAL_CLOCK, as test builds
// use it: the program must leave it alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/qyxhid/firmware_image.h"
#include "sim/smbus/test_image.h"
#include "tests/e2e_run/board_test.h"
#include "tests/e2e_run/wait_spacing.h"

using namespace e2e;

namespace {

constexpr size_t kSmbusImageBytes = 512 + 16 * 20 + 7;  // 20 blocks: two pauses, then the loop's end
constexpr size_t kSmbusBlocks = (kSmbusImageBytes - 512) / 16;
constexpr size_t kBlocksPerPause = 8;

// Every fixed wait of an update, interactive or "-f" alike, as the simulator's trace places it.
std::vector<FixedWait> UpdateWaits(Transport transport) {
    if (transport == Transport::kUsb)
        return {{"data=01A0", "vid=0x0416", 800},  // enter the loader
                {"data=00A3", "call=openMyDevice_Read", 1},  // erase
                {"data=00AD", "call=IsDeviceConnect", 2000}};  // reset
    // Start-up checks or the silent re-read, then the update and its read-back.
    const FixedWait resume{"cmd=24", "reg=F2", 500};
    const FixedWait enterLoader{"cmd=20", "", 4500};
    const FixedWait dummyRead{"addr=A0", "", 500};
    if (transport == Transport::kSmbusIntel)
        return {resume, enterLoader, {"cmd=23", "", 1000}, resume, enterLoader};
    std::vector<FixedWait> waits = {dummyRead, resume, enterLoader, dummyRead, {"cmd=23", "", 1000}};
    for (size_t block = kBlocksPerPause; block < kSmbusBlocks; block += kBlocksPerPause)
        waits.push_back({"taken: block " + std::to_string(block), "", 50});
    waits.push_back({"taken: block " + std::to_string(kSmbusBlocks), "cmd=25", 50});  // the loop's end
    waits.push_back(resume);
    waits.push_back(enterLoader);
    return waits;
}

class ShippedProgramTest : public BoardTest {};

TEST_F(ShippedProgramTest, SleepsEveryFixedWaitOfEveryFlow) {
    for (const Flow &flow : EveryFlow()) {
        SCOPED_TRACE(flow.Name());
        const bool usb = flow.transport == Transport::kUsb;
        BoardSetup setup;
        setup.transport = flow.transport;
        setup.program = ProgramFile::kShipped;
        BoardRun board(L"shipped_" + flow.Tag(), setup);
        const std::vector<uint8_t> image = usb ? UsbImage(1, 3) : SmbusImage(0x1A, 0x04, kSmbusImageBytes);
        ASSERT_TRUE(board.PutImage(usb ? L"LED_v0103.bin" : L"1A04_0205.bin", image));

        const FlowStart start = StartFlow(board, flow);
        ASSERT_TRUE(start.started);
        EXPECT_EQ(start.message, flow.silent ? L"" : L"Finish!");
        EXPECT_EQ(board.WaitExit(), 0);

        const ControllerState controller = board.Controller();
        EXPECT_EQ(controller.mode, "application");
        // Over the SMBus every whole group of 16 before the unsent last 512 bytes.
        EXPECT_EQ(controller.flash, usb ? image : std::vector<uint8_t>(image.begin(), image.begin() + kSmbusBlocks * 16));
        const auto values = BoardRun::LedValues();
        EXPECT_EQ(values.at(L"LED Version"), usb ? L"0103" : L"1A04");
        EXPECT_EQ(values.count(L"Msg") ? values.at(L"Msg") : L"(none)", flow.silent ? L"Finish!" : L"(none)");
        ExpectStoppedAndRestarted(board.lighting());

        EXPECT_EQ(board.run().clock().WaitCount(), 0);
        EXPECT_EQ(CheckWaitSpacing(board.TraceLines(), UpdateWaits(flow.transport)), "");
    }
}

}  // namespace
