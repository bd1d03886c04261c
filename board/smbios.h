// Board identification from the raw SMBIOS table that WMI serves.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

struct RawSmbiosTable {
    BYTE majorVersion;
    BYTE minorVersion;
    BYTE *data;    // owned; released when the process ends
    INT32 length;  // bytes in data
};

// The first type-2 (baseboard) structure; references point into g_smbiosTable.data.
struct BaseboardInfo {
    BYTE type;
    BYTE length;
    WORD handle;
    BYTE manufacturer;
    BYTE product;
    BYTE version;
    BYTE serialNumber;
    BYTE assetTag;
    BYTE featureFlags;
    BYTE locationInChassis;
    WORD chassisHandle;
    BYTE boardType;
    BYTE containedObjectCount;
    const BYTE *containedObjectHandles[255];  // each refers to a 16-bit little-endian handle
    const char *manufacturerText;
    const char *productText;
    const char *versionText;
    const char *serialNumberText;
    const char *assetTagText;
    const char *locationInChassisText;
};

BOOL ReadSmbiosTable();
const BYTE *FindBaseboardStructure();
BOOL ReadBaseboardInfo(BaseboardInfo &info);
int GetBoardCode(CString productText);
