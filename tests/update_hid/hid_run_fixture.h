// A USB board run inside the test program: the main dialog opened modeless on its real
// template, the simulated controller in place of the HID library, a stand-in WMI locator
// serving the board's SMBIOS table, and the waits, commands, message boxes and process ends
// recorded instead of taken. The program's folder (this test program is "Update_Vantor.exe")
// holds the image and the log.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/vantor_dlg.h"
#include "sim/qyxhid/hid_sim.h"

struct RecordedMessageBox {
    std::wstring text;
    std::wstring caption;
    UINT type;
};

class HidRunTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The baseboard the SMBIOS table names (product text, version text).
    void ServeBoard(const std::string &product, const std::string &version);
    // "WorkDir" of the lighting software and of the companion program; null: no value.
    void SetWorkDirs(const wchar_t *lighting, const wchar_t *companion);
    void PutImage(const std::wstring &name, const std::vector<BYTE> &bytes);

    // Creates the dialog with this command line (null: the framework has none); the start-up
    // checks run inside.
    void OpenDialog(const wchar_t *commandLine = L"");
    // The current directory becomes the Windows folder, as for a start from there.
    void StartElsewhere();
    // The current directory, with a trailing backslash as programDir_ has.
    std::wstring CurrentDirectory() const;
    // Records every progress position set from now on.
    void WatchProgress();

    std::wstring ControlText(int id) const;
    bool UpdateEnabled() const;
    int ProgressPosition() const;
    // The log's messages, without their time stamps.
    std::vector<std::wstring> LogMessages() const;
    // A value under the updater's key; "(none)" when absent.
    std::wstring UpdaterValue(const wchar_t *name) const;
    // Image packets written to the loader device, in order.
    std::vector<std::vector<uint8_t>> ImagePackets() const;
    // Calls to one library function.
    int CallCount(const std::string &function) const;

    std::wstring programDir_;  // with its trailing backslash
    std::vector<DWORD> waits_;
    std::vector<std::wstring> commands_;
    std::vector<RecordedMessageBox> boxes_;
    std::vector<int> exits_;
    std::vector<int> progress_;
    std::unique_ptr<CVantorDlg> dialog_;
};

// A controller in application mode on board QZ-2C41 running firmware verF.verS (nibbles).
HidSimControllerSetup ControllerRunning(uint8_t verF, uint8_t verS, uint8_t loaderVersion = 0x14);

// An image of `length` bytes whose byte i is (i * 7 + 3) & 0xFF, carrying the firmware version
// marker when it is long enough.
std::vector<BYTE> PatternImage(size_t length, uint8_t verF = 1, uint8_t verS = 3);
