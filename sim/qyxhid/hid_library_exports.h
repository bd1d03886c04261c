// What the stand-in "QyxHid.dll" exports, stated from its own side: five __stdcall functions
// under their plain names, vendor and product IDs, reserved values and lengths as ints, a
// device handle as wide as a pointer. tests/interfaces holds it against the updater's side.
#pragma once

#include <windows.h>

struct HidLibraryExports {
    int(__stdcall *IsDeviceConnect)(int vendorId, int productId, int reserved1, int reserved2);
    HANDLE(__stdcall *openMyDevice_Read)(int vendorId, int productId, int reserved1, int reserved2, int mode);
    int(__stdcall *WriteDeviceOutput)(HANDLE device, unsigned char *buffer, int length);
    int(__stdcall *ReadDeviceInput)(HANDLE device, unsigned char *buffer, int length);
    int(__stdcall *CloseDevice)(HANDLE device);
};

// The export names, in the order of the fields above.
constexpr const char *kHidLibraryExportNames[] = {"IsDeviceConnect", "openMyDevice_Read", "WriteDeviceOutput",
                                                  "ReadDeviceInput", "CloseDevice"};
static_assert(sizeof kHidLibraryExportNames / sizeof *kHidLibraryExportNames ==
                  sizeof(HidLibraryExports) / sizeof(void *),
              "one name per function");
