// What the stand-in "Wendil.dll" exports, stated from its own side: seventeen __stdcall entry
// points under their plain names, in the order the driver record holds them, and the access
// value the driver expects with its calls. tests/interfaces holds it against the updater's side.
#pragma once

#include <windows.h>
#include <oleauto.h>

constexpr DWORD kExpectedAccessValue = 0x5A51502E;

struct DriverLibraryExports {
    BYTE(__stdcall *DriverInitialization)(BSTR directory, BSTR instanceName, DWORD accessValue);
    BYTE(__stdcall *ReadIoPortByte)(WORD port);
    void(__stdcall *WriteIoPortByte)(WORD port, BYTE value);
    WORD(__stdcall *ReadIoPortWord)(WORD port);
    void(__stdcall *WriteIoPortWord)(WORD port, WORD value);
    BYTE(__stdcall *ReadCMOSByte)(BYTE index);
    void(__stdcall *WriteCMOSByte)(BYTE index, BYTE value);
    BOOL(__stdcall *Rdmsr)(DWORD index, DWORD *low, DWORD *high);
    BOOL(__stdcall *Wrmsr)(DWORD index, DWORD low, DWORD high);
    BOOL(__stdcall *ReadPhysicalMemory)(DWORD address, BYTE *buffer, DWORD length);
    BYTE(__stdcall *ReadPhysicalMemory_Byte)(DWORD address);
    void(__stdcall *WritePhysicalMemory_Byte)(DWORD address, BYTE value);
    DWORD(__stdcall *ReadPhysicalMemory_DWORD)(DWORD address);
    void(__stdcall *WritePhysicalMemory_DWORD)(DWORD address, DWORD value);
    BOOL(__stdcall *PCIConfigRead)(DWORD bus, DWORD device, DWORD function, DWORD offset, DWORD *value,
                                   DWORD accessValue);
    BOOL(__stdcall *PCIConfigWrite)(DWORD bus, DWORD device, DWORD function, DWORD offset, DWORD value,
                                    DWORD accessValue);
    void(__stdcall *DriverRelease)();
};

// The export names, in the order of the fields above.
constexpr const char *kDriverLibraryExportNames[] = {
    "DriverInitialization", "ReadIoPortByte",     "WriteIoPortByte",         "ReadIoPortWord",
    "WriteIoPortWord",      "ReadCMOSByte",       "WriteCMOSByte",           "Rdmsr",
    "Wrmsr",                "ReadPhysicalMemory", "ReadPhysicalMemory_Byte", "WritePhysicalMemory_Byte",
    "ReadPhysicalMemory_DWORD", "WritePhysicalMemory_DWORD", "PCIConfigRead", "PCIConfigWrite",
    "DriverRelease"};
static_assert(sizeof kDriverLibraryExportNames / sizeof *kDriverLibraryExportNames ==
                  sizeof(DriverLibraryExports) / sizeof(void *),
              "one name per entry point");
