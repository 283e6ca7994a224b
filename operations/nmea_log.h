#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <optional>

// One position as the tracker stores it in its GPS memory: 24 bytes, little-endian.
struct GpsRecord {
    std::int32_t latitude;   // NMEA ddmm.mmmm x 10,000; > 0 north, otherwise south
    std::int32_t longitude;  // NMEA dddmm.mmmm x 10,000; > 0 east, otherwise west
    std::int32_t time;       // UTC hhmmss
    std::int32_t date;       // UTC ddmmyy
    std::uint16_t speed;     // hundredths of a knot
    std::uint16_t course;    // hundredths of a degree
    std::uint16_t altitude;  // tenths of a metre
};

inline constexpr std::size_t kGpsRecordSize = 24;
inline constexpr std::size_t kGpsBlockSize = 256;
inline constexpr int kGpsSlotsPerBlock = 10;

// CRC-16/X-25 of `size` bytes.
std::uint16_t crc16X25(const std::uint8_t* data, std::size_t size);

// The record in a 24-byte slot, or nothing when the slot's check value is wrong (erased,
// empty or damaged slots).
std::optional<GpsRecord> decodeGpsSlot(const std::uint8_t* slot);

// The 24 bytes of a record with its check value (the form the tracker stores).
QByteArray encodeGpsSlot(const GpsRecord& record);

// Appends one sentence: `text` runs from "$" to "*"; the checksum (XOR of the characters
// between them, two upper-case hex digits) and CR LF follow.
void appendNmeaLine(QByteArray& out, QByteArrayView text);

// The $GPRMC and $GPGGA lines of one record, each ending in CR LF.
QByteArray nmeaSentences(const GpsRecord& record);

// Calls `visit` with every valid record of a GPS memory image, in memory order: blocks of
// 256 bytes, ten 24-byte slots each; the last 16 bytes of a block are never looked at, nor
// is a trailing part shorter than a block.
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

// The whole NMEA log of a GPS memory image: two lines per valid record, nothing else.
QByteArray nmeaLog(const std::uint8_t* memory, std::size_t size);
