#include "update/smbus_versions.h"

#include <array>

#include "app/globals.h"
#include "board/driver_library.h"
#include "host/log.h"
#include "host/registry.h"
#include "host/wait.h"
#include "update/smbus_command_set.h"

namespace {
constexpr DWORD kDummyReadWaitMs = 500;
constexpr DWORD kResumeWaitMs = 500;
constexpr DWORD kEnterLoaderWaitMs = 4500;
}  // namespace

void ResumeForVersionRead(bool intelHost) {
    if (!intelHost) {
        SmbusDummyRead();
        WaitMs(kDummyReadWaitMs);
    }
    SendSmbusCommand(kSmbCmdRunApplication, intelHost);
    WaitMs(kResumeWaitMs);
}

void EnterLoaderAndWait(bool intelHost) {
    SendSmbusCommand(kSmbCmdEnterLoader, intelHost);
    WaitMs(kEnterLoaderWaitMs);
}

void ReadAndRecordLedVersion(BYTE &verF, BYTE &verS) {
    verF = ReadLedVerF();
    g_logText.Format(L"LED VerF : %X", verF);
    WriteLog(g_logText);
    verS = ReadLedVerS();
    g_logText.Format(L"LED VerS : %X", verS);
    WriteLog(g_logText);
    g_ledVersion.Format(L"%02X%02X", verF, verS);
    WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"LED Version", g_ledVersion);
}

void ReadAndRecordLoaderVersion(bool intelHost, BYTE &verF, BYTE &verS) {
    std::array<BYTE, kSmbusStatusBlockLength> status{};
    SmbusReadBlock(status.data());
    DecodeLoaderVersion(status.data(), intelHost, verF, verS);
    g_logText.Format(L"Loder verf, vers: %X, %X", verF, verS);
    WriteLog(g_logText);
    g_loaderVersion.Format(L"%02X%02X", verF, verS);
    WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Loder Version", g_loaderVersion);
}
