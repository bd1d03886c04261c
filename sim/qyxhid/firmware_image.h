// How the simulated controller's application firmware knows its own version: the image carries
// the ASCII marker "VTRFWVER" followed by two bytes, VerF and VerS (as an image named
// LED_v1A03.bin carries 0x1A, 0x03). Generators of test images embed it anywhere in the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr char kFirmwareVersionMarker[] = "VTRFWVER";
constexpr size_t kFirmwareVersionMarkerLength = sizeof(kFirmwareVersionMarker) - 1;

// The version byte the running firmware reports (reply byte 2): VerF << 4 | VerS, each
// truncated to its low nibble, as the wire carries nibbles. 0 when the image has no marker.
uint8_t FirmwareVersionByte(const std::vector<uint8_t> &image);

// The product ID the application firmware enumerates under can come with the image too: the
// ASCII marker "VTRFWPID" followed by the ID, low byte first. Without it the controller keeps
// the product ID it was set up with.
constexpr char kFirmwareProductIdMarker[] = "VTRFWPID";
constexpr size_t kFirmwareProductIdMarkerLength = sizeof(kFirmwareProductIdMarker) - 1;

// False when the image carries no product ID.
bool FirmwareProductId(const std::vector<uint8_t> &image, int &productId);

// A small image carrying the marker, for controllers set up without an image file.
std::vector<uint8_t> MakeFirmwareImage(uint8_t verF, uint8_t verS);
