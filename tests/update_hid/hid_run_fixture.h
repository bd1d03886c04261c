// A USB board run inside the test program: the main dialog on the simulated controller in
// place of the HID library, with a stand-in WMI locator serving the board's SMBIOS table.
#pragma once

#include <string>
#include <vector>

#include "sim/qyxhid/hid_sim.h"
#include "tests/dialog_run/dialog_run.h"

class HidRunTest : public DialogRunTest {
protected:
    void SetUp() override;
    void OnWait(DWORD ms) override;

    // Image packets written to the loader device, in order.
    std::vector<std::vector<uint8_t>> ImagePackets() const;
    // Calls to one library function.
    int CallCount(const std::string &function) const;
};

// A controller in application mode on board QZ-2C41 running firmware verF.verS (nibbles).
HidSimControllerSetup ControllerRunning(uint8_t verF, uint8_t verS, uint8_t loaderVersion = 0x14);

// An image of `length` bytes whose byte i is (i * 7 + 3) & 0xFF, carrying the firmware version
// marker when it is long enough.
std::vector<BYTE> PatternImage(size_t length, uint8_t verF = 1, uint8_t verS = 3);
