#include "sim/sample_contents.h"

#include <QByteArrayView>
#include <QtGlobal>
#include <cassert>
#include <cmath>
#include <numbers>
#include <string_view>

#include "device/protocol.h"

// The configuration EEPROM of a tracker set up for a car: SmartBeaconing with Base-91
// positions, KISS on the first serial port, GPS on the second, a battery voltage and a
// thermometer on telemetry. Every field is written at its place in the image, so this one
// function is also a readable map of the image:
//   0..3   u32 sum of bytes 4..1263      4..5   u16 stamp      6..13  "v1.07" and zeros
//   14..   settings, each field below with its offset
//   1259   "END"                         1264.. zero to the end of the 8 KiB
ConfigImage sampleConfigurationImage() {
    ConfigImage image{};  // reserved bytes stay zero
    auto u8 = [&](std::size_t at, int value) { image[at] = static_cast<std::uint8_t>(value); };
    auto u16 = [&](std::size_t at, int value) {
        writeU16(image, at, static_cast<std::uint16_t>(value));
    };
    auto u32 = [&](std::size_t at, std::uint32_t value) { writeU32(image, at, value); };
    // Text ending in a zero inside a field of `width` bytes.
    auto text = [&](std::size_t at, std::size_t width, std::string_view value) {
        assert(value.size() < width);
        (void)width;
        std::copy(value.begin(), value.end(), image.begin() + at);
    };
    // Exactly the characters, no terminator (the zero after the field is its own byte).
    auto fixed = [&](std::size_t at, std::string_view value) {
        std::copy(value.begin(), value.end(), image.begin() + at);
    };
    // Address field: call in upper case padded with spaces to 6, then '0' + SSID.
    auto address = [&](std::size_t at, std::string_view call, int ssid) {
        assert(call.size() <= 6);
        for (std::size_t i = 0; i < 6; ++i) {
            image[at + i] = i < call.size() ? static_cast<std::uint8_t>(call[i]) : ' ';
        }
        image[at + 6] = static_cast<std::uint8_t>('0' + ssid);
    };

    // Header: stamp and configuration version.
    u16(4, 4711);
    text(6, 8, "v1.07");

    // Radio and station.
    address(14, "SQ3VTM", 9);
    u32(24, 300);            // Txdelay [ms]
    u32(28, 500);            // Quiettime [ms]
    u8(32, 2);               // Quiettime_randomize: +/- 32 ms
    fixed(33, "5213.50N");   // Latitude
    fixed(42, "02100.45E");  // Longitude
    u8(52, 1);               // Ptt: 2k2 resistor
    u8(53, 3);               // Squelch: 4
    u8(54, 1);               // Busydetect: digital detect
    u8(55, 1);               // Consecutive_packets: separately

    // Ports.
    u8(56, 5);  // Serial1_mode: KISS
    u8(57, 4);  // Serial2_mode: GPS
    u8(58, 2);  // RS485_mode: DS18B20 thermometer
    u8(59, 3);  // GPS_baudrate: 9600
    u8(60, 4);  // Console_baudrate: 115200
    u8(61, 1);  // Kiss_baudrate: 19200
    u8(62, 1);  // Kiss_direction: both
    u8(63, 1);  // Kiss_check: Yes
    u8(64, 1);  // Gpspassthrough_baudrate: 9600

    // Position reports.
    u8(66, 2);     // Position_report_mode: SmartBeaconing
    u16(68, 120);  // Position_report_interval [s]
    u16(70, 900);  // Position_fixlost_interval [s]
    u16(72, 5);    // Position_store_interval [s]
    u16(74, 5);    // Position_store_minspeed [km/h]
    u8(76, 2);     // Position_report_encoding: Base-91
    u8(77, 1);     // Position_time: Hour, min, sec
    address(78, "WIDE1", 1);
    address(85, "WIDE2", 2);
    address(92, "", 0);
    u8(99, '>');   // Position_symbol_code: car
    u8(100, '/');  // Position_symbol_table: primary
    text(101, 41, "Mobile, QRV 144.800 MHz");
    u8(142, 7 - 1);  // Mice_message: En Route (stored as 7 - index)
    u8(143, 1);      // Position_coursespeed: Yes
    u8(144, 1);      // Position_altitude: Yes
    u8(145, 0);      // Position_reportonfixlost: No
    u16(146, 25);    // SmartBeaconing: min turn angle [deg]
    u16(148, 255);   // turn slope
    u16(150, 10);    // min turn time [s]
    u16(152, 5);     // slow speed [km/h]
    u16(154, 1200);  // slow period [s]
    u16(156, 80);    // fast speed [km/h]
    u16(158, 120);   // fast period [s]

    // Digipeater: on, answering WIDE1-1; WIDE2-2 set up but not enabled.
    u32(160, 1);   // Digion: Yes
    u32(164, 30);  // Floodtimeout [s]
    for (int k = 0; k < 8; ++k) {
        const std::size_t block = 168 + 9 * static_cast<std::size_t>(k);
        if (k == 0) {
            address(block, "WIDE1", 1);
        } else if (k == 1) {
            address(block, "WIDE2", 2);
        } else {
            address(block, "", 0);
        }
        u8(block + 7, k < 2 ? 1 : 0);   // traceable
        u8(block + 8, k == 0 ? 1 : 0);  // enable: Always for WIDE1-1, Never otherwise
    }

    // Beacons: an object beacon when the GPS has a fix, a rarer status, two unused.
    struct Beacon {
        std::string_view path2;
        int rate;
        int enable;
        std::string_view message;
    };
    const Beacon beacons[4] = {
        {"WIDE2", 30, 2, ">Veltromark on the road, 73"},
        {"", 60, 1, ">QRV 144.800 MHz FM"},
        {"WIDE2", 60, 0, ""},
        {"WIDE2", 60, 0, ""},
    };
    for (int k = 0; k < 4; ++k) {
        const std::size_t block = 240 + 128 * static_cast<std::size_t>(k);
        const Beacon& b = beacons[k];
        address(block, "APVQ05", 0);
        address(block + 7, "WIDE1", 1);
        address(block + 14, b.path2, b.path2.empty() ? 0 : 1);
        u32(block + 24, static_cast<std::uint32_t>(b.rate));  // [min]
        u8(block + 28, b.enable);  // Never / Always / GPS fixed / GPS not fixed
        text(block + 29, 99, b.message);
    }

    // Weather reports: no station attached.
    u8(752, 0);  // Weather_stationtype: None
    address(753, "APVQ05", 0);
    address(760, "WIDE2", 1);
    address(767, "", 0);
    u32(776, 10);  // Weather_txrate [min]
    u8(780, 0);    // Weather_enable: Never
    u8(781, 1);    // Weather_position: GPS time/position
    text(782, 34, "Car WX");

    // Telemetry.
    text(816, 24, "Car battery and temp");  // Teletitle
    u8(840, 1);                             // Tele_enable: Enabled
    u8(841, 0);                             // Telemodule_enable: Disabled
    u8(842, 0);                             // Bitsmodule_enable: Disabled
    address(843, "APVQ05", 0);
    address(850, "WIDE2", 1);
    address(857, "", 0);
    u16(864, 15);  // Teledata_txrate_rf [min]
    address(868, "APVQ05", 0);
    address(875, "WIDE2", 1);
    address(882, "", 0);
    u16(890, 120);  // Teleparams_txrate_rf [min]

    // Analog channels: 45-byte blocks (source, name, units, A, B, C, average).
    struct Analog {
        int source;
        std::string_view name, units, a, b, c;
        int average;
    };
    const Analog analog[5] = {
        {11, "Battery", "Volt", "0", "0.075", "0", 1},  // (I) Input voltage
        {12, "Temp", "degC", "0", "0.0625", "0", 1},    // (E) Temperature (DS18B20)
        {0, "", "", "0", "0", "0", 0},
        {0, "", "", "0", "0", "0", 0},
        {0, "", "", "0", "0", "0", 0},
    };
    for (int k = 0; k < 5; ++k) {
        const std::size_t block = 894 + 45 * static_cast<std::size_t>(k);
        const Analog& c = analog[k];
        u8(block, c.source);
        text(block + 1, 8, c.name);
        text(block + 9, 8, c.units);
        text(block + 17, 9, c.a);
        text(block + 26, 9, c.b);
        text(block + 35, 9, c.c);
        u8(block + 44, c.average);
    }

    // Digital channels: 16-byte blocks (source, name, units, inverted).
    const std::string_view digitalNames[8] = {"Out1", "Out2", "Out3", "Out4",
                                              "In1",  "In2",  "In3",  "In4"};
    for (int k = 0; k < 8; ++k) {
        const std::size_t block = 1119 + 16 * static_cast<std::size_t>(k);
        u8(block, k + 1);  // (M) Output 1 .. (M) Input 4
        text(block + 1, 7, digitalNames[k]);
        text(block + 8, 7, k < 4 ? "On" : "Hi");
        u8(block + 15, k == 4 ? 1 : 0);  // inverted
    }

    u8(1247, 0);  // Zembor_output1..4
    u8(1248, 1);
    u8(1249, 0);
    u8(1250, 0);
    u8(1251, 15);  // Tele_holdoff [min]
    u8(1252, 0);   // Debug_rf, _ax25, _weather, _telemetry, _gps, _kiss, _thermo
    u8(1253, 0);
    u8(1254, 0);
    u8(1255, 1);
    u8(1256, 1);
    u8(1257, 0);
    u8(1258, 0);
    fixed(1259, "END");

    u32(0, imageChecksum(image));
    return image;
}

