// An SMBus board run inside the test program: the main dialog opened modeless on its real
// template, the stand-in "Wendil.dll" and "Corrant.dll" beside this program (its name is
// "Update_Vantor.exe", so it finds its folder as the updater does), a stand-in WMI locator
// naming a board off the USB list, and waits, commands, message boxes and process ends
// recorded instead of taken. Each wait moves the simulator's clock on.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vantor_dlg.h"
#include "sim/smbus/sim_smbus_control.h"

// The simulator's defaults give an Intel host; this one is another vendor's.
constexpr char kOtherHost[] = "host_bridge=0x14501022\n";

class SmbusRunTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Scenario lines on top of the simulator's defaults (a fresh session).
    void Configure(const std::string &scenario);
    void PutImage(const std::wstring &name, const std::vector<BYTE> &bytes);

    // Creates the dialog with this command line; the start-up checks run inside.
    void OpenDialog(const std::wstring &commandLine = L"");
    CVantorDlg &Dialog() { return *dialog_; }
    // Forgets the traffic so far, so that Traffic() shows what follows.
    void MarkTraffic();
    // Records every progress position set from now on.
    void WatchProgress();

    // SMBus and driver calls and waits since the last mark, in order: "write 24/17",
    // "read 25", "byte 52:F2", "pci", "release", "wait 500", ...
    std::vector<std::string> Traffic();
    // Payloads of the 0x21 block writes since the last mark.
    std::vector<std::vector<BYTE>> DataBlocks();
    // Trace lines of SMBus transfers that the controller did not take or answer.
    std::vector<std::string> FailedTransfers();
    std::vector<BYTE> Flash() const { return sim_->Flash(); }

    std::wstring ControlText(int id) const;
    bool UpdateEnabled() const;
    int ProgressPosition() const;
    // The log's messages, without their time stamps.
    std::vector<std::wstring> LogMessages() const;
    // A value under the updater's key; "(none)" when absent.
    std::wstring UpdaterValue(const wchar_t *name) const;
    std::vector<std::wstring> BoxTexts() const { return boxes_; }

    std::wstring programDir_;  // with its trailing backslash
    std::vector<std::wstring> boxes_;
    std::vector<std::wstring> commands_;
    std::vector<int> exits_;
    std::vector<int> progress_;

private:
    void TakeNewTraceLines();

    SimSmbusControl *sim_ = nullptr;  // loaded once for the whole run
    std::unique_ptr<CVantorDlg> dialog_;
    std::vector<std::string> traceLines_;  // raw, since the last Configure
    std::vector<std::string> events_;      // every event since the last Configure
    size_t traceTaken_ = 0;
    size_t markedEvent_ = 0;
    size_t markedTraceLine_ = 0;
};

// An image the simulated controller reports as verF.verS once written.
std::vector<BYTE> FirmwareImage(BYTE verF, BYTE verS, size_t size);
// Opens the file as another program could, sharing nothing: the updater cannot open it then.
HANDLE HoldWithoutSharing(const std::wstring &path);
// Payload of data block `index` (0-based) of an image as a host of `length` sends it.
std::vector<BYTE> ExpectedBlock(const std::vector<BYTE> &image, size_t index, size_t length);
