#include "update/hid_versions.h"

#include "app/globals.h"
#include "host/log.h"
#include "host/registry.h"

void RecordLoaderVersion(BYTE verF, BYTE verS) {
    g_logText.Format(L"Loder verf, vers: %X, %X", verF, verS);
    WriteLog(g_logText);
    g_loaderVersion = VersionPairText(verF, verS);
    WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Loder Version", g_loaderVersion);
}

void RecordLedVersion(BYTE verF, BYTE verS) {
    g_logText.Format(L"LED VerF : %X", verF);
    WriteLog(g_logText);
    g_logText.Format(L"LED VerS : %X", verS);
    WriteLog(g_logText);
    g_ledVersion = VersionPairText(verF, verS);
    WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"LED Version", g_ledVersion);
}
