// The five functions of the HID library, on the process's simulated controller. Built into
// "QyxHid.dll" (exported under their plain names) and into the in-process fake that test
// programs link in place of the library.
#include "sim/qyxhid/active_simulator.h"
#include "sim/qyxhid/hid_library_exports.h"

#ifdef QYXHID_STANDIN_DLL
#define HID_EXPORT extern "C" __declspec(dllexport)
#else
#define HID_EXPORT extern "C"
#endif

HID_EXPORT int __stdcall IsDeviceConnect(int vendorId, int productId, int reserved1, int reserved2) {
    int result = ActiveSimulator().IsDeviceConnect(vendorId, productId, reserved1, reserved2);
    AfterLibraryCall();
    return result;
}

HID_EXPORT HANDLE __stdcall openMyDevice_Read(int vendorId, int productId, int reserved1, int reserved2, int mode) {
    uintptr_t handle = ActiveSimulator().OpenDevice(vendorId, productId, reserved1, reserved2, mode);
    AfterLibraryCall();
    return reinterpret_cast<HANDLE>(handle);
}

HID_EXPORT int __stdcall WriteDeviceOutput(HANDLE device, unsigned char *buffer, int length) {
    int result = ActiveSimulator().WriteDeviceOutput(reinterpret_cast<uintptr_t>(device), buffer, length);
    AfterLibraryCall();
    return result;
}

HID_EXPORT int __stdcall ReadDeviceInput(HANDLE device, unsigned char *buffer, int length) {
    int result = ActiveSimulator().ReadDeviceInput(reinterpret_cast<uintptr_t>(device), buffer, length);
    AfterLibraryCall();
    return result;
}

HID_EXPORT int __stdcall CloseDevice(HANDLE device) {
    int result = ActiveSimulator().CloseDevice(reinterpret_cast<uintptr_t>(device));
    AfterLibraryCall();
    return result;
}

namespace {
// The definitions above are the functions the library states, in their order.
[[maybe_unused]] constexpr HidLibraryExports kDefinedExports = {IsDeviceConnect, openMyDevice_Read,
                                                                WriteDeviceOutput, ReadDeviceInput, CloseDevice};
}  // namespace
