#include "update/smbus_command_set.h"

#include <cstring>

#include "app/globals.h"
#include "board/driver_library.h"

namespace {
constexpr BYTE kDummyReadRegister = 0x00;
constexpr BYTE kErasedRegisterValue = 0xFF;
constexpr BYTE kVersionShiftMark = 0xFF;

// Status block bytes that carry the loader's version or the checksum echo.
constexpr int kStatusEcho = 3;
constexpr int kStatusVerF = 4;
constexpr int kStatusVerS = 5;
constexpr int kStatusShiftedVerS = 6;

void WritePreamble(BYTE *block) {
    std::memcpy(block, &kSmbusPreambleDword, sizeof kSmbusPreambleDword);
    std::memcpy(block + 4, &kSmbusPreambleWord, sizeof kSmbusPreambleWord);
    block[6] = kSmbusPreambleByte;
}

// The block write entry point, or null while SMBus access is not usable.
SMB_BlockWrite3Fn BlockWrite() {
    const SmbusLibrary *smbus = g_smbusLibrary;
    return smbus && smbus->initialized ? smbus->SMB_BlockWrite3 : nullptr;
}
}  // namespace

void WriteSmbusCommandPreamble() {
    WritePreamble(g_smbusCmdBlockShort);
    WritePreamble(g_smbusCmdBlockLong);
}

void SendSmbusCommand(BYTE command, bool intelHost) {
    if (SMB_BlockWrite3Fn write = BlockWrite()) {
        if (intelHost)
            write(kSmbLedAddress, command, g_smbusCmdBlockShort, kSmbusCmdBlockShortLength);
        else
            write(kSmbLedAddress, command, g_smbusCmdBlockLong, kSmbusCmdBlockLongLength);
    }
}

void SendSmbusDataBlock(BYTE command, const BYTE *block, int length) {
    if (SMB_BlockWrite3Fn write = BlockWrite()) write(kSmbLedAddress, command, block, static_cast<DWORD>(length));
}

void SmbusDummyRead() { SmbusReadByte(kSmbDummyReadAddress, kDummyReadRegister); }

BYTE ReadLedVerF() {
    const BYTE first = SmbusReadByte(kSmbLedAddress, kSmbRegVerF);
    // One more look only: a second 0xFF is taken as the version.
    return first == kErasedRegisterValue ? SmbusReadByte(kSmbLedAddress, kSmbRegVerF) : first;
}

BYTE ReadLedVerS() { return SmbusReadByte(kSmbLedAddress, kSmbRegVerS); }

void DecodeLoaderVersion(const BYTE *status, bool intelHost, BYTE &verF, BYTE &verS) {
    if (intelHost) {
        verF = status[kStatusVerF];
        verS = status[kStatusVerS];
    } else if (status[kStatusVerS] == kVersionShiftMark) {
        verF = status[kStatusEcho];
        verS = status[kStatusVerF];
    } else if (status[kStatusVerF] == 0) {
        verF = status[kStatusVerS];
        verS = status[kStatusShiftedVerS];
    } else {
        verF = status[kStatusVerF];
        verS = status[kStatusVerS];
    }
}

BYTE DataBlockChecksum(const BYTE *block16) {
    unsigned sum = 0;
    for (int i = 0; i < kSmbusGroupSize; ++i) sum += block16[i];
    return static_cast<BYTE>(sum & 0xFF);
}
