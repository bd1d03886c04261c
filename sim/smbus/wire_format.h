// The SMBus command set as the simulated controller understands it: its addresses, block
// commands, version registers, block lengths and the preamble its command blocks must start
// with. Stated here from the controller's side; tests/interfaces holds it against the updater's.
#pragma once

#include <windows.h>

namespace wire {

constexpr BYTE kLedAddress = 0x52;
constexpr BYTE kDummyReadAddress = 0xA0;

constexpr BYTE kEnterLoader = 0x20;
constexpr BYTE kWriteBlock = 0x21;
constexpr BYTE kRewriteBlock = 0x22;
constexpr BYTE kBeginUpdate = 0x23;
constexpr BYTE kRunApplication = 0x24;
constexpr BYTE kReadStatus = 0x25;

constexpr BYTE kRegVerF = 0xF2;
constexpr BYTE kRegVerS = 0xF3;

// Command and data blocks: 17 bytes from Intel hosts, 31 from others (zero after byte 16).
constexpr DWORD kIntelBlockLength = 17;
constexpr DWORD kOtherBlockLength = 31;
constexpr int kGroup = 16;  // image bytes in a data block; byte 16 is their sum

// Every command block starts with these seven bytes, zeros after them.
constexpr BYTE kPreamble[] = {0x51, 0x56, 0x4E, 0x54, 0x52, 0x56, 0x31};  // "QVNTRV1"
constexpr int kPreambleLength = static_cast<int>(sizeof kPreamble);

// A 0x25 answer fills this many bytes of the caller's buffer.
constexpr int kStatusBytes = 8;

}  // namespace wire
