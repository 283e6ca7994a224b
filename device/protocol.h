#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/hid_transport.h"
#include "image/little_endian.h"

// The tracker's command reports: every request and every reply is 65 bytes, byte 0 the report
// number (always 0), byte 1 the command code, multi-byte fields little-endian. Everything the
// tracker stores moves in pages of 32 data bytes with a 16-bit page sum.

using Report = std::array<std::uint8_t, kReportSize>;

inline constexpr std::size_t kPageSize = 32;
using PageData = std::array<std::uint8_t, kPageSize>;

// Command codes (report byte 1 of a request). Every reply but the erase status echoes its code.
enum class Command : std::uint8_t {
    GpsEraseStatus = 0xF8,
    GpsMemoryErase = 0xF9,
    GpsPageRead = 0xFA,
    FirmwareVersionQuery = 0xFB,
    EepromPageRead = 0xFC,
    EepromPageWrite = 0xFD,
    FirmwarePageWrite = 0xFE,
};

// Erase status reply code meaning the GPS memory erase has finished.
inline constexpr std::uint8_t kEraseDone = 0xA9;

// Offsets within a report.
inline constexpr std::size_t kCodeOffset = 1;
inline constexpr std::size_t kPageIndexOffset = 2;  // u16
inline constexpr std::size_t kPageDataOffset = 4;   // 32 data bytes
inline constexpr std::size_t kPageSumOffset = 36;   // u16, sum of the 32 data bytes
inline constexpr std::size_t kVersionOffset = 2;    // u32, firmware version in hundredths

// Sizes of the tracker's memories in pages.
inline constexpr int kEepromPages = 256;     // 8 KiB configuration EEPROM
inline constexpr int kGpsPages = 16384;      // 512 KiB GPS memory
inline constexpr int kFirmwarePages = 3520;  // the largest image the program can hold, 110 KiB

// The page sum: the 32 data bytes added as unsigned values, modulo 65,536.
std::uint16_t pageSum(std::span<const std::uint8_t, kPageSize> page);
