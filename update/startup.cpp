// The dialog's start-up checks: the steps both transports share, then the USB branch.
#include <cwchar>

#include "app/globals.h"
#include "app/vantor_dlg.h"
#include "board/smbios.h"
#include "hidlink/device_ids.h"
#include "hidlink/device_steps.h"
#include "host/command.h"
#include "host/log.h"
#include "host/registry.h"
#include "host/tool_version.h"
#include "host/wait.h"
#include "update/firmware_image.h"
#include "update/hid_versions.h"
#include "update/image_name.h"
#include "update/startup_steps.h"
#include "update/working_directory.h"

namespace {

constexpr wchar_t kLightingKey[] = L"SOFTWARE\\QYX\\Halcyra2";
constexpr wchar_t kCompanionKey[] = L"SOFTWARE\\QYX\\Korvex";
constexpr wchar_t kWorkDirValue[] = L"WorkDir";
constexpr wchar_t kFallbackToolVersion[] = L"1.0.0.16";
constexpr int kQuirkBoardRevision = 2;

constexpr wchar_t kGetLoaderVersionLabel[] = L"Get Loder version : ";
constexpr wchar_t kEnterLoaderLabel[] = L"AP to Loder : ";
constexpr wchar_t kLeaveLoaderLabel[] = L"Loder to AP : ";
constexpr wchar_t kGetFirmwareVersionLabel[] = L"Get FW version : ";

enum class LogFailure { No, Yes };

// A failed device step: its text is kept as the last error and shown after its label.
void ShowStepFailure(CStatic &status, const wchar_t *label, int result, LogFailure log) {
    g_lastErrorText = GetResultText(result);
    const CString line = label + g_lastErrorText;
    status.SetWindowText(line);
    if (log == LogFailure::Yes) WriteLog(line);
}

void StoreUpdaterValue(const wchar_t *name, const CString &text) {
    WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, name, text);
}

}  // namespace

BOOL CVantorDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();

    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (systemMenu) {
        CString aboutText;
        aboutText.LoadString(IDS_ABOUTBOX);
        if (!aboutText.IsEmpty()) {
            ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // The maker's lighting software would fight over the controller; stop what is installed.
    g_lightingWorkDir = ReadRegString(HKEY_LOCAL_MACHINE, kLightingKey, kWorkDirValue, CString(), KEY_QUERY_VALUE);
    if (!g_lightingWorkDir.IsEmpty()) {
        RunCommand(L"sc.exe stop", L"Halcyra2_Service", CommandFolder::System);
        RunCommand(L"taskkill /F /IM", L"Ostrum.exe", CommandFolder::System);
    }
    g_companionWorkDir = ReadRegString(HKEY_LOCAL_MACHINE, kCompanionKey, kWorkDirValue, CString(), KEY_QUERY_VALUE);
    if (!g_companionWorkDir.IsEmpty()) RunCommand(L"taskkill /F /IM", L"QYX_LED.exe", CommandFolder::System);

    g_restartAndExit = 0;

    ReadSmbiosTable();
    BaseboardInfo baseboard = {};
    ReadBaseboardInfo(baseboard);
    const CString productText(baseboard.productText);
    const CString versionText(baseboard.versionText);
    g_boardCode = GetBoardCode(productText);
    g_boardRevision = _wtoi(versionText);
    if (g_boardCode == kQuirkBoardCode && g_boardRevision == kQuirkBoardRevision) g_boardQuirk = 1;

    if (IsHidBoardCode(g_boardCode)) return StartupChecksOverHid();
    return StartupChecksOverSmbus();
}

BOOL CVantorDlg::StartupChecksOverHid() {
    g_useHidPath = 1;
    EnterProgramDirectory();
    m_strCmdLine = LowerCaseCommandLine();
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    g_deviceIds = new LedDeviceIds;

    if (!m_strCmdLine.IsEmpty() && m_strCmdLine != L"-v") return EndOfStartupChecks();

    BYTE bootMode = 0;
    g_deviceIds->DetectBootMode(bootMode);
    WriteLog(bootMode ? L"On Boot Mode." : L"On AP Mode.");

    StoreUpdaterValue(L"Tool Version", GetToolVersion() ? g_toolVersion : CString(kFallbackToolVersion));

    int result = HidGetLoaderVersion(m_loaderVerF, m_loaderVerS);
    if (result != kHidSuccess) {
        ShowStepFailure(m_stStatus, kGetLoaderVersionLabel, result, LogFailure::Yes);
        // Application firmware that cannot tell its loader version: ask the loader itself.
        if (!bootMode) {
            result = HidEnterLoader();
            if (result != kHidSuccess) {
                ShowStepFailure(m_stStatus, kEnterLoaderLabel, result, LogFailure::Yes);
                m_btnUpdate.EnableWindow(FALSE);
                if (m_strCmdLine.IsEmpty()) return TRUE;

                g_loaderVersion = VersionPairText(m_loaderVerF, m_loaderVerS);
                StoreUpdaterValue(L"Loder Version", g_loaderVersion);
                g_restartAndExit = 1;
                return EndOfStartupChecks();
            }
            WaitMs(kLoaderStartWaitMs);
            result = HidGetLoaderVersion(m_loaderVerF, m_loaderVerS);
            if (result != kHidSuccess)
                ShowStepFailure(m_stStatus, kGetLoaderVersionLabel, result, LogFailure::Yes);
            g_deviceIds->DetectBootMode(bootMode);
        }
    }

    RecordLoaderVersion(m_loaderVerF, m_loaderVerS);

    m_ledVerF = 0;
    m_ledVerS = 0;
    bool firmwareReachable = true;
    if (bootMode) {
        result = HidLeaveLoader();
        if (result != kHidSuccess) {
            ShowStepFailure(m_stStatus, kLeaveLoaderLabel, result, LogFailure::No);
            firmwareReachable = false;
        }
    }
    if (firmwareReachable) {
        result = HidGetFirmwareVersion(m_ledVerF, m_ledVerS);
        if (result != kHidSuccess) ShowStepFailure(m_stStatus, kGetFirmwareVersionLabel, result, LogFailure::No);
    }
    // This board's firmware reports a version that must not block an update.
    if (g_boardQuirk && g_apProductId == kQuirkBoardCode) {
        m_ledVerF = 0;
        m_ledVerS = 0;
    }

    RecordLedVersion(m_ledVerF, m_ledVerS);

    m_stCurrent.SetWindowText(VersionLines(g_ledVersion, g_loaderVersion));

    CString imageName;
    if (!FindFirmwareImage(imageName)) {
        m_stObject.SetWindowText(kNoImageLine);
        return EndOfStartupChecks();
    }
    const ImageVersionFields image = UsbImageVersionFields(imageName);
    g_imageLedVerF = image.ledVerF;
    g_imageLedVerS = image.ledVerS;
    // The USB image name carries no loader version: the controller's own stands in.
    g_imageLoaderVerF.Format(L"%02X", m_loaderVerF);
    g_imageLoaderVerS.Format(L"%02X", m_loaderVerS);

    ShowImageVersions(*this);

    if (IsControllerNewer(m_ledVerF, m_ledVerS, ImageFieldByte(g_imageLedVerF), ImageFieldByte(g_imageLedVerS))) {
        m_stStatus.SetWindowText(L"Your LED version is newer, doesn't require updating!");
        m_btnUpdate.EnableWindow(FALSE);
    }
    return EndOfStartupChecks();
}
