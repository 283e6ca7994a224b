#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The tracker's GPS memory: 512 KiB in blocks of 256 bytes, each block holding ten record
// slots of 24 bytes at its start (the last 16 bytes of a block hold no record). A slot holds a
// record exactly when its check value is right; there is no index and no end marker.
inline constexpr std::size_t kGpsMemorySize = 524288;
inline constexpr std::size_t kGpsBlockSize = 256;
inline constexpr std::size_t kGpsRecordSize = 24;
inline constexpr int kGpsSlotsPerBlock = 10;

// One stored position, little-endian in its slot, followed by its CRC-16/X-25.
struct GpsRecord {
    std::int32_t latitude;   // NMEA ddmm.mmmm x 10,000; > 0 north, otherwise south
    std::int32_t longitude;  // NMEA dddmm.mmmm x 10,000; > 0 east, otherwise west
    std::int32_t time;       // UTC hhmmss
    std::int32_t date;       // UTC ddmmyy
    std::uint16_t speed;     // hundredths of a knot
    std::uint16_t course;    // hundredths of a degree
    std::uint16_t altitude;  // tenths of a metre

    bool operator==(const GpsRecord&) const = default;
};

using GpsSlot = std::array<std::uint8_t, kGpsRecordSize>;

// CRC-16/X-25 of `size` bytes.
std::uint16_t crc16X25(const std::uint8_t* data, std::size_t size);

// The record in a 24-byte slot, or nothing when the slot's check value is wrong (erased,
// empty or damaged slots).
std::optional<GpsRecord> decodeGpsSlot(const std::uint8_t* slot);

// The 24 bytes of a record with its check value, as the tracker stores it.
GpsSlot encodeGpsSlot(const GpsRecord& record);

// Calls `visit` with every valid record of a GPS memory image, in memory order; a trailing
// part shorter than a block is not read.
template <typename Visit>
void forEachGpsRecord(const std::uint8_t* memory, std::size_t size, Visit&& visit) {
    for (std::size_t block = 0; block + kGpsBlockSize <= size; block += kGpsBlockSize) {
        for (int slot = 0; slot < kGpsSlotsPerBlock; ++slot) {
            if (auto record = decodeGpsSlot(memory + block + slot * kGpsRecordSize)) {
                visit(*record);
            }
        }
    }
}
