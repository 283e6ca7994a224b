#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "image/little_endian.h"

// The configuration image: the content of the tracker's configuration EEPROM, 8,192 bytes
// moved as 256 pages of 32 bytes. Only offsets 0 to 1,263 carry fields (see layout.h);
// the rest is always zero.
inline constexpr std::size_t kImageSize = 8192;
inline constexpr std::size_t kImagePageSize = 32;
inline constexpr std::size_t kImagePages = kImageSize / kImagePageSize;
inline constexpr std::size_t kImageFieldsEnd = 1264;  // first byte after the fields

// ReadImage and WriteImage of the main window are each one of these.
using ConfigImage = std::array<std::uint8_t, kImageSize>;

// The image checksum: the sum of the unsigned bytes at offsets 4 to 1,263.
std::uint32_t imageChecksum(const ConfigImage& image);

// True when offsets 0 to 3 hold the image checksum and offsets 1,259 to 1,261 the end marker
// "END". Changes nothing.
bool CheckImage(const ConfigImage& image);
