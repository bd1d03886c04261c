#include "board/driver_library.h"

#include "app/globals.h"
#include "board/entry_point.h"

namespace {
constexpr wchar_t kDriverLibraryFile[] = L"\\Wendil.dll";
constexpr wchar_t kDriverMutexName[] = L"Global\\Access_Driver.HTP.Method";
constexpr DWORD kHostBridgeBus = 0;
constexpr DWORD kHostBridgeDevice = 0;
constexpr DWORD kHostBridgeFunction = 0;
constexpr DWORD kVendorIdOffset = 0;
}  // namespace

// Every field is null before anything is loaded, so a name the library lacks stays null.
DriverLibrary::DriverLibrary(BSTR directory, BSTR instanceName)
    : DriverInitialization(nullptr), ReadIoPortByte(nullptr), WriteIoPortByte(nullptr),
      ReadIoPortWord(nullptr), WriteIoPortWord(nullptr), ReadCMOSByte(nullptr), WriteCMOSByte(nullptr),
      Rdmsr(nullptr), Wrmsr(nullptr), ReadPhysicalMemory(nullptr), ReadPhysicalMemory_Byte(nullptr),
      WritePhysicalMemory_Byte(nullptr), ReadPhysicalMemory_DWORD(nullptr), WritePhysicalMemory_DWORD(nullptr),
      PCIConfigRead(nullptr), PCIConfigWrite(nullptr), DriverRelease(nullptr), mutex(nullptr), ready(0) {
    const CString path = CString(directory) + kDriverLibraryFile;
    if (HMODULE module = LoadLibraryW(path)) {
        ResolveEntryPoint(module, "DriverInitialization", DriverInitialization);
        ResolveEntryPoint(module, "ReadIoPortByte", ReadIoPortByte);
        ResolveEntryPoint(module, "WriteIoPortByte", WriteIoPortByte);
        ResolveEntryPoint(module, "ReadIoPortWord", ReadIoPortWord);
        ResolveEntryPoint(module, "WriteIoPortWord", WriteIoPortWord);
        ResolveEntryPoint(module, "ReadCMOSByte", ReadCMOSByte);
        ResolveEntryPoint(module, "WriteCMOSByte", WriteCMOSByte);
        ResolveEntryPoint(module, "Rdmsr", Rdmsr);
        ResolveEntryPoint(module, "Wrmsr", Wrmsr);
        ResolveEntryPoint(module, "ReadPhysicalMemory", ReadPhysicalMemory);
        ResolveEntryPoint(module, "ReadPhysicalMemory_Byte", ReadPhysicalMemory_Byte);
        ResolveEntryPoint(module, "WritePhysicalMemory_Byte", WritePhysicalMemory_Byte);
        ResolveEntryPoint(module, "ReadPhysicalMemory_DWORD", ReadPhysicalMemory_DWORD);
        ResolveEntryPoint(module, "WritePhysicalMemory_DWORD", WritePhysicalMemory_DWORD);
        ResolveEntryPoint(module, "PCIConfigRead", PCIConfigRead);
        ResolveEntryPoint(module, "PCIConfigWrite", PCIConfigWrite);
        ResolveEntryPoint(module, "DriverRelease", DriverRelease);
        // A library without its initialisation cannot be made usable.
        if (DriverInitialization) ready = DriverInitialization(directory, instanceName, kDriverAccessValue);
    }
    // Created whether or not the library loaded; never closed.
    mutex = CreateMutexW(nullptr, FALSE, kDriverMutexName);
}

bool IsIntelHostBridge() {
    DWORD value = 0;
    const DriverLibrary *driver = g_driverLibrary;
    if (driver && driver->ready && driver->mutex) {
        WaitForSingleObject(driver->mutex, INFINITE);
        if (driver->PCIConfigRead)
            driver->PCIConfigRead(kHostBridgeBus, kHostBridgeDevice, kHostBridgeFunction, kVendorIdOffset, &value,
                                  kDriverAccessValue);
        ReleaseMutex(driver->mutex);
    }
    // The low half is the vendor ID; the device ID above it says nothing about the maker.
    return LOWORD(value) == kIntelVendorId;
}

void ReleaseDriverLibrary() {
    const DriverLibrary *driver = g_driverLibrary;
    if (driver && driver->ready && driver->DriverRelease) driver->DriverRelease();
}
