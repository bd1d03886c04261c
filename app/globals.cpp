#include "app/globals.h"

#include "app/static_order.h"

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

// The texts, made after the application object in this order and destroyed in the reverse one.
CString g_programDir VANTOR_PROCESS_STATE_NEXT;
CString g_imageLoaderVerF VANTOR_PROCESS_STATE_NEXT;
CString g_imageLoaderVerS VANTOR_PROCESS_STATE_NEXT;
CString g_imageLedVerF VANTOR_PROCESS_STATE_NEXT;
CString g_imageLedVerS VANTOR_PROCESS_STATE_NEXT;
CString g_logText VANTOR_PROCESS_STATE_NEXT;
CString g_ledVersion VANTOR_PROCESS_STATE_NEXT;
CString g_loaderVersion VANTOR_PROCESS_STATE_NEXT;
CString g_toolVersion VANTOR_PROCESS_STATE_NEXT;

namespace {
// Frees the SMBIOS copy at exit, between the two groups of texts.
struct SmbiosTableRelease {
    ~SmbiosTableRelease() {
        delete[] g_smbiosTable.data;
        g_smbiosTable.data = nullptr;
        g_smbiosTable.length = 0;
    }
} g_smbiosTableRelease VANTOR_PROCESS_STATE_NEXT;
}  // namespace

CString g_lastErrorText VANTOR_PROCESS_STATE_NEXT;
CString g_lightingWorkDir VANTOR_PROCESS_STATE_NEXT;
CString g_companionWorkDir VANTOR_PROCESS_STATE_NEXT;
