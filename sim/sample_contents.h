#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// What a simulated tracker holds when it comes out of the box: a configuration that a user has
// already edited, and a GPS memory with one recorded drive.

inline constexpr std::size_t kEepromSize = 8192;
inline constexpr std::size_t kGpsMemorySize = 524288;
inline constexpr std::size_t kGpsBlockSize = 256;
inline constexpr std::size_t kGpsRecordSize = 24;
inline constexpr int kGpsSlotsPerBlock = 10;

// One stored position, in the units of the tracker's GPS memory.
struct GpsFix {
    std::int32_t latitude;   // NMEA ddmm.mmmm times 10,000; > 0 north, <= 0 south
    std::int32_t longitude;  // NMEA dddmm.mmmm times 10,000; > 0 east, <= 0 west
    std::int32_t time;       // hhmmss, UTC
    std::int32_t date;       // ddmmyy, UTC
    std::uint16_t speed;     // hundredths of a knot
    std::uint16_t course;    // hundredths of a degree
    std::uint16_t altitude;  // tenths of a metre
};

// The 24 stored bytes of a fix, little-endian, ending in the CRC-16/X-25 of bytes 0 to 21.
std::array<std::uint8_t, kGpsRecordSize> gpsRecord(const GpsFix& fix);

// A valid configuration image with believable settings that differ from the start-up
// defaults.
std::array<std::uint8_t, kEepromSize> sampleConfigurationImage();

// The drive recorded in the sample GPS memory, in memory order.
std::vector<GpsFix> sampleTrack();

// 512 KiB of GPS memory holding sampleTrack() from block 0 on, ten records per block, and
// erased (0xFF) everywhere else.
std::vector<std::uint8_t> sampleGpsMemory();
