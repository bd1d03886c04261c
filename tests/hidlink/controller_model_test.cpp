// The simulated controller itself, driven through the five library functions: the sequences
// the updater uses succeed with their waits, and sequences that skip a step or a wait fail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hidlink/hid_library.h"
#include "sim/qyxhid/firmware_image.h"
#include "sim/qyxhid/hid_sim.h"
#include "sim/qyxhid/scenario_file.h"

namespace {
using Bytes = std::vector<uint8_t>;

constexpr int kProductId = 0x2C41;

// The updater fills a version query with 0xCC and a switch with zeros.
Bytes ApReportBytes(uint8_t command, uint8_t fill = 0x00) {
    Bytes bytes(64, fill);
    bytes[0] = 0x01;
    bytes[1] = command;
    return bytes;
}

Bytes LoaderPacketBytes(uint32_t command) {
    Bytes bytes(65, 0x00);
    for (int i = 0; i < 4; ++i) bytes[1 + i] = static_cast<uint8_t>(command >> (8 * i));
    return bytes;
}

// Image bytes that do not look like the marker, with the version marker at 0x100.
Bytes TestImage(size_t size, uint8_t verF, uint8_t verS) {
    Bytes image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>((i * 13 + 5) ^ (i >> 8));
    const Bytes marker{'V', 'T', 'R', 'F', 'W', 'V', 'E', 'R'};
    std::copy(marker.begin(), marker.end(), image.begin() + 0x100);
    image[0x108] = verF;
    image[0x109] = verS;
    return image;
}

HANDLE OpenApplication() { return openMyDevice_Read(0x2E19, kProductId, 0, 0, 1); }
HANDLE OpenLoader() { return openMyDevice_Read(0x0416, 0x3F00, 0, 0, 1); }

int Send(HANDLE device, Bytes bytes) { return WriteDeviceOutput(device, bytes.data(), static_cast<int>(bytes.size())); }

Bytes Reply(HANDLE device, int length) {
    Bytes reply(static_cast<size_t>(length), 0);
    if (ReadDeviceInput(device, reply.data(), length) != 1) return Bytes();
    return reply;
}

// One command to the loader, as a device step sends it: open, write, read when `reads`, close.
bool LoaderCommand(uint32_t command, bool reads) {
    HANDLE loader = OpenLoader();
    if (!loader || Send(loader, LoaderPacketBytes(command)) != 1) return false;
    if (reads && Reply(loader, 65).empty()) return false;
    return CloseDevice(loader) == 1;
}

bool ApplicationCommand(uint8_t command) {
    HANDLE device = OpenApplication();
    return device && Send(device, ApReportBytes(command)) == 1 && CloseDevice(device) == 1;
}

// The image stream as the updater sends it: 48 bytes in the first packet, 56 in each later one.
// Returns the number of packets the loader took; stops at the first refused one.
int StreamImage(const Bytes &image) {
    HANDLE loader = OpenLoader();
    if (!loader) return 0;
    int packets = 0;
    for (size_t sent = 0; sent < image.size();) {
        Bytes packet(65, 0x00);
        size_t n;
        if (sent == 0) {
            packet = LoaderPacketBytes(0xA0);
            for (int i = 0; i < 4; ++i) packet[13 + i] = static_cast<uint8_t>(image.size() >> (8 * i));
            n = std::min<size_t>(image.size(), 48);
            std::copy_n(image.begin(), n, packet.begin() + 17);
        } else {
            n = std::min<size_t>(image.size() - sent, 56);
            std::copy_n(image.begin() + static_cast<long>(sent), n, packet.begin() + 9);
        }
        sent += n;
        if (Send(loader, packet) != 1 || Reply(loader, 65).empty()) return packets;
        ++packets;
    }
    CloseDevice(loader);
    return packets;
}

bool HasProtocolError(const std::string &reason) {
    for (const std::string &detail : HidSimProtocolErrors())
        if (detail.find("reason=" + reason) != std::string::npos) return true;
    return false;
}

class ControllerModelTest : public ::testing::Test {
protected:
    void PowerOn(HidSimMode mode, HidSimFlash flash = HidSimFlash::Valid) {
        HidSimControllerSetup setup;
        setup.mode = mode;
        setup.productId = kProductId;
        setup.flash = flash;
        HidSimReset(setup);
    }
};

TEST_F(ControllerModelTest, AWholeUpdateWithItsWaitsInstallsTheImage) {
    PowerOn(HidSimMode::Application);
    const Bytes image = TestImage(1000, 0x03, 0x04);

    ASSERT_TRUE(ApplicationCommand(0xA0));
    HidSimAdvanceClock(800);
    ASSERT_EQ(HidSimMode::Loader, HidSimCurrentMode());
    ASSERT_TRUE(LoaderCommand(0xA3, true));
    HidSimAdvanceClock(1);
    EXPECT_EQ(18, StreamImage(image));
    EXPECT_EQ(HidSimFlash::Valid, HidSimFlashState());
    ASSERT_TRUE(LoaderCommand(0xAD, false));
    HidSimAdvanceClock(2000);

    EXPECT_EQ(HidSimMode::Application, HidSimCurrentMode());
    EXPECT_EQ(image, HidSimFlashImage());
    EXPECT_EQ(0x34, HidSimFirmwareVersionByte());
    HANDLE device = OpenApplication();
    ASSERT_EQ(1, Send(device, ApReportBytes(0xB0, 0xCC)));
    EXPECT_EQ(0x34, Reply(device, 64).at(2));
    EXPECT_TRUE(HidSimProtocolErrors().empty());
}

TEST_F(ControllerModelTest, TheLoaderIsNotThereUntilTheSwitchHasReEnumerated) {
    PowerOn(HidSimMode::Application);
    ASSERT_TRUE(ApplicationCommand(0xA0));
    EXPECT_EQ(0, IsDeviceConnect(0x0416, 0x3F00, 0, 0));
    EXPECT_EQ(0, IsDeviceConnect(0x2E19, kProductId, 0, 0));
    EXPECT_EQ(nullptr, OpenLoader());
    EXPECT_EQ(nullptr, OpenApplication());
    HidSimAdvanceClock(799);
    EXPECT_EQ(0, IsDeviceConnect(0x0416, 0x3F00, 0, 0));
    HidSimAdvanceClock(1);
    EXPECT_EQ(1, IsDeviceConnect(0x0416, 0x3F00, 0, 0));
}

TEST_F(ControllerModelTest, AResetNeedsItsWaitBeforeTheControllerAnswersAgain) {
    for (HidSimMode mode : {HidSimMode::Application, HidSimMode::Loader}) {
        PowerOn(mode);
        ASSERT_TRUE(mode == HidSimMode::Application ? ApplicationCommand(0xD0) : LoaderCommand(0xAD, false));
        EXPECT_EQ(HidSimMode::None, HidSimCurrentMode());
        HidSimAdvanceClock(1999);
        EXPECT_EQ(nullptr, OpenApplication());
        HidSimAdvanceClock(1);
        EXPECT_EQ(HidSimMode::Application, HidSimCurrentMode()) << "a whole image boots the application";
    }
}

TEST_F(ControllerModelTest, HandlesFromBeforeAReEnumerationAreDead) {
    PowerOn(HidSimMode::Application);
    HANDLE old = OpenApplication();
    ASSERT_TRUE(ApplicationCommand(0xD0));
    HidSimAdvanceClock(2000);
    EXPECT_EQ(0, Send(old, ApReportBytes(0xB0, 0xCC)));
    EXPECT_EQ(1, CloseDevice(old)) << "closing a dead handle still succeeds";
}

TEST_F(ControllerModelTest, StreamingWithoutEraseIsRefused) {
    PowerOn(HidSimMode::Loader);
    const Bytes before = HidSimFlashImage();
    EXPECT_EQ(0, StreamImage(TestImage(400, 1, 3)));
    EXPECT_TRUE(HasProtocolError("stream_without_erase"));
    EXPECT_EQ(before, HidSimFlashImage());
    EXPECT_EQ(HidSimFlash::Valid, HidSimFlashState());

    HANDLE loader = OpenLoader();
    EXPECT_EQ(0, Send(loader, LoaderPacketBytes(0x00)));
    EXPECT_TRUE(HasProtocolError("data_outside_stream"));
}

TEST_F(ControllerModelTest, TheLoaderNeedsAMomentAfterTheErase) {
    PowerOn(HidSimMode::Loader);
    ASSERT_TRUE(LoaderCommand(0xA3, true));
    EXPECT_EQ(0, StreamImage(TestImage(300, 1, 3)));
    EXPECT_TRUE(HasProtocolError("command_while_erasing"));
    HidSimAdvanceClock(1);
    EXPECT_EQ(6, StreamImage(TestImage(300, 1, 3)));
}

TEST_F(ControllerModelTest, LoaderCommandsDoNotReachTheApplicationFirmware) {
    PowerOn(HidSimMode::Application);
    EXPECT_EQ(nullptr, OpenLoader()) << "no loader to erase or stream to";
    HANDLE device = OpenApplication();
    EXPECT_EQ(0, Send(device, LoaderPacketBytes(0xA3)));
    EXPECT_TRUE(HasProtocolError("bad_application_report"));
    EXPECT_EQ(HidSimFlash::Valid, HidSimFlashState());
}

TEST_F(ControllerModelTest, AnIncompleteApplicationDoesNotRun) {
    PowerOn(HidSimMode::Loader, HidSimFlash::Erased);
    ASSERT_TRUE(LoaderCommand(0xAB, false));
    EXPECT_EQ(HidSimMode::Loader, HidSimCurrentMode());

    HidSimAdvanceClock(1);
    HidSimFaults faults;
    faults.failWriteCalls = {4};  // the third image packet
    HidSimSetFaults(faults);
    EXPECT_EQ(2, StreamImage(TestImage(500, 1, 3)));
    EXPECT_EQ(HidSimFlash::Partial, HidSimFlashState());
    ASSERT_TRUE(LoaderCommand(0xAB, false));
    EXPECT_EQ(HidSimMode::Loader, HidSimCurrentMode());
    ASSERT_TRUE(LoaderCommand(0xAD, false));
    HidSimAdvanceClock(2000);
    EXPECT_EQ(HidSimMode::Loader, HidSimCurrentMode()) << "a reset boots the loader again";
}

TEST_F(ControllerModelTest, ApplicationModeWithoutAWholeImagePowersUpInTheLoader) {
    PowerOn(HidSimMode::Application, HidSimFlash::Erased);
    EXPECT_EQ(HidSimMode::Loader, HidSimCurrentMode());
}

TEST_F(ControllerModelTest, LoaderRepliesCarryChecksumCounterAndVersion) {
    PowerOn(HidSimMode::Loader);
    HANDLE loader = OpenLoader();
    ASSERT_EQ(1, Send(loader, LoaderPacketBytes(0xA6)));
    Bytes first = Reply(loader, 65);
    ASSERT_EQ(65u, first.size());
    EXPECT_EQ(0xA6, first[0] | first[1] << 8);
    EXPECT_EQ(0x14, first[8]);
    ASSERT_EQ(1, Send(loader, LoaderPacketBytes(0xA3)));
    Bytes second = Reply(loader, 65);
    EXPECT_EQ(first[4] + 1, second[4]);
    EXPECT_TRUE(Reply(loader, 65).empty()) << "one reply per command";

    HidSimAdvanceClock(1);
    Bytes packet = LoaderPacketBytes(0xA0);
    packet[13] = 0x02;  // a 2-byte image: FF 01
    packet[17] = 0xFF;
    packet[18] = 0x01;
    ASSERT_EQ(1, Send(loader, packet));
    Bytes third = Reply(loader, 65);
    ASSERT_EQ(65u, third.size());
    EXPECT_EQ(0xA0 + 0x02 + 0xFF + 0x01, third[0] | third[1] << 8) << "the sum of the 64 bytes after the report ID";
}

// Each buffer the updater must never send, and the reason the model gives for refusing it.
TEST_F(ControllerModelTest, BuffersLaidOutWronglyAreRefused) {
    struct Case {
        const char *reason;
        HidSimMode mode;
        Bytes buffer;
    };
    Bytes fwQueryZeroFill = ApReportBytes(0xB0);
    Bytes enterWithCcFill = ApReportBytes(0xA0, 0xCC);
    Bytes numbered = LoaderPacketBytes(0xA6);
    numbered[5] = 1;
    Bytes withPayload = LoaderPacketBytes(0xAB);
    withPayload[64] = 1;
    const Case cases[] = {
        {"bad_fill", HidSimMode::Application, fwQueryZeroFill},
        {"bad_fill", HidSimMode::Application, enterWithCcFill},
        {"unknown_application_command", HidSimMode::Application, ApReportBytes(0xC0)},
        {"bad_application_report", HidSimMode::Application, LoaderPacketBytes(0xA3)},
        {"bad_packet_number", HidSimMode::Loader, numbered},
        {"bad_payload", HidSimMode::Loader, withPayload},
        {"unknown_loader_command", HidSimMode::Loader, LoaderPacketBytes(0xA1)},
        {"bad_loader_packet", HidSimMode::Loader, Bytes(65, 0x01)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reason);
        PowerOn(c.mode);
        HANDLE device = c.mode == HidSimMode::Application ? OpenApplication() : OpenLoader();
        EXPECT_EQ(0, Send(device, c.buffer));
        EXPECT_TRUE(HasProtocolError(c.reason));
        EXPECT_EQ(c.mode, HidSimCurrentMode()) << "nothing happened";
        EXPECT_EQ(HidSimFlash::Valid, HidSimFlashState());
    }
}

TEST_F(ControllerModelTest, ImageStreamsLaidOutWronglyAreRefused) {
    const Bytes image = TestImage(300, 1, 3);
    auto firstPacket = [&](uint32_t address) {
        Bytes packet = LoaderPacketBytes(0xA0);
        for (int i = 0; i < 4; ++i) {
            packet[9 + i] = static_cast<uint8_t>(address >> (8 * i));
            packet[13 + i] = static_cast<uint8_t>(image.size() >> (8 * i));
        }
        std::copy_n(image.begin(), 48, packet.begin() + 17);
        return packet;
    };
    auto erased = [&] {
        PowerOn(HidSimMode::Loader, HidSimFlash::Erased);
        HidSimAdvanceClock(1);
        return OpenLoader();
    };

    HANDLE loader = erased();
    EXPECT_EQ(0, Send(loader, firstPacket(0x100)));
    EXPECT_TRUE(HasProtocolError("bad_image_range")) << "the application starts at address 0";

    loader = erased();
    ASSERT_EQ(1, Send(loader, firstPacket(0)));
    EXPECT_EQ(0, Send(loader, LoaderPacketBytes(0x00)));
    EXPECT_TRUE(HasProtocolError("reply_not_read"));

    loader = erased();
    Bytes shortImage = firstPacket(0);
    shortImage[13] = 10;  // ten image bytes: the rest of the packet must be zero
    shortImage[14] = 0;
    EXPECT_EQ(0, Send(loader, shortImage));
    EXPECT_TRUE(HasProtocolError("bad_padding"));
    EXPECT_EQ(HidSimFlash::Erased, HidSimFlashState());
}

TEST_F(ControllerModelTest, OtherConstantArgumentsFindNoDevice) {
    PowerOn(HidSimMode::Application);
    EXPECT_EQ(0, IsDeviceConnect(0x2E19, kProductId, 1, 0));
    EXPECT_EQ(nullptr, openMyDevice_Read(0x2E19, kProductId, 0, 0, 0));
    EXPECT_EQ(nullptr, openMyDevice_Read(0x2E19, kProductId, 0, 2, 1));
    EXPECT_EQ(3u, HidSimProtocolErrors().size());
    EXPECT_TRUE(HasProtocolError("bad_arguments"));
}

TEST_F(ControllerModelTest, TheCableCanBePulledMidStream) {
    PowerOn(HidSimMode::Loader);
    ASSERT_TRUE(LoaderCommand(0xA3, true));
    HidSimAdvanceClock(1);
    HidSimFaults faults;
    faults.vanishAtPacket = 3;
    HidSimSetFaults(faults);
    EXPECT_EQ(2, StreamImage(TestImage(500, 1, 3)));
    EXPECT_EQ(HidSimMode::None, HidSimCurrentMode());
    HidSimAdvanceClock(60000);
    EXPECT_EQ(HidSimMode::None, HidSimCurrentMode());
    EXPECT_EQ(HidSimFlash::Partial, HidSimFlashState());
}

TEST_F(ControllerModelTest, InjectedLibraryFaultsHitTheNumberedCall) {
    PowerOn(HidSimMode::Application);
    HidSimFaults faults;
    faults.failOpenCalls = {2};
    faults.failCloseCalls = {1};
    faults.closeZeroFails = true;
    faults.connectCount = 3;
    HidSimSetFaults(faults);
    HANDLE first = OpenApplication();
    EXPECT_NE(nullptr, first);
    EXPECT_EQ(nullptr, OpenApplication());
    EXPECT_NE(nullptr, OpenApplication());
    EXPECT_EQ(0, CloseDevice(first));
    EXPECT_EQ(1, CloseDevice(first));
    EXPECT_EQ(0, CloseDevice(nullptr));
    EXPECT_EQ(3, IsDeviceConnect(0x2E19, kProductId, 0, 0));
    EXPECT_EQ(0, IsDeviceConnect(0x2E19, kProductId + 1, 0, 0));
    EXPECT_TRUE(HidSimCalls()[1].faultInjected);
}

TEST(FirmwareImageTest, TheVersionComesFromTheMarker) {
    EXPECT_EQ(0x34, FirmwareVersionByte(TestImage(400, 0x03, 0x04)));
    EXPECT_EQ(0xA3, FirmwareVersionByte(TestImage(400, 0x1A, 0x03))) << "the wire carries nibbles";
    EXPECT_EQ(0x00, FirmwareVersionByte(Bytes(400, 0x11)));
    Bytes cut = TestImage(400, 1, 2);
    cut.resize(0x109);
    EXPECT_EQ(0x00, FirmwareVersionByte(cut));
    EXPECT_EQ(0x12, FirmwareVersionByte(MakeFirmwareImage(1, 2)));
}

TEST(ScenarioFileTest, ReadsEveryKey) {
    const std::string text =
        "# comment\n"
        "mode = loader\r\n"
        "product_id=0x51C3\n"
        "loader_version=0x21\n"
        "fw_version=0x35\n"
        "flash_state=partial\n"
        "enter_loader_ms=100\nreset_ms=200\nrun_aprom_ms=3\nerase_settle_ms=4\n"
        "fail_open=2\nfail_write=1,5\nfail_read=7\nfail_close=3\n"
        "vanish_at_packet=9\nno_loader_version=1\nclose_zero_fails=1\nconnect_count=2\n"
        "state=C:\\s.txt\ntrace=t.txt\n";
    HidSimScenario scenario;
    std::string error;
    ASSERT_TRUE(ParseScenario(text, "", scenario, &error)) << error;
    EXPECT_EQ(HidSimMode::Loader, scenario.setup.mode);
    EXPECT_EQ(0x51C3, scenario.setup.productId);
    EXPECT_EQ(0x21, scenario.setup.loaderVersion);
    EXPECT_EQ(0x35, FirmwareVersionByte(scenario.setup.image));
    EXPECT_EQ(HidSimFlash::Partial, scenario.setup.flash);
    EXPECT_EQ(100u, scenario.setup.timing.enterLoaderMs);
    EXPECT_EQ(200u, scenario.setup.timing.resetMs);
    EXPECT_EQ(3u, scenario.setup.timing.runApromMs);
    EXPECT_EQ(4u, scenario.setup.timing.eraseSettleMs);
    EXPECT_EQ(std::vector<int>{2}, scenario.faults.failOpenCalls);
    EXPECT_EQ((std::vector<int>{1, 5}), scenario.faults.failWriteCalls);
    EXPECT_EQ(std::vector<int>{7}, scenario.faults.failReadCalls);
    EXPECT_EQ(std::vector<int>{3}, scenario.faults.failCloseCalls);
    EXPECT_EQ(9, scenario.faults.vanishAtPacket);
    EXPECT_TRUE(scenario.faults.noLoaderVersion);
    EXPECT_TRUE(scenario.faults.closeZeroFails);
    EXPECT_EQ(2, scenario.faults.connectCount);
    EXPECT_EQ("C:\\s.txt", scenario.statePath);
    EXPECT_EQ("t.txt", scenario.tracePath);
}

TEST(ScenarioFileTest, RefusesWhatItDoesNotUnderstand) {
    for (const char *text : {"mode=boot\n", "colour=red\n", "product_id=0x10000\n", "fail_open=0\n",
                             "loader_version=12a\n", "just text\n", "flash_file=no-such-file.bin\n", "image=ABC\n"}) {
        HidSimScenario scenario;
        std::string error;
        EXPECT_FALSE(ParseScenario(text, "", scenario, &error)) << text;
        EXPECT_NE(std::string::npos, error.find("line 1")) << error;
    }
}

TEST(ScenarioFileTest, AStateFileReadsBackAsTheSameController) {
    HidSimControllerSetup setup;
    setup.mode = HidSimMode::Loader;
    setup.productId = 0x2C9A;
    setup.loaderVersion = 0x15;
    setup.flash = HidSimFlash::Partial;
    setup.image = TestImage(300, 2, 1);
    HidSimScenario read;
    std::string error;
    ASSERT_TRUE(ParseScenario(FormatStateFile(setup), "", read, &error)) << error;
    EXPECT_EQ(setup.mode, read.setup.mode);
    EXPECT_EQ(setup.productId, read.setup.productId);
    EXPECT_EQ(setup.loaderVersion, read.setup.loaderVersion);
    EXPECT_EQ(setup.flash, read.setup.flash);
    EXPECT_EQ(setup.image, read.setup.image);
}

TEST(TraceTest, LinesCarryArgumentsBuffersAndTime) {
    HidSimReset();
    HidSimAdvanceClock(800);
    IsDeviceConnect(0x2E19, kProductId, 0, 0);
    HANDLE device = OpenApplication();
    Send(device, ApReportBytes(0xB0, 0xCC));
    Reply(device, 64);
    CloseDevice(device);
    std::vector<std::string> lines = HidSimTraceLines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("t=800 call=IsDeviceConnect vid=0x2E19 pid=0x2C41 reserved1=0 reserved2=0 result=1", lines[0]);
    EXPECT_EQ("t=800 call=openMyDevice_Read vid=0x2E19 pid=0x2C41 reserved1=0 reserved2=0 mode=1 result=0x100",
              lines[1]);
    std::string fill;
    for (int i = 0; i < 62; ++i) fill += "CC";
    EXPECT_EQ("t=800 call=WriteDeviceOutput handle=0x100 length=64 result=1 data=01B0" + fill, lines[2]);
    EXPECT_EQ("t=800 call=ReadDeviceInput handle=0x100 length=64 result=1 data=01B012" + std::string(122, '0'),
              lines[3]);
    EXPECT_EQ("t=800 call=CloseDevice handle=0x100 result=1", lines[4]);
}
}  // namespace
