// The program's records of the two run-time loaded libraries, and the small functions on them.
#pragma once

#include <windows.h>

#include <cstddef>

#include "board/library_interface.h"
#include "framework/cstring.h"

// Handed by address to SMBusInitialization: its layout is an interface and must not change.
struct DriverLibrary {
    DriverInitializationFn DriverInitialization;
    ReadIoPortByteFn ReadIoPortByte;
    WriteIoPortByteFn WriteIoPortByte;
    ReadIoPortWordFn ReadIoPortWord;
    WriteIoPortWordFn WriteIoPortWord;
    ReadCMOSByteFn ReadCMOSByte;
    WriteCMOSByteFn WriteCMOSByte;
    RdmsrFn Rdmsr;
    WrmsrFn Wrmsr;
    ReadPhysicalMemoryFn ReadPhysicalMemory;
    ReadPhysicalMemoryByteFn ReadPhysicalMemory_Byte;
    WritePhysicalMemoryByteFn WritePhysicalMemory_Byte;
    ReadPhysicalMemoryDwordFn ReadPhysicalMemory_DWORD;
    WritePhysicalMemoryDwordFn WritePhysicalMemory_DWORD;
    PCIConfigReadFn PCIConfigRead;
    PCIConfigWriteFn PCIConfigWrite;
    DriverReleaseFn DriverRelease;
    HANDLE mutex;
    BYTE ready;

    DriverLibrary(BSTR directory, BSTR instanceName);
};
// The record is a 32-bit interface; the 64-bit test build holds the same fields at pointer width.
#ifdef _WIN64
constexpr size_t kDriverRecordSlot = 8;
#else
constexpr size_t kDriverRecordSlot = 4;
#endif
static_assert(sizeof(void *) == kDriverRecordSlot, "one slot per entry point");
static_assert(offsetof(DriverLibrary, PCIConfigRead) == 14 * kDriverRecordSlot, "PCIConfigRead is the 15th entry");
static_assert(offsetof(DriverLibrary, DriverRelease) == 16 * kDriverRecordSlot, "DriverRelease is the 17th entry");
static_assert(offsetof(DriverLibrary, mutex) == 17 * kDriverRecordSlot, "mutex follows the seventeen entry points");
static_assert(offsetof(DriverLibrary, ready) == 18 * kDriverRecordSlot, "ready follows the mutex");

struct SmbusLibrary {
    SMBusInitializationFn SMBusInitialization;
    SMB_ByteReadFn SMB_ByteRead;
    SMB_ByteWriteFn SMB_ByteWrite;
    SMB_BlockRead1Fn SMB_BlockRead1;
    SMB_BlockWrite1Fn SMB_BlockWrite1;
    SMB_BlockRead2Fn SMB_BlockRead2;
    SMB_BlockWrite2Fn SMB_BlockWrite2;
    SMB_BlockRead3Fn SMB_BlockRead3;
    SMB_BlockWrite3Fn SMB_BlockWrite3;
    SMB_BlockReadFn SMB_BlockRead;
    SMBusGetAddressFn SMBusGetAddress;
    SMBusReloadFn SMBusReload;
    SMBusReleaseFn SMBusRelease;
    BYTE initialized;
    HMODULE module;
    CString dllPath;

    explicit SmbusLibrary(CString directory);
};

constexpr WORD kIntelVendorId = 0x8086;

bool IsIntelHostBridge();
void ReleaseDriverLibrary();
void SmbusReadBlock(BYTE *buffer256);
BYTE SmbusReadByte(BYTE address, BYTE reg);
