#include "tests/update_hid/hid_run_fixture.h"

#include <algorithm>

#include "sim/qyxhid/firmware_image.h"

HidSimControllerSetup ControllerRunning(uint8_t verF, uint8_t verS, uint8_t loaderVersion) {
    HidSimControllerSetup setup;
    setup.mode = HidSimMode::Application;
    setup.productId = 0x2C41;
    setup.loaderVersion = loaderVersion;
    setup.flash = HidSimFlash::Valid;
    setup.image = MakeFirmwareImage(verF, verS);
    return setup;
}

std::vector<BYTE> PatternImage(size_t length, uint8_t verF, uint8_t verS) {
    std::vector<BYTE> image(length);
    for (size_t i = 0; i < length; ++i) image[i] = static_cast<BYTE>((i * 7 + 3) & 0xFF);
    const size_t markerLength = kFirmwareVersionMarkerLength + 2;
    if (length >= markerLength + 16) {
        std::copy_n(kFirmwareVersionMarker, kFirmwareVersionMarkerLength, image.begin() + 16);
        image[16 + kFirmwareVersionMarkerLength] = verF;
        image[16 + kFirmwareVersionMarkerLength + 1] = verS;
    }
    return image;
}

void HidRunTest::SetUp() {
    DialogRunTest::SetUp();
    if (HasFatalFailure()) return;
    ServeBoard("QZ-2C41", "1.0");
    HidSimReset(ControllerRunning(1, 2));
}

void HidRunTest::OnWait(DWORD ms) { HidSimAdvanceClock(ms); }

std::vector<std::vector<uint8_t>> HidRunTest::ImagePackets() const {
    std::vector<std::vector<uint8_t>> packets;
    for (const HidSimCall &call : HidSimCalls()) {
        if (call.function != "WriteDeviceOutput" || call.length != 65 || call.data.size() != 65) continue;
        const uint32_t command = call.data[1] | call.data[2] << 8 | call.data[3] << 16 | uint32_t(call.data[4]) << 24;
        if (command == 0xA0 || command == 0) packets.push_back(call.data);
    }
    return packets;
}

int HidRunTest::CallCount(const std::string &function) const {
    int count = 0;
    for (const HidSimCall &call : HidSimCalls())
        if (call.function == function) ++count;
    return count;
}
