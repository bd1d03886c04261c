#include "board/driver_library.h"

#include "app/globals.h"
#include "board/entry_point.h"
#include "update/smbus_command_set.h"

namespace {
constexpr wchar_t kSmbusLibraryFile[] = L"\\Corrant.dll";
constexpr wchar_t kSmbusMutexName[] = L"Global\\Access_SMBUS.HTP.Method";
constexpr wchar_t kSmbusRenesasMutexName[] = L"Global\\Access_SMBUS.Renesas.HTP.Method";
}  // namespace

// Every field is null before anything is loaded, so a name the library lacks stays null.
SmbusLibrary::SmbusLibrary(CString directory)
    : SMBusInitialization(nullptr), SMB_ByteRead(nullptr), SMB_ByteWrite(nullptr), SMB_BlockRead1(nullptr),
      SMB_BlockWrite1(nullptr), SMB_BlockRead2(nullptr), SMB_BlockWrite2(nullptr), SMB_BlockRead3(nullptr),
      SMB_BlockWrite3(nullptr), SMB_BlockRead(nullptr), SMBusGetAddress(nullptr), SMBusReload(nullptr),
      SMBusRelease(nullptr), initialized(0), module(nullptr), dllPath(directory + kSmbusLibraryFile) {
    module = LoadLibraryW(dllPath);
    if (module) {
        ResolveEntryPoint(module, "SMBusInitialization", SMBusInitialization);
        ResolveEntryPoint(module, "SMB_ByteRead", SMB_ByteRead);
        ResolveEntryPoint(module, "SMB_ByteWrite", SMB_ByteWrite);
        ResolveEntryPoint(module, "SMB_BlockRead1", SMB_BlockRead1);
        ResolveEntryPoint(module, "SMB_BlockWrite1", SMB_BlockWrite1);
        ResolveEntryPoint(module, "SMB_BlockRead2", SMB_BlockRead2);
        ResolveEntryPoint(module, "SMB_BlockWrite2", SMB_BlockWrite2);
        ResolveEntryPoint(module, "SMB_BlockRead3", SMB_BlockRead3);
        ResolveEntryPoint(module, "SMB_BlockWrite3", SMB_BlockWrite3);
        ResolveEntryPoint(module, "SMB_BlockRead", SMB_BlockRead);
        ResolveEntryPoint(module, "SMBusGetAddress", SMBusGetAddress);
        ResolveEntryPoint(module, "SMBusReload", SMBusReload);
        ResolveEntryPoint(module, "SMBusRelease", SMBusRelease);
    }
    // Other tools of the maker lock the bus with these; the program only makes sure they
    // exist, whether or not the library loaded, and never takes or closes them.
    CreateMutexW(nullptr, FALSE, kSmbusMutexName);
    CreateMutexW(nullptr, FALSE, kSmbusRenesasMutexName);
}

void SmbusReadBlock(BYTE *buffer256) {
    const SmbusLibrary *smbus = g_smbusLibrary;
    if (smbus && smbus->initialized && smbus->SMB_BlockRead3)
        smbus->SMB_BlockRead3(buffer256, kSmbLedAddress, kSmbCmdReadStatus);
}

BYTE SmbusReadByte(BYTE address, BYTE reg) {
    BYTE value = 0;
    const SmbusLibrary *smbus = g_smbusLibrary;
    if (smbus && smbus->initialized && smbus->SMB_ByteRead) smbus->SMB_ByteRead(&value, address, reg);
    return value;
}
