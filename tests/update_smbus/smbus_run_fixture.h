// An SMBus board run inside the test program: the main dialog on a board off the USB list,
// served by a stand-in WMI locator, with the stand-in "Wendil.dll" and "Corrant.dll" beside
// the program. Each wait moves the simulator's clock on.
#pragma once

#include <string>
#include <vector>

#include "sim/smbus/sim_smbus_control.h"
#include "tests/dialog_run/dialog_run.h"

// The simulator's defaults give an Intel host; this one is another vendor's.
constexpr char kOtherHost[] = "host_bridge=0x14501022\n";

class SmbusRunTest : public DialogRunTest {
protected:
    void SetUp() override;
    // Every message box of the flows and checks is captioned "Vantor", OK button, topmost.
    void TearDown() override;
    void OnWait(DWORD ms) override;

    // Scenario lines on top of the simulator's defaults (a fresh session).
    void Configure(const std::string &scenario);
    // Forgets the traffic so far, so that Traffic() shows what follows.
    void MarkTraffic();

    // SMBus and driver calls and waits since the last mark, in order: "write 24/17",
    // "read 25", "byte 52:F2", "pci", "release", "wait 500", ...
    std::vector<std::string> Traffic();
    // Payloads of the 0x21 block writes since the last mark.
    std::vector<std::vector<BYTE>> DataBlocks();
    // Trace lines of SMBus transfers that the controller did not take or answer.
    std::vector<std::string> FailedTransfers();
    std::vector<BYTE> Flash() const { return sim_->Flash(); }

private:
    void TakeNewTraceLines();

    SimSmbusControl *sim_ = nullptr;  // loaded once for the whole run
    std::vector<std::string> traceLines_;  // raw, since the last Configure
    std::vector<std::string> events_;      // every event since the last Configure
    size_t traceTaken_ = 0;
    size_t markedEvent_ = 0;
    size_t markedTraceLine_ = 0;
};

// An image the simulated controller reports as verF.verS once written.
std::vector<BYTE> FirmwareImage(BYTE verF, BYTE verS, size_t size);
// Payload of data block `index` (0-based) of an image as a host of `length` sends it.
std::vector<BYTE> ExpectedBlock(const std::vector<BYTE> &image, size_t index, size_t length);
