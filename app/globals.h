// The process-wide state: every value that more than one function of the updater needs.
// One thread reads and writes all of it; nothing here is locked.
#pragma once

#include <windows.h>

#include "board/smbios.h"
#include "framework/cstring.h"

struct LedDeviceIds;
struct DriverLibrary;
struct SmbusLibrary;

constexpr int kSmbusCmdBlockShortLength = 17;  // command block sent on Intel hosts
constexpr int kSmbusCmdBlockLongLength = 31;   // command block sent on other hosts

// Start-up and identity of the board
extern HANDLE g_instanceMutex;
extern int g_boardCode;
extern int g_boardRevision;
extern BYTE g_boardQuirk;
extern RawSmbiosTable g_smbiosTable;

// Transport and USB controller
extern int g_useHidPath;
extern LedDeviceIds *g_deviceIds;
extern int g_apProductId;
extern CString g_lastErrorText;

// SMBus transport
extern CString g_programDir;
extern DriverLibrary *g_driverLibrary;
extern int g_driverReady;
extern SmbusLibrary *g_smbusLibrary;
extern int g_smbusReady;
extern BYTE g_smbusCmdBlockShort[kSmbusCmdBlockShortLength];
extern BYTE g_smbusCmdBlockLong[kSmbusCmdBlockLongLength];

// Version texts
extern CString g_toolVersion;
extern CString g_ledVersion;
extern CString g_loaderVersion;
extern CString g_imageLedVerF;
extern CString g_imageLedVerS;
extern CString g_imageLoaderVerF;
extern CString g_imageLoaderVerS;

// Lighting software and the end of a run
extern CString g_lightingWorkDir;
extern CString g_companionWorkDir;
extern BYTE g_restartAndExit;

// Scratch buffers
extern CString g_logText;
extern SYSTEMTIME g_logTime;
extern MSG g_pumpMsg;