namespace {

// A value in degrees as NMEA ddmm.mmmm times 10,000, without the sign.
std::int32_t nmeaTimes10000(double degrees) {
    const long long tenThousandthsOfMinute = std::llround(std::fabs(degrees) * 60.0 * 10000.0);
    const long long whole = tenThousandthsOfMinute / 600000;
    return static_cast<std::int32_t>(whole * 1000000 + tenThousandthsOfMinute % 600000);
}

}  // namespace

std::vector<GpsRecord> sampleTrack() {
    // A 25-minute drive out of town: speed (knots) and course (degrees) at key records,
    // linear in between; one record every 5 seconds.
    struct Key {
        int record;
        double speed;
        double course;
    };
    const Key keys[] = {{0, 0, 90},     {20, 27, 90},   {60, 27, 45}, {120, 49, 30},
                        {200, 49, 120}, {260, 16, 180}, {299, 4, 200}};
    constexpr int kRecords = 300;
    constexpr int kStepSeconds = 5;
    constexpr int kStartSeconds = 8 * 3600 + 30 * 60;  // 08:30:00 UTC

    std::vector<GpsRecord> track;
    track.reserve(kRecords);
    double lat = 52.0 + 13.5 / 60.0;
    double lon = 21.0 + 0.45 / 60.0;
    std::size_t k = 0;
    for (int i = 0; i < kRecords; ++i) {
        while (keys[k + 1].record < i) {
            ++k;
        }
        const Key& a = keys[k];
        const Key& b = keys[k + 1];
        const double f = double(i - a.record) / double(b.record - a.record);
        const double speed = a.speed + f * (b.speed - a.speed);
        const double course = a.course + f * (b.course - a.course);

        const int seconds = kStartSeconds + i * kStepSeconds;
        GpsRecord fix{};
        fix.latitude = nmeaTimes10000(lat);
        fix.longitude = nmeaTimes10000(lon);
        fix.time = (seconds / 3600) * 10000 + (seconds / 60 % 60) * 100 + seconds % 60;
        fix.date = 140624;  // 14 June 2024
        fix.speed = static_cast<std::uint16_t>(std::lround(speed * 100));
        fix.course = static_cast<std::uint16_t>(std::lround(std::fmod(course, 360.0) * 100));
        fix.altitude = static_cast<std::uint16_t>(std::lround(950 + 150 * std::sin(i / 40.0)));
        track.push_back(fix);

        // Dead reckoning to the next fix.
        const double nauticalMiles = speed * kStepSeconds / 3600.0;
        const double rad = course * std::numbers::pi / 180.0;
        lat += nauticalMiles * std::cos(rad) / 60.0;
        lon += nauticalMiles * std::sin(rad) / (60.0 * std::cos(lat * std::numbers::pi / 180.0));
    }
    return track;
}

std::vector<std::uint8_t> sampleGpsMemory() {
    std::vector<std::uint8_t> memory(kGpsMemorySize, 0xFF);
    const std::vector<GpsRecord> track = sampleTrack();
    for (std::size_t r = 0; r < track.size(); ++r) {
        const std::size_t at =
            (r / kGpsSlotsPerBlock) * kGpsBlockSize + (r % kGpsSlotsPerBlock) * kGpsRecordSize;
        const auto record = encodeGpsSlot(track[r]);
        std::copy(record.begin(), record.end(), memory.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return memory;
}
