#include "update/smbus_flow_steps.h"

#include <array>

#include "app/globals.h"
#include "app/vantor_dlg.h"
#include "board/driver_library.h"
#include "hidlink/device_ids.h"
#include "host/wait.h"
#include "update/firmware_image.h"
#include "update/image_name.h"
#include "update/progress_percent.h"
#include "update/smbus_command_set.h"
#include "update/smbus_image_checks.h"
#include "update/smbus_versions.h"
#include "update/working_directory.h"

namespace {
constexpr DWORD kResumeWaitMs = 500;

void RereadVersionsSilently(CVantorDlg &dialog, bool intelHost) {
    ResumeForVersionRead(intelHost);
    dialog.m_ledVerF = ReadLedVerF();
    dialog.m_ledVerS = ReadLedVerS();
    EnterLoaderAndWait(intelHost);

    std::array<BYTE, kSmbusStatusBlockLength> status{};
    SmbusReadBlock(status.data());
    DecodeLoaderVersion(status.data(), intelHost, dialog.m_loaderVerF, dialog.m_loaderVerS);
}
}  // namespace

bool StartSmbusFlow(CVantorDlg &dialog, bool intelHost, CString &directory) {
    if (!g_smbusReady) {
        ReleaseDriverWhenReady();
        g_restartAndExit = 1;
        return false;
    }
    directory = EnterProgramDirectory();
    const bool interactive = dialog.m_strCmdLine.IsEmpty();
    if (!interactive && dialog.m_strCmdLine != L"-f") {
        EndSmbusFlow(intelHost);
        return false;
    }
    if (!interactive)
        RereadVersionsSilently(dialog, intelHost);
    return true;
}

CString LoadAcceptedImage(const CVantorDlg &dialog, const CString &directory, std::vector<BYTE> &image) {
    CString fileName;
    if (!FindFirmwareImage(fileName))
        return L"Doesn't Find Bin File!";

    const ImageVersionFields fields = SmbusImageVersionFields(fileName);
    g_imageLedVerF = fields.ledVerF;
    g_imageLedVerS = fields.ledVerS;
    g_imageLoaderVerF = fields.loaderVerF;
    g_imageLoaderVerS = fields.loaderVerS;

    const ControllerVersions controller{dialog.m_ledVerF, dialog.m_ledVerS, dialog.m_loaderVerF,
                                        dialog.m_loaderVerS};
    const SmbusImageVerdict verdict = CheckSmbusImage(fields, controller);
    if (verdict != SmbusImageVerdict::kAccepted)
        return dialog.m_strCmdLine.IsEmpty() ? VerdictMessage(verdict, controller) : VerdictText(verdict);

    if (!ReadFirmwareImage(directory + fileName, image))
        return GetResultText(kHidImageFailed);
    return CString();
}

void ReadBackVersions(CVantorDlg &dialog, bool intelHost) {
    // The controller is still in its loader right after the last block: no 0x20 before the status.
    ReadAndRecordLoaderVersion(intelHost, dialog.m_loaderVerF, dialog.m_loaderVerS);
    SendSmbusCommand(kSmbCmdRunApplication, intelHost);
    WaitMs(kResumeWaitMs);
    ReadAndRecordLedVersion(dialog.m_ledVerF, dialog.m_ledVerS);
    EnterLoaderAndWait(intelHost);
}

void ShowTransferProgress(CVantorDlg &dialog, int byteIndex, int count) {
    dialog.m_progress.SetPos(ProgressPercent(byteIndex, count));
    dialog.UpdateData(FALSE);
}

void DropQueuedMessage() {
    // Take without waiting: nothing posts during the stream, and a waiting take would
    // stall it until the user moves the mouse.
    ::PeekMessageW(&g_pumpMsg, nullptr, 0, 0, PM_REMOVE);
}

void ReleaseDriverWhenReady() {
    if (g_driverReady)
        ReleaseDriverLibrary();
}

void EndSmbusFlow(bool intelHost) {
    SendSmbusCommand(kSmbCmdRunApplication, intelHost);
    ReleaseDriverWhenReady();
    g_restartAndExit = 1;
}
