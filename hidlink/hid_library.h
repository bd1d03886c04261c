// The five functions of the USB HID library "QyxHid.dll" that the updater imports.
#pragma once

#include <windows.h>

extern "C" {
int __stdcall IsDeviceConnect(int vendorId, int productId, int reserved1, int reserved2);
HANDLE __stdcall openMyDevice_Read(int vendorId, int productId, int reserved1, int reserved2, int mode);
int __stdcall WriteDeviceOutput(HANDLE device, unsigned char *buffer, int length);
int __stdcall ReadDeviceInput(HANDLE device, unsigned char *buffer, int length);
int __stdcall CloseDevice(HANDLE device);
}
