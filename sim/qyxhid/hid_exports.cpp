// The five functions of the HID library, on the process's simulated controller.
#include "hidlink/hid_library.h"
#include "sim/qyxhid/active_simulator.h"

extern "C" {
int __stdcall IsDeviceConnect(int vendorId, int productId, int reserved1, int reserved2) {
    int result = ActiveSimulator().IsDeviceConnect(vendorId, productId, reserved1, reserved2);
    AfterLibraryCall();
    return result;
}

HANDLE __stdcall openMyDevice_Read(int vendorId, int productId, int reserved1, int reserved2, int mode) {
    uintptr_t handle = ActiveSimulator().OpenDevice(vendorId, productId, reserved1, reserved2, mode);
    AfterLibraryCall();
    return reinterpret_cast<HANDLE>(handle);
}

int __stdcall WriteDeviceOutput(HANDLE device, unsigned char *buffer, int length) {
    int result = ActiveSimulator().WriteDeviceOutput(reinterpret_cast<uintptr_t>(device), buffer, length);
    AfterLibraryCall();
    return result;
}

int __stdcall ReadDeviceInput(HANDLE device, unsigned char *buffer, int length) {
    int result = ActiveSimulator().ReadDeviceInput(reinterpret_cast<uintptr_t>(device), buffer, length);
    AfterLibraryCall();
    return result;
}

int __stdcall CloseDevice(HANDLE device) {
    int result = ActiveSimulator().CloseDevice(reinterpret_cast<uintptr_t>(device));
    AfterLibraryCall();
    return result;
}
}
