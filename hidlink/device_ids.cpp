#include "hidlink/device_ids.h"

#include <algorithm>
#include <iterator>

#include "app/globals.h"
#include "hidlink/hid_library.h"

bool IsHidBoardCode(int boardCode) {
    return std::find(std::begin(kHidBoardCodes), std::end(kHidBoardCodes), boardCode) != std::end(kHidBoardCodes);
}

LedDeviceIds::LedDeviceIds()
    : apVendorId(kApVendorId),
      loaderVendorId(kLoaderVendorId),
      loaderProductId(kLoaderProductId),
      spareVendorId(0),
      spareProductId(0) {
    if (g_boardCode == kQuirkBoardCode) {
        // This board's controller came with two product IDs; a running loader hides which one,
        // so the ID is left as it is until the application firmware shows up again.
        if (IsDeviceConnect(loaderVendorId & 0xFFFF, loaderProductId & 0xFFFF, 0, 0) > 0) return;
        // The probe's handle is deliberately left open.
        HANDLE probe = openMyDevice_Read(apVendorId & 0xFFFF, kQuirkBoardCode, 0, 0, 1);
        g_apProductId = probe ? kQuirkBoardCode : kFallbackApProductId;
    } else if (IsHidBoardCode(g_boardCode)) {
        g_apProductId = g_boardCode;
    }
}

CString GetResultText(int code) {
    static const wchar_t *const kTexts[] = {
        L"Unknow error.",          // kHidUnknownError
        L"Success.",               // kHidSuccess
        L"No device connected.",   // kHidNoDevice
        L"Open device fail.",      // kHidOpenFailed
        L"Close device fail.",     // kHidCloseFailed
        L"Device is not open.",    // kHidNotOpen
        L"Search device error.",   // kHidSearchFailed
        L"Switch to LDROM fail.",  // kHidSwitchFailed
        L"Send command fail.",     // kHidCommandFailed
        L"Get bin file fail.",     // kHidImageFailed
        L"Send data fail.",        // kHidDataFailed
    };
    if (code < 0 || code >= static_cast<int>(std::size(kTexts))) return CString(L"Unknow Error.");
    return CString(kTexts[code]);
}
