#include "sim/smbus/test_image.h"

#include <algorithm>
#include <cstring>

std::vector<BYTE> MakeSmbusTestImage(BYTE verF, BYTE verS, size_t size) {
    std::vector<BYTE> image(size);
    // Bytes below 0xF0 only: no group of sixteen 0xFF, which the Intel flow treats specially.
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<BYTE>((i * 7 + 3) % 0xF0);
    const size_t tagEnd = kSimVersionTagOffset + kSimVersionTagLength;
    if (size >= tagEnd + 2) {
        std::memcpy(&image[kSimVersionTagOffset], kSimVersionTag, kSimVersionTagLength);
        image[tagEnd] = verF;
        image[tagEnd + 1] = verS;
    }
    return image;
}

bool FindApplicationVersion(const std::vector<BYTE> &flash, BYTE &verF, BYTE &verS) {
    const auto tagBegin = reinterpret_cast<const BYTE *>(kSimVersionTag);
    const auto found = std::search(flash.begin(), flash.end(), tagBegin, tagBegin + kSimVersionTagLength);
    const size_t at = static_cast<size_t>(found - flash.begin()) + kSimVersionTagLength;
    if (found == flash.end() || at + 2 > flash.size()) return false;
    verF = flash[at];
    verS = flash[at + 1];
    return true;
}
