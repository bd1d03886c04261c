// The update over USB HID: the image streamed to the controller's NuMicro ISP loader.
#include <cstring>
#include <vector>

#include "app/globals.h"
#include "app/vantor_dlg.h"
#include "hidlink/device_ids.h"
#include "hidlink/device_steps.h"
#include "hidlink/hid_library.h"
#include "host/wait.h"
#include "update/firmware_image.h"
#include "update/hid_versions.h"
#include "update/image_name.h"
#include "update/progress_percent.h"
#include "update/working_directory.h"

namespace {

constexpr DWORD kEraseWaitMs = 1;
constexpr DWORD kResetWaitMs = 2000;

constexpr int kLdrFirstChunkSize = 48;  // the first packet also carries start address and length
constexpr int kLdrChunkSize = 56;

// Offsets inside the first packet's payload.
constexpr int kStartAddressOffset = 0;
constexpr int kTotalLengthOffset = 4;
constexpr int kFirstChunkOffset = 8;
static_assert(kFirstChunkOffset + kLdrFirstChunkSize == sizeof(LoaderPacket::payload), "first packet layout");
static_assert(kLdrChunkSize == sizeof(LoaderPacket::payload), "later packet layout");

void PutLittleEndian32(BYTE *to, UINT32 value) {
    for (int i = 0; i < 4; ++i) to[i] = static_cast<BYTE>(value >> (8 * i));
}

// Fills the packet with the image bytes from `sent` on and returns how many it took.
int FillImagePacket(LoaderPacket &packet, const std::vector<BYTE> &image, int sent) {
    std::memset(&packet, 0, sizeof packet);
    packet.reportId = kLoaderReportId;
    packet.packetNumber = 0;
    const int remaining = static_cast<int>(image.size()) - sent;
    if (sent == 0) {
        const int n = remaining < kLdrFirstChunkSize ? remaining : kLdrFirstChunkSize;
        packet.command = kLdrCmdUpdateAprom;
        PutLittleEndian32(packet.payload + kStartAddressOffset, 0);
        PutLittleEndian32(packet.payload + kTotalLengthOffset, static_cast<UINT32>(image.size()));
        std::memcpy(packet.payload + kFirstChunkOffset, image.data(), static_cast<size_t>(n));
        return n;
    }
    const int n = remaining < kLdrChunkSize ? remaining : kLdrChunkSize;
    packet.command = 0;
    std::memcpy(packet.payload, image.data() + sent, static_cast<size_t>(n));
    return n;
}

}  // namespace

void CVantorDlg::UpdateOverHid() {
    const CString programDir = EnterProgramDirectory();

    const bool silent = m_strCmdLine == L"-f";
    if (!m_strCmdLine.IsEmpty() && !silent) {
        g_restartAndExit = 1;
        return;
    }

    // A failed step ends the run: its text becomes the last error and is reported.
    auto fail = [this](const wchar_t *label, int result) {
        g_lastErrorText = GetResultText(result);
        Report(label + g_lastErrorText);
    };

    if (silent) {
        // The start-up checks were skipped: read the versions now. A failure only shows.
        auto failReread = [this](const wchar_t *label, int result) {
            g_lastErrorText = GetResultText(result);
            m_stStatus.SetWindowText(label + g_lastErrorText);
            m_btnUpdate.EnableWindow(FALSE);
        };
        int result = HidGetFirmwareVersion(m_ledVerF, m_ledVerS);
        if (result != kHidSuccess) return failReread(L"Get FW version : ", result);
        result = HidGetLoaderVersion(m_loaderVerF, m_loaderVerS);
        if (result != kHidSuccess) return failReread(L"Get Loder version : ", result);
    }

    CString imageName;
    if (!FindFirmwareImage(imageName)) {
        Report(L"Doesn't Find Bin File!");
        g_restartAndExit = 1;
        return;
    }
    const ImageVersionFields fields = UsbImageVersionFields(imageName);
    g_imageLedVerF = fields.ledVerF;
    g_imageLedVerS = fields.ledVerS;
    g_imageLoaderVerF.Format(L"%02X", m_loaderVerF);
    g_imageLoaderVerS.Format(L"%02X", m_loaderVerS);

    const bool quirkBoard = g_boardQuirk && g_apProductId == kQuirkBoardCode;
    if (quirkBoard) {
        m_ledVerF = 0;
        m_ledVerS = 0;
    }

    if (IsControllerNewer(m_ledVerF, m_ledVerS, ImageFieldByte(g_imageLedVerF), ImageFieldByte(g_imageLedVerS))) {
        if (silent) {
            Report(L"LED Version doesn't match!");
        } else {
            CString text;
            text.Format(L"LED Version doesn't match!\nYour LED Version is %X%X", m_ledVerF, m_ledVerS);
            Report(text);
        }
        g_restartAndExit = 1;
        return;
    }

    // An image that cannot be read whole is refused before the controller is touched; so is an
    // empty one, which would leave the controller erased and without firmware.
    std::vector<BYTE> image;
    if (!ReadFirmwareImage(programDir + imageName, image) || image.empty()) return fail(L"", kHidImageFailed);

    int result = HidEnterLoader();
    if (result != kHidSuccess) return fail(L"AP to Loder : ", result);
    WaitMs(kLoaderStartWaitMs);

    if (HidEraseFlash() != kHidSuccess) return fail(L"", kHidCommandFailed);
    WaitMs(kEraseWaitMs);

    HANDLE loader = openMyDevice_Read(static_cast<int>(g_deviceIds->loaderVendorId & 0xFFFF),
                                      static_cast<int>(g_deviceIds->loaderProductId & 0xFFFF), 0, 0, 1);
    if (!loader) return fail(L"", kHidOpenFailed);

    LoaderPacket packet = {};
    BYTE reply[kLoaderPacketLength] = {};
    const int length = static_cast<int>(image.size());
    int sent = 0;
    while (sent < length) {
        if (!silent && sent > 0) m_progress.SetPos(ProgressPercent(sent, length));
        sent += FillImagePacket(packet, image, sent);
        if (!(WriteDeviceOutput(loader, reinterpret_cast<unsigned char *>(&packet), kLoaderPacketLength) & 1) ||
            !(ReadDeviceInput(loader, reply, kLoaderPacketLength) & 1))
            return fail(L"", kHidDataFailed);
        // One queued message per packet is taken and dropped, so input during the stream is
        // lost; taken without waiting, so that an empty queue cannot hold the stream up.
        if (!silent) ::PeekMessageW(&g_pumpMsg, nullptr, 0, 0, PM_REMOVE);
    }

    if (CloseDevice(loader) != 1) return fail(L"", kHidCloseFailed);

    result = HidResetMcu();
    if (result != kHidSuccess) return fail(L"Reset MCU : ", result);
    WaitMs(kResetWaitMs);

    result = HidLeaveLoader();
    if (result != kHidSuccess) return fail(L"Loder to AP : ", result);

    // The product ID of this board is resolved again now that its firmware is back.
    if (quirkBoard) g_deviceIds = new LedDeviceIds;

    result = HidGetLoaderVersion(m_loaderVerF, m_loaderVerS);
    if (result != kHidSuccess) return fail(L"Get Loder version : ", result);
    RecordLoaderVersion(m_loaderVerF, m_loaderVerS);

    result = HidGetFirmwareVersion(m_ledVerF, m_ledVerS);
    if (result != kHidSuccess) return fail(L"Get FW version : ", result);
    RecordLedVersion(m_ledVerF, m_ledVerS);

    m_progress.SetPos(100);
    Report(L"Finish!");
    g_restartAndExit = 1;
}
