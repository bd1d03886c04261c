// The short exchanges with the USB lighting controller. Each returns a HidResult.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr BYTE kApReportId = 0x01;
constexpr BYTE kApCmdEnterLoader = 0xA0;
constexpr BYTE kApCmdGetFwVersion = 0xB0;
constexpr BYTE kApCmdGetLoaderVersion = 0xB6;
constexpr BYTE kApCmdReset = 0xD0;

// How long the loader needs after HidEnterLoader before it answers; the step itself never
// waits, its callers do.
constexpr DWORD kLoaderStartWaitMs = 800;

constexpr BYTE kLoaderReportId = 0x00;
constexpr UINT32 kLdrCmdUpdateAprom = 0xA0;
constexpr UINT32 kLdrCmdEraseAll = 0xA3;
constexpr UINT32 kLdrCmdGetVersion = 0xA6;
constexpr UINT32 kLdrCmdRunAprom = 0xAB;
constexpr UINT32 kLdrCmdReset = 0xAD;

constexpr int kApReportLength = 64;
constexpr int kLoaderPacketLength = 65;

// 64-byte report to the application-mode device.
struct ApReport {
    BYTE reportId;
    BYTE command;
    BYTE fill[62];
};
static_assert(sizeof(ApReport) == kApReportLength, "ApReport is 64 bytes on the wire");

// 65-byte NuMicro ISP packet to the loader device; 32-bit fields are little-endian.
#pragma pack(push, 1)
struct LoaderPacket {
    BYTE reportId;
    UINT32 command;
    UINT32 packetNumber;
    BYTE payload[56];
};
#pragma pack(pop)
static_assert(sizeof(LoaderPacket) == kLoaderPacketLength, "LoaderPacket is 65 bytes on the wire");
static_assert(offsetof(LoaderPacket, command) == 1 && offsetof(LoaderPacket, packetNumber) == 5 &&
                  offsetof(LoaderPacket, payload) == 9,
              "LoaderPacket field offsets");

int HidGetFirmwareVersion(BYTE &verF, BYTE &verS);
int HidGetLoaderVersion(BYTE &verF, BYTE &verS);
int HidEnterLoader();
int HidLeaveLoader();
int HidEraseFlash();
int HidResetMcu();
