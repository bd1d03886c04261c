// Firmware images that the simulated controller understands, for tests and demos.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

// The tag the simulated application's version follows (VerF, VerS) in its flash.
constexpr char kSimVersionTag[] = "VNTRFW";
constexpr size_t kSimVersionTagLength = sizeof kSimVersionTag - 1;
constexpr size_t kSimVersionTagOffset = 16;

// A firmware image whose application reports verF.verS under the simulator's version rule:
// the tag "VNTRFW" followed by VerF and VerS at offset 16, other bytes a pattern without
// 16-byte groups of 0xFF. `size` counts the whole file, the 512 unsent tail bytes included.
std::vector<BYTE> MakeSmbusTestImage(BYTE verF, BYTE verS, size_t size);

// The application's version in a flash, by the rule above; false when there is no application.
bool FindApplicationVersion(const std::vector<BYTE> &flash, BYTE &verF, BYTE &verS);
