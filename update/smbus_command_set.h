// The lighting controller's command set on the SMBus, as the update procedures use it.
#pragma once

#include <windows.h>

constexpr BYTE kSmbLedAddress = 0x52;
constexpr BYTE kSmbDummyReadAddress = 0xA0;

constexpr BYTE kSmbCmdEnterLoader = 0x20;
constexpr BYTE kSmbCmdWriteBlock = 0x21;
constexpr BYTE kSmbCmdRewriteBlock = 0x22;
constexpr BYTE kSmbCmdBeginUpdate = 0x23;
constexpr BYTE kSmbCmdRunApplication = 0x24;
constexpr BYTE kSmbCmdReadStatus = 0x25;

constexpr BYTE kSmbRegVerF = 0xF2;
constexpr BYTE kSmbRegVerS = 0xF3;

constexpr int kSmbusStatusBlockLength = 256;
constexpr int kSmbusDataBlockShortLength = 17;
constexpr int kSmbusDataBlockLongLength = 31;
constexpr int kSmbusGroupSize = 16;
constexpr int kSmbusUnsentTail = 512;

// The 7 bytes every command block starts with: one 32-bit, one 16-bit and one 8-bit store.
constexpr DWORD kSmbusPreambleDword = 0x544E5651;  // "QVNT" little-endian
constexpr WORD kSmbusPreambleWord = 0x5652;        // "RV"
constexpr BYTE kSmbusPreambleByte = 0x31;          // "1"

// Writes the preamble into bytes 0..6 of both process-wide command blocks.
void WriteSmbusCommandPreamble();

// Sends a command block (0x20, 0x23 or 0x24) for the host kind; nothing when not initialised.
void SendSmbusCommand(BYTE command, bool intelHost);
// Sends a data block of 17 (Intel) or 31 (other host) bytes; nothing when not initialised.
void SendSmbusDataBlock(BYTE command, const BYTE *block, int length);
// Other hosts: the byte read at 0xA0, register 0, discarded (no wait of its own).
void SmbusDummyRead();
// Reads 0xF2, once more when it gives 0xFF.
BYTE ReadLedVerF();
BYTE ReadLedVerS();
// Loader version bytes of a status block, by the host kind's rule.
void DecodeLoaderVersion(const BYTE *status, bool intelHost, BYTE &verF, BYTE &verS);
// Low 8 bits of the sum of the 16 image bytes of a data block.
BYTE DataBlockChecksum(const BYTE *block16);
