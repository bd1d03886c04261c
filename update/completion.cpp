// The three places a run ends: the end of the start-up checks, the Update button and the
// window's close. All of them start the lighting software again the same way.
#include "app/globals.h"
#include "app/vantor_dlg.h"
#include "board/driver_library.h"
#include "hidlink/device_ids.h"
#include "hidlink/device_steps.h"
#include "hidlink/hid_library.h"
#include "host/command.h"
#include "host/process_end.h"
#include "host/wait.h"
#include "update/cmd_quoting.h"
#include "update/smbus_command_set.h"

namespace {

constexpr DWORD kDummyReadWaitMs = 500;

// The service and the companion LED program come back only when their owners' "WorkDir"
// values were set at start-up; "Ostrum.exe", killed then, is not started again.
void RunRestartCommands() {
    if (!g_lightingWorkDir.IsEmpty()) RunCommand(L"sc.exe start", L"Halcyra2_Service", CommandFolder::System);
    // Named by its full path; it starts where it always has, and may rely on that folder.
    if (!g_companionWorkDir.IsEmpty())
        RunCommand(QuoteProgramForCmd(g_companionWorkDir + L"\\QYX_LED.exe"), CString(), CommandFolder::Current);
}

void RestartAndExit() {
    RunRestartCommands();
    EndProcess(0);
}

bool SmbusUsable() { return g_smbusLibrary && g_smbusLibrary->initialized; }

// The transport's flow; without the driver library the other-host flow only asks to end.
void RunUpdateFlow(CVantorDlg &dialog) {
    if (g_useHidPath)
        dialog.UpdateOverHid();
    else if (g_driverReady && IsIntelHostBridge())
        dialog.UpdateOverSmbusIntel();
    else
        dialog.UpdateOverSmbusOther();
}

}  // namespace

BOOL CVantorDlg::EndOfStartupChecks() {
    if (!m_strCmdLine.IsEmpty()) {
        MoveWindow(0, 0, 0, 0, TRUE);
        RunUpdateFlow(*this);
        // Over USB a command-line run ends whatever the flow did; the SMBus flows decide themselves.
        if (g_useHidPath) g_restartAndExit = 1;
    }
    if (!m_strCmdLine.IsEmpty() || g_restartAndExit) RestartAndExit();
    return TRUE;  // the dialog opens; after a real exit this is never reached
}

void CVantorDlg::OnBnClickedUpdate() {
    m_stStatus.SetWindowText(L"Please waiting...");
    m_btnUpdate.EnableWindow(FALSE);

    RunUpdateFlow(*this);
    if (g_restartAndExit) RestartAndExit();
}

void CVantorDlg::OnClose() {
    if (g_useHidPath) {
        // Back to the application firmware, but only when the controller sits in its loader.
        if (g_deviceIds &&
            IsDeviceConnect(static_cast<int>(g_deviceIds->loaderVendorId & 0xFFFF),
                            static_cast<int>(g_deviceIds->loaderProductId & 0xFFFF), 0, 0) > 0) {
            int result = HidLeaveLoader();
            if (result != kHidSuccess) {
                g_lastErrorText = GetResultText(result);
                m_stStatus.SetWindowText(L"Loder to AP : " + g_lastErrorText);
            }
        }
    } else {
        bool intelHost = g_driverReady && IsIntelHostBridge();
        if (intelHost) {
            if (SmbusUsable()) SendSmbusCommand(kSmbCmdRunApplication, true);
        } else {
            if (SmbusUsable()) SmbusDummyRead();
            WaitMs(kDummyReadWaitMs);
            if (SmbusUsable()) SendSmbusCommand(kSmbCmdRunApplication, false);
        }
        if (g_driverReady) ReleaseDriverLibrary();
    }
    RunRestartCommands();
    Default();
}
