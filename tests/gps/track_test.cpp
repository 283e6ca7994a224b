#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "gps/nmea_log.h"
#include "gps/track.h"
#include "sim/sample_contents.h"

namespace {

// A record at decimal degrees (north and east positive), 14 June 2024, `seconds` after 10:00.
GpsRecord recordAt(double latitude, double longitude, int seconds = 0) {
    const auto stored = [](double degrees) {
        const long long tenThousandths = std::llround(std::fabs(degrees) * 600000.0);
        const long long value = tenThousandths / 600000 * 1000000 + tenThousandths % 600000;
        return static_cast<std::int32_t>(degrees > 0 ? value : -value);
    };
    const int clock = 10 * 3600 + seconds;
    return {stored(latitude),
            stored(longitude),
            clock / 3600 * 10000 + clock / 60 % 60 * 100 + clock % 60,
            140624,
            0,
            0,
            0};
}

TEST(TrackProjection, KnownTracksToScale) {
    const double k = kMetresPerDegree;
    const struct {
        const char* name;
        std::vector<GpsRecord> records;
        double width;     // metres
        double height;    // metres
        double lastEast;  // metres east of the west edge, last point
        const char* bar;  // scale bar of at most 100 px, track fitted into 400 x 300 px
    } cases[] = {
        {"north-south line",
         {recordAt(45, 10), recordAt(45.5, 10), recordAt(46, 10)},
         0,
         k,
         0,
         "20 km"},
        {"east-west line at 60 degrees",
         {recordAt(60, 10), recordAt(60, 11), recordAt(60, 12)},
         2 * k * 0.5,
         0,
         2 * k * 0.5,
         "20 km"},
        {"across the 180th meridian",
         {recordAt(-17, 179.5), recordAt(-17, 179.9), recordAt(-17, -179.9), recordAt(-17, -179.5)},
         k * std::cos(17 * std::numbers::pi / 180),
         0,
         k * std::cos(17 * std::numbers::pi / 180),
         "20 km"},
        {"a few metres", {recordAt(52, 21), recordAt(52 + 0.00009, 21)}, 0, 0.00009 * k, 0, "20 m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Track track = buildTrack(c.records);
        ASSERT_EQ(track.samples.size(), c.records.size());
        const TrackProjection projection(track.samples);
        EXPECT_NEAR(projection.width(), c.width, 1.0);
        EXPECT_NEAR(projection.height(), c.height, 1.0);
        EXPECT_NEAR(projection.project(track.samples.back()).east, c.lastEast, 1.0);
        // Points go the way the track goes: east never jumps back across the globe.
        for (std::size_t i = 1; i < track.samples.size(); ++i) {
            EXPECT_GE(projection.project(track.samples[i]).east,
                      projection.project(track.samples[i - 1]).east);
        }
        const double pixelsPerMetre = projection.pixelsPerMetre(400, 300);
        const ScaleBar bar = chooseScaleBar(1 / pixelsPerMetre, 100);
        EXPECT_EQ(bar.caption, c.bar);
        EXPECT_LE(bar.pixels, 100.0);
        EXPECT_NEAR(bar.pixels, bar.metres * pixelsPerMetre, 1e-6);
    }
}

TEST(ScaleBar, RoundLengthsThatFit) {
    const struct {
        double metresPerPixel;
        double maxPixels;
        double metres;
        const char* caption;
    } cases[] = {
        {1, 100, 100, "100 m"},  {10, 100, 1000, "1 km"}, {3, 100, 200, "200 m"},
        {26, 100, 2000, "2 km"}, {60, 100, 5000, "5 km"}, {0.004, 100, 0.2, "0.2 m"},
        {0, 100, 0, ""},
    };
    for (const auto& c : cases) {
        const ScaleBar bar = chooseScaleBar(c.metresPerPixel, c.maxPixels);
        EXPECT_DOUBLE_EQ(bar.metres, c.metres) << c.metresPerPixel;
        EXPECT_EQ(bar.caption, c.caption) << c.metresPerPixel;
    }
}

TEST(TrackRules, SpeedColourAndGaps) {
    const struct {
        double speed;
        double top;
        int hue;
    } colours[] = {{0, 50, 240}, {25, 50, 120}, {50, 50, 0}, {80, 50, 0}, {3, 0, 240}};
    for (const auto& c : colours) {
        EXPECT_EQ(speedHue(c.speed, c.top), c.hue) << c.speed << " of " << c.top;
    }

    const auto at = [](std::optional<std::int64_t> time) {
        TrackSample s;
        s.time = time;
        return s;
    };
    const struct {
        std::optional<std::int64_t> from;
        std::optional<std::int64_t> to;
        bool gap;
    } steps[] = {{0, 60, false}, {0, 61, true}, {100, 40, true}, {std::nullopt, 5000, false}};
    for (const auto& c : steps) {
        EXPECT_EQ(isGap(at(c.from), at(c.to), 60), c.gap)
            << c.from.value_or(-1) << "→" << c.to.value_or(-1);
    }

    const struct {
        std::vector<std::optional<std::int64_t>> times;
        double gap;
    } tracks[] = {
        {{0, 5, 10, 15, 500, 505}, 60},      // every 5 s: the floor of a minute
        {{0, 30, 60, 90, 2000, 2030}, 150},  // every 30 s: five steps
        {{std::nullopt, std::nullopt}, 60},
    };
    for (const auto& c : tracks) {
        std::vector<TrackSample> samples;
        for (const auto& t : c.times) {
            samples.push_back(at(t));
        }
        EXPECT_EQ(gapSeconds(samples), c.gap);
    }
}

// The last download, a dump of it and the NMEA log written from it give the same records,
// and the same points once those without a valid position are left out.
TEST(TrackInputs, DumpAndNmeaLogGiveTheSameRecords) {
    std::vector<std::uint8_t> memory = sampleGpsMemory();
    const GpsRecord odd[] = {
        {-3351234, -7012345, 5, 10120, 0, 0, 0},             // south and west
        {0, 0, 235959, 311299, 65535, 35999, 65535},         // zero position, field maxima
        {52605000, 21004500, 123519, 230394, 0, 0, 0},       // 60 minutes: no position
        {91000000, 21004500, 123519, 230394, 0, 0, 0},       // beyond the pole: no position
        {52135000, 21004500, -5, 999999, 1234, 8450, 1105},  // no valid time
    };
    for (std::size_t i = 0; i < std::size(odd); ++i) {
        const GpsSlot slot = encodeGpsSlot(odd[i]);
        std::copy(slot.begin(), slot.end(),
                  memory.begin() + 100 * kGpsBlockSize + i * kGpsRecordSize);
    }
    const std::vector<GpsRecord> fromDump = gpsRecords(memory.data(), memory.size());
    ASSERT_EQ(fromDump.size(), sampleTrack().size() + std::size(odd));

    QByteArray log = nmeaLog(memory.data(), memory.size());
    const NmeaReadResult fromLog = readNmeaLog(log);
    EXPECT_EQ(fromLog.skippedLines, 0);
    EXPECT_TRUE(fromLog.records == fromDump);

    const Track track = buildTrack(fromLog.records);
    EXPECT_EQ(track.leftOut, 2);
    EXPECT_EQ(track.samples.size(), fromDump.size() - 2);
    EXPECT_FALSE(track.samples.back().time);

    // A damaged line costs its record (or altitude), never a wrong value.
    log.replace(log.indexOf("*", log.indexOf("$GPRMC", 100)) - 1, 1, "9");
    log.replace(log.lastIndexOf("$GPGGA"), 6, "$GPXXX");
    log.append("\r\n\r\nnot nmea\r\n");
    const NmeaReadResult damaged = readNmeaLog(log);
    EXPECT_EQ(damaged.skippedLines, 4);  // the RMC, its now lonely GGA, the XXX, "not nmea"
    EXPECT_EQ(damaged.records.size(), fromDump.size() - 1);
    EXPECT_EQ(damaged.records.back().altitude, 0);
}

}  // namespace
