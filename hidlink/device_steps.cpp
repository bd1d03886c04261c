#include "hidlink/device_steps.h"

#include <array>
#include <cstring>

#include "app/globals.h"
#include "hidlink/device_ids.h"
#include "hidlink/hid_library.h"

namespace {
constexpr BYTE kVersionQueryFill = 0xCC;
constexpr BYTE kControlFill = 0x00;
constexpr size_t kApVersionByte = 2;
constexpr size_t kLoaderVersionByte = 8;

struct UsbIds {
    int vendorId;
    int productId;
};

// Only the low 16 bits of an ID reach the library.
UsbIds ApplicationDevice() {
    return {static_cast<int>(g_deviceIds->apVendorId & 0xFFFF), g_apProductId & 0xFFFF};
}

UsbIds LoaderDevice() {
    return {static_cast<int>(g_deviceIds->loaderVendorId & 0xFFFF),
            static_cast<int>(g_deviceIds->loaderProductId & 0xFFFF)};
}

int CountConnected(UsbIds ids) { return IsDeviceConnect(ids.vendorId, ids.productId, 0, 0); }

HANDLE OpenDevice(UsbIds ids) { return openMyDevice_Read(ids.vendorId, ids.productId, 0, 0, 1); }

bool Succeeded(int libraryResult) { return (libraryResult & 1) != 0; }

int CloseResult(HANDLE device) { return CloseDevice(device) == 1 ? kHidSuccess : kHidCloseFailed; }

void DecodeVersion(BYTE versionByte, BYTE &verF, BYTE &verS) {
    verF = static_cast<BYTE>(versionByte >> 4);
    verS = static_cast<BYTE>(versionByte & 0x0F);
}

// Where a step puts the version it reads; null for steps that read none.
struct VersionOut {
    BYTE *verF;
    BYTE *verS;
};
constexpr VersionOut kNoVersion{nullptr, nullptr};

// One exchange with the application-mode device. A failed write or read leaves the handle open.
int ApplicationExchange(BYTE command, BYTE fill, int writeFailure, bool readsReply, VersionOut version) {
    HANDLE device = OpenDevice(ApplicationDevice());
    if (!device) return kHidOpenFailed;
    ApReport report;
    report.reportId = kApReportId;
    report.command = command;
    std::memset(report.fill, fill, sizeof report.fill);
    if (!Succeeded(WriteDeviceOutput(device, reinterpret_cast<unsigned char *>(&report), kApReportLength)))
        return writeFailure;
    if (readsReply) {
        std::array<unsigned char, kApReportLength> reply{};
        if (!Succeeded(ReadDeviceInput(device, reply.data(), kApReportLength))) return kHidSwitchFailed;
        if (version.verF) DecodeVersion(reply[kApVersionByte], *version.verF, *version.verS);
    }
    return CloseResult(device);
}

// One exchange with the loader; its reply is read into the request's own buffer.
int LoaderExchange(UINT32 command, int writeFailure, bool readsReply, VersionOut version) {
    HANDLE device = OpenDevice(LoaderDevice());
    if (!device) return kHidOpenFailed;
    LoaderPacket packet{};
    packet.reportId = kLoaderReportId;
    packet.command = command;
    packet.packetNumber = 0;
    auto *bytes = reinterpret_cast<unsigned char *>(&packet);
    if (!Succeeded(WriteDeviceOutput(device, bytes, kLoaderPacketLength))) return writeFailure;
    if (readsReply) {
        if (!Succeeded(ReadDeviceInput(device, bytes, kLoaderPacketLength))) return kHidSwitchFailed;
        if (version.verF) DecodeVersion(bytes[kLoaderVersionByte], *version.verF, *version.verS);
    }
    return CloseResult(device);
}
}  // namespace

void LedDeviceIds::DetectBootMode(BYTE &flag) {
    flag = 0;
    if (IsDeviceConnect(static_cast<int>(loaderVendorId & 0xFFFF), static_cast<int>(loaderProductId & 0xFFFF), 0, 0) > 0)
        flag = 1;
}

int HidGetFirmwareVersion(BYTE &verF, BYTE &verS) {
    return ApplicationExchange(kApCmdGetFwVersion, kVersionQueryFill, kHidSwitchFailed, true, {&verF, &verS});
}

int HidGetLoaderVersion(BYTE &verF, BYTE &verS) {
    if (CountConnected(LoaderDevice()) > 0)
        return LoaderExchange(kLdrCmdGetVersion, kHidSwitchFailed, true, {&verF, &verS});
    // The application firmware also knows its loader's version.
    return ApplicationExchange(kApCmdGetLoaderVersion, kVersionQueryFill, kHidSwitchFailed, true, {&verF, &verS});
}

int HidEnterLoader() {
    if (CountConnected(ApplicationDevice()) <= 0) return kHidSuccess;  // already in the loader, or absent
    return ApplicationExchange(kApCmdEnterLoader, kControlFill, kHidSwitchFailed, false, kNoVersion);
}

int HidLeaveLoader() {
    if (CountConnected(LoaderDevice()) <= 0) return kHidSuccess;  // already running the application
    return LoaderExchange(kLdrCmdRunAprom, kHidSwitchFailed, false, kNoVersion);
}

int HidEraseFlash() {
    // The loader answers once the erase is done; what it answers does not matter.
    return LoaderExchange(kLdrCmdEraseAll, kHidSwitchFailed, true, kNoVersion);
}

int HidResetMcu() {
    // Unlike the other steps, only an answer of exactly 1 counts as present here.
    if (CountConnected(ApplicationDevice()) == 1)
        return ApplicationExchange(kApCmdReset, kControlFill, kHidCommandFailed, false, kNoVersion);
    if (CountConnected(LoaderDevice()) == 1)
        return LoaderExchange(kLdrCmdReset, kHidCommandFailed, false, kNoVersion);
    return CloseResult(nullptr);
}
