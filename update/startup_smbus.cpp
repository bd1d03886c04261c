// The start-up checks on boards whose lighting controller sits on the SMBus: load the two
// libraries, read the controller's versions and weigh them against the image's name.
#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <new>

#include "app/globals.h"
#include "app/vantor_dlg.h"
#include "board/driver_library.h"
#include "host/registry.h"
#include "host/tool_version.h"
#include "update/firmware_image.h"
#include "update/image_name.h"
#include "update/smbus_command_set.h"
#include "update/smbus_image_checks.h"
#include "update/smbus_versions.h"
#include "update/startup_steps.h"
#include "update/working_directory.h"

namespace {
constexpr DWORD kProgramPathCapacity = 260;
constexpr wchar_t kDriverInstanceName[] = L"Parvio_FWUpdate";
constexpr wchar_t kFallbackToolVersion[] = L"1.0.0.14";

// The folder of the program file itself, without its trailing backslash.
CString ProgramFileDirectory() {
    wchar_t path[kProgramPathCapacity] = {};
    ::GetModuleFileNameW(nullptr, path, kProgramPathCapacity);
    path[kProgramPathCapacity - 1] = L'\0';
    const wchar_t *lastBackslash = std::wcsrchr(path, L'\\');
    return lastBackslash ? CString(path, static_cast<int>(lastBackslash - path)) : CString();
}

// The driver library keeps the very strings it is given: system strings, never freed.
BSTR SystemStringCopy(const CString &text) {
    BSTR copy = ::SysAllocStringLen(text.GetString(), static_cast<UINT>(text.GetLength()));
    if (!copy)
        throw std::bad_alloc();
    return copy;
}
}  // namespace

BOOL CVantorDlg::StartupChecksOverSmbus() {
    g_useHidPath = 0;
    g_programDir = ProgramFileDirectory();
    g_driverLibrary = new DriverLibrary(SystemStringCopy(g_programDir), SystemStringCopy(kDriverInstanceName));
    if (!g_driverLibrary->ready || !g_driverLibrary->mutex) {
        // Nothing else is set up: the dialog opens with its placeholders, whatever the command line.
        g_driverReady = 0;
        return EndOfStartupChecks();
    }
    g_driverReady = 1;

    g_smbusLibrary = new SmbusLibrary(g_programDir);
    if (g_smbusLibrary->module && g_smbusLibrary->SMBusInitialization)
        g_smbusLibrary->initialized = g_smbusLibrary->SMBusInitialization(g_driverLibrary, 0);
    g_smbusReady = g_smbusLibrary->initialized;
    WriteSmbusCommandPreamble();

    EnterProgramDirectory();
    m_strCmdLine = LowerCaseCommandLine();
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    g_ledVersion.Empty();
    if (!m_strCmdLine.IsEmpty() && m_strCmdLine != L"-v")
        return EndOfStartupChecks();

    if (GetToolVersion())
        WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Tool Version", g_toolVersion);
    else
        WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Tool Version", kFallbackToolVersion);

    // The host kind is asked anew before each step that depends on it.
    ResumeForVersionRead(IsIntelHostBridge());
    ReadAndRecordLedVersion(m_ledVerF, m_ledVerS);
    EnterLoaderAndWait(IsIntelHostBridge());
    ReadAndRecordLoaderVersion(IsIntelHostBridge(), m_loaderVerF, m_loaderVerS);

    m_stCurrent.SetWindowText(VersionLines(g_ledVersion, g_loaderVersion));

    CString imageName;
    if (!FindFirmwareImage(imageName)) {
        m_stObject.SetWindowText(kNoImageLine);
        return EndOfStartupChecks();
    }
    const ImageVersionFields image = SmbusImageVersionFields(imageName);
    g_imageLoaderVerF = image.loaderVerF;
    g_imageLoaderVerS = image.loaderVerS;
    g_imageLedVerF = image.ledVerF;
    g_imageLedVerS = image.ledVerS;
    ShowImageVersions(*this);

    const SmbusImageVerdict verdict =
        CheckSmbusImage(image, ControllerVersions{m_ledVerF, m_ledVerS, m_loaderVerF, m_loaderVerS});
    if (verdict != SmbusImageVerdict::kAccepted) {
        m_stStatus.SetWindowText(VerdictText(verdict));
        m_btnUpdate.EnableWindow(FALSE);
    }
    return EndOfStartupChecks();
}
