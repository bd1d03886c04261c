// What the stand-in "Corrant.dll" exports, stated from its own side: thirteen __stdcall entry
// points under their plain names, and the driver record its initialisation is handed, as it
// reads that record. tests/interfaces holds it against the updater's side.
#pragma once

#include <windows.h>

#include <cstddef>

#include "sim/smbus/driver_library_exports.h"

// The driver library's record as the updater keeps it: the seventeen entry points, the driver
// mutex and the one-byte "ready", each entry point and the handle as wide as a pointer.
struct DriverRecord {
    DriverLibraryExports entryPoints;
    HANDLE mutex;
    BYTE ready;
};
static_assert(offsetof(DriverRecord, mutex) == 17 * sizeof(void *), "the mutex follows the seventeen entry points");
static_assert(offsetof(DriverRecord, ready) == 18 * sizeof(void *), "ready follows the mutex");

// A host whose PCI host bridge (bus 0, device 0, function 0) carries this vendor is an Intel host.
constexpr WORD kIntelHostBridgeVendor = 0x8086;

// The record is the library's to read; `Record` lets the other side's record type be put in.
template <typename Record>
using SmbusInitializationFn = BYTE(__stdcall *)(Record *driver, DWORD reserved);

struct SmbusLibraryExports {
    SmbusInitializationFn<DriverRecord> SMBusInitialization;
    BOOL(__stdcall *SMB_ByteRead)(BYTE *value, BYTE address, BYTE reg);
    BOOL(__stdcall *SMB_ByteWrite)(BYTE address, BYTE reg, BYTE value);
    BOOL(__stdcall *SMB_BlockRead1)(BYTE *buffer, BYTE address, BYTE command);
    BOOL(__stdcall *SMB_BlockWrite1)(BYTE address, BYTE command, const BYTE *data, DWORD length);
    BOOL(__stdcall *SMB_BlockRead2)(BYTE *buffer, BYTE address, BYTE command);
    BOOL(__stdcall *SMB_BlockWrite2)(BYTE address, BYTE command, const BYTE *data, DWORD length);
    BOOL(__stdcall *SMB_BlockRead3)(BYTE *buffer, BYTE address, BYTE command);
    BOOL(__stdcall *SMB_BlockWrite3)(BYTE address, BYTE command, const BYTE *data, DWORD length);
    BOOL(__stdcall *SMB_BlockRead)(BYTE *buffer, BYTE address, BYTE command, DWORD length);
    DWORD(__stdcall *SMBusGetAddress)();
    BOOL(__stdcall *SMBusReload)();
    void(__stdcall *SMBusRelease)();
};

// The export names, in the order of the fields above.
constexpr const char *kSmbusLibraryExportNames[] = {
    "SMBusInitialization", "SMB_ByteRead",   "SMB_ByteWrite",   "SMB_BlockRead1", "SMB_BlockWrite1",
    "SMB_BlockRead2",      "SMB_BlockWrite2", "SMB_BlockRead3", "SMB_BlockWrite3", "SMB_BlockRead",
    "SMBusGetAddress",     "SMBusReload",    "SMBusRelease"};
static_assert(sizeof kSmbusLibraryExportNames / sizeof *kSmbusLibraryExportNames ==
                  sizeof(SmbusLibraryExports) / sizeof(void *),
              "one name per entry point");
