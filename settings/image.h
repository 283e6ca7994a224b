#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The configuration image: the content of the tracker's configuration EEPROM, 8,192 bytes
// moved as 256 pages of 32 bytes. Only offsets 0 to 1,263 carry fields (see image_layout.h);
// the rest is always zero.
inline constexpr std::size_t kImageSize = 8192;
inline constexpr std::size_t kImagePageSize = 32;
inline constexpr std::size_t kImagePages = kImageSize / kImagePageSize;
inline constexpr std::size_t kImageFieldsEnd = 1264;  // first byte after the fields

// ReadImage and WriteImage of the main window are each one of these.
using ConfigImage = std::array<std::uint8_t, kImageSize>;

// The configuration version this program reads and writes.
inline constexpr std::string_view ConfigVersionText = "v1.07";

// Unsigned little-endian numbers inside the image.
inline std::uint16_t readU16(const ConfigImage& image, std::size_t offset) {
    return static_cast<std::uint16_t>(image[offset] | (image[offset + 1] << 8));
}
inline std::uint32_t readU32(const ConfigImage& image, std::size_t offset) {
    return static_cast<std::uint32_t>(image[offset]) |
           static_cast<std::uint32_t>(image[offset + 1]) << 8 |
           static_cast<std::uint32_t>(image[offset + 2]) << 16 |
           static_cast<std::uint32_t>(image[offset + 3]) << 24;
}
inline void writeU16(ConfigImage& image, std::size_t offset, std::uint16_t value) {
    image[offset] = static_cast<std::uint8_t>(value);
    image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline void writeU32(ConfigImage& image, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// The image checksum: the sum of the unsigned bytes at offsets 4 to 1,263.
std::uint32_t imageChecksum(const ConfigImage& image);

// True when offsets 0 to 3 hold the image checksum and offsets 1,259 to 1,261 the end marker
// "END". Changes nothing.
bool CheckImage(const ConfigImage& image);
