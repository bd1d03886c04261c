#include "sim/qyxhid/firmware_image.h"

#include <algorithm>

uint8_t FirmwareVersionByte(const std::vector<uint8_t> &image) {
    const auto markerEnd = kFirmwareVersionMarker + kFirmwareVersionMarkerLength;
    auto found = std::search(image.begin(), image.end(), kFirmwareVersionMarker, markerEnd);
    size_t at = static_cast<size_t>(found - image.begin()) + kFirmwareVersionMarkerLength;
    if (found == image.end() || at + 2 > image.size()) return 0;
    return static_cast<uint8_t>(((image[at] & 0x0F) << 4) | (image[at + 1] & 0x0F));
}

bool FirmwareProductId(const std::vector<uint8_t> &image, int &productId) {
    const auto markerEnd = kFirmwareProductIdMarker + kFirmwareProductIdMarkerLength;
    auto found = std::search(image.begin(), image.end(), kFirmwareProductIdMarker, markerEnd);
    size_t at = static_cast<size_t>(found - image.begin()) + kFirmwareProductIdMarkerLength;
    if (found == image.end() || at + 2 > image.size()) return false;
    productId = image[at] | image[at + 1] << 8;
    return true;
}

std::vector<uint8_t> MakeFirmwareImage(uint8_t verF, uint8_t verS) {
    // A vector table's worth of code-like bytes, then the marker, then padding.
    std::vector<uint8_t> image(64);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
    image.insert(image.end(), kFirmwareVersionMarker, kFirmwareVersionMarker + kFirmwareVersionMarkerLength);
    image.push_back(verF);
    image.push_back(verS);
    image.resize(image.size() + 54, 0x00);
    return image;
}
