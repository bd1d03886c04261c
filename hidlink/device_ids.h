// USB identities of the lighting controller and the result codes of its device steps.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

constexpr UINT32 kApVendorId = 0x2E19;
constexpr UINT32 kLoaderVendorId = 0x0416;
constexpr UINT32 kLoaderProductId = 0x3F00;
constexpr int kQuirkBoardCode = 0x2C52;
constexpr int kFallbackApProductId = 0x51C3;
constexpr int kHidBoardCodes[] = {0x2C41, 0x2C47, 0x2C4D, 0x2C52, 0x2C58, 0x2C63,
                                  0x2C6E, 0x2C79, 0x2C84, 0x2C8F, 0x2C9A};

bool IsHidBoardCode(int boardCode);

struct LedDeviceIds {
    UINT32 apVendorId;
    UINT32 loaderVendorId;
    UINT32 loaderProductId;
    UINT32 spareVendorId;
    UINT32 spareProductId;

    // Fills the record and resolves g_apProductId from g_boardCode.
    LedDeviceIds();
    // flag = 1 when the loader device is present, else 0.
    void DetectBootMode(BYTE &flag);
};

enum HidResult : int {
    kHidUnknownError = 0,
    kHidSuccess = 1,
    kHidNoDevice = 2,
    kHidOpenFailed = 3,
    kHidCloseFailed = 4,
    kHidNotOpen = 5,
    kHidSearchFailed = 6,
    kHidSwitchFailed = 7,
    kHidCommandFailed = 8,
    kHidImageFailed = 9,
    kHidDataFailed = 10,
};

CString GetResultText(int code);
