// Entry points of the driver library "\Wendil.dll" and the SMBus library "\Corrant.dll",
// both loaded at run time and looked up by their plain names. All are __stdcall.
#pragma once

#include <windows.h>
#include <oleauto.h>

struct DriverLibrary;

constexpr DWORD kDriverAccessValue = 0x5A51502E;

// Driver library: the three that are called, then the fourteen that are only resolved.
using DriverInitializationFn = BYTE(__stdcall *)(BSTR directory, BSTR instanceName, DWORD accessValue);
using PCIConfigReadFn = BOOL(__stdcall *)(DWORD bus, DWORD device, DWORD function, DWORD offset,
                                          DWORD *value, DWORD accessValue);
using DriverReleaseFn = void(__stdcall *)();
using ReadIoPortByteFn = BYTE(__stdcall *)(WORD port);
using WriteIoPortByteFn = void(__stdcall *)(WORD port, BYTE value);
using ReadIoPortWordFn = WORD(__stdcall *)(WORD port);
using WriteIoPortWordFn = void(__stdcall *)(WORD port, WORD value);
using ReadCMOSByteFn = BYTE(__stdcall *)(BYTE index);
using WriteCMOSByteFn = void(__stdcall *)(BYTE index, BYTE value);
using RdmsrFn = BOOL(__stdcall *)(DWORD index, DWORD *low, DWORD *high);
using WrmsrFn = BOOL(__stdcall *)(DWORD index, DWORD low, DWORD high);
using ReadPhysicalMemoryFn = BOOL(__stdcall *)(DWORD address, BYTE *buffer, DWORD length);
using ReadPhysicalMemoryByteFn = BYTE(__stdcall *)(DWORD address);
using WritePhysicalMemoryByteFn = void(__stdcall *)(DWORD address, BYTE value);
using ReadPhysicalMemoryDwordFn = DWORD(__stdcall *)(DWORD address);
using WritePhysicalMemoryDwordFn = void(__stdcall *)(DWORD address, DWORD value);
using PCIConfigWriteFn = BOOL(__stdcall *)(DWORD bus, DWORD device, DWORD function, DWORD offset,
                                           DWORD value, DWORD accessValue);

// SMBus library: four that are called, nine only resolved.
using SMBusInitializationFn = BYTE(__stdcall *)(DriverLibrary *driver, DWORD reserved);
using SMB_ByteReadFn = BOOL(__stdcall *)(BYTE *value, BYTE address, BYTE reg);
using SMB_BlockRead3Fn = BOOL(__stdcall *)(BYTE *buffer, BYTE address, BYTE command);
using SMB_BlockWrite3Fn = BOOL(__stdcall *)(BYTE address, BYTE command, const BYTE *data, DWORD length);
using SMB_ByteWriteFn = BOOL(__stdcall *)(BYTE address, BYTE reg, BYTE value);
using SMB_BlockRead1Fn = BOOL(__stdcall *)(BYTE *buffer, BYTE address, BYTE command);
using SMB_BlockWrite1Fn = BOOL(__stdcall *)(BYTE address, BYTE command, const BYTE *data, DWORD length);
using SMB_BlockRead2Fn = BOOL(__stdcall *)(BYTE *buffer, BYTE address, BYTE command);
using SMB_BlockWrite2Fn = BOOL(__stdcall *)(BYTE address, BYTE command, const BYTE *data, DWORD length);
using SMB_BlockReadFn = BOOL(__stdcall *)(BYTE *buffer, BYTE address, BYTE command, DWORD length);
using SMBusGetAddressFn = DWORD(__stdcall *)();
using SMBusReloadFn = BOOL(__stdcall *)();
using SMBusReleaseFn = void(__stdcall *)();
