// The main dialog opened modeless in this test program (named "Update_Vantor.exe", in a folder
// of its own) on a chosen board: the USB controller simulated in-process, the SMBus one behind
// the stand-in Wendil.dll and Corrant.dll beside the program, the SMBIOS table served by an
// in-process WMI locator. Both transports' lighting software is installed ("WorkDir" values set).
#pragma once

#include <string>
#include <vector>

#include "sim/qyxhid/hid_sim.h"
#include "sim/smbus/sim_smbus_control.h"
#include "tests/dialog_run/dialog_run.h"

enum class Board { kUsb, kSmbusIntel, kSmbusOther };

class CompletionRun : public DialogRunTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Both simulators keep one clock: the board in use reads its own.
    void OnWait(DWORD ms) override;

    // Serves the board's SMBIOS table; SMBus boards also get a fresh simulated session
    // configured with the host bridge and `smbusScenario` (sim/smbus/README.md keys).
    void UseBoard(Board board, const std::string &smbusScenario = std::string());
    // The USB controller afresh in this mode, running firmware 1.2, its call record empty.
    static void ResetUsbController(HidSimMode mode = HidSimMode::Application);

    // Creates the dialog with this command line; the start-up checks run inside. Unless they
    // ended the run, what they recorded is dropped, so the lists hold only what followed.
    void OpenDialog(const wchar_t *commandLine = L"");
    void ClickUpdate();   // BN_CLICKED of the Update button, as a click sends it
    void CloseWindow();   // WM_CLOSE, as the title bar's close button sends it
    // Posts the key to the dialog and runs its messages through the dialog manager.
    void PressKey(WORD virtualKey);

    bool DialogShown() const;
    // The texts the status line was given since the dialog opened, in order.
    const std::vector<std::wstring> &StatusHistory() const { return statusHistory_; }
    // Lines of the SMBus simulator's trace made since the dialog opened.
    std::vector<std::string> SmbusTraceSinceOpen() const;
    static std::vector<std::string> Matching(const std::vector<std::string> &lines, const std::string &part);

    static SimSmbusControl *smbus_;

private:
    // Runs what is queued for this thread through the dialog manager, as a modal loop would.
    void PumpMessages();

    size_t smbusTraceMark_ = 0;
    std::vector<std::wstring> statusHistory_;
};

// A USB controller image: its firmware reports verF.verS (nibbles) to the simulator.
std::vector<BYTE> UsbImage(BYTE verF, BYTE verS, size_t length = 600);

constexpr wchar_t kCompanionDir[] = L"C:\\Program Files (x86)\\QYX\\Korvex";
constexpr wchar_t kLightingDir[] = L"C:\\Program Files\\QYX\\Halcyra2";
constexpr wchar_t kServiceStart[] = L"/d /c sc.exe start Halcyra2_Service";
constexpr wchar_t kCompanionLaunch[] = L"/d /c \"\"C:\\Program Files (x86)\\QYX\\Korvex\\QYX_LED.exe\"\" ";
