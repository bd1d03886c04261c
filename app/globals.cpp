#include "app/globals.h"

// Plain values: zero from load time, no constructors.
HANDLE g_instanceMutex;
int g_boardCode;
int g_boardRevision;
BYTE g_boardQuirk;
RawSmbiosTable g_smbiosTable;
int g_useHidPath;
LedDeviceIds *g_deviceIds;
int g_apProductId;
DriverLibrary *g_driverLibrary;
int g_driverReady;
SmbusLibrary *g_smbusLibrary;
int g_smbusReady;
BYTE g_smbusCmdBlockShort[kSmbusCmdBlockShortLength];
BYTE g_smbusCmdBlockLong[kSmbusCmdBlockLongLength];
BYTE g_restartAndExit;
SYSTEMTIME g_logTime;
MSG g_pumpMsg;

// The texts, constructed in this order and destroyed in the reverse one.
CString g_programDir;
CString g_imageLoaderVerF;
CString g_imageLoaderVerS;
CString g_imageLedVerF;
CString g_imageLedVerS;
CString g_logText;
CString g_ledVersion;
CString g_loaderVersion;
CString g_toolVersion;

namespace {
// Frees the SMBIOS copy at exit, between the two groups of texts.
struct SmbiosTableRelease {
    ~SmbiosTableRelease() {
        delete[] g_smbiosTable.data;
        g_smbiosTable.data = nullptr;
        g_smbiosTable.length = 0;
    }
} g_smbiosTableRelease;
}  // namespace

CString g_lastErrorText;
CString g_lightingWorkDir;
CString g_companionWorkDir;
