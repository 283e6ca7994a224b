#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "gps/gps_record.h"

// What the track view draws, worked out without any widget: the records of a GPS memory or an
// NMEA log turned into points, their projection onto a flat map, the scale bar, the colour of
// a speed and where the line breaks.

// Every valid record of a GPS memory image (a dump or the last download), in memory order.
std::vector<GpsRecord> gpsRecords(const std::uint8_t* memory, std::size_t size);

// The records of an NMEA log as the GPS memory download writes it: each $GPRMC line gives a
// record, and the $GPGGA line right after it with the same time gives its altitude (0 without
// one). Lines with a wrong checksum, a void fix or fields that do not parse are skipped and
// counted; blank lines are not counted.
struct NmeaReadResult {
    std::vector<GpsRecord> records;
    int skippedLines = 0;
};
NmeaReadResult readNmeaLog(QByteArrayView log);

// One point of the track: a record with a valid position.
struct TrackSample {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees east, unwrapped: never more than 180 from the previous one
    double elevation = 0;  // metres
    double speed = 0;      // knots
    std::optional<std::int64_t> time;  // seconds since 1970-01-01 UTC, when the record has one

    bool operator==(const TrackSample&) const = default;
};

// The points of the records that have a valid position, in record order; `leftOut` counts the
// others, by the same rule as the GPX export.
struct Track {
    std::vector<TrackSample> samples;
    int leftOut = 0;
};
Track buildTrack(const std::vector<GpsRecord>& records);

// Metres per degree of latitude (a sphere of the mean Earth radius).
inline constexpr double kMetresPerDegree = 6371008.8 * 3.14159265358979323846 / 180.0;

// A point on the flat map, in metres east and north of the south-west corner of the track.
struct PlanePoint {
    double east = 0;
    double north = 0;
};

// The equirectangular projection of a track: degrees of longitude shortened by the cosine of
// the track's mean latitude, so that a kilometre is as long east-west as north-south near
// the track. North is up.
class TrackProjection {
  public:
    explicit TrackProjection(const std::vector<TrackSample>& samples);

    PlanePoint project(const TrackSample& sample) const;
    // The extent of the track in metres.
    double width() const { return width_; }
    double height() const { return height_; }
    double cosMeanLatitude() const { return cosLat_; }
    // The scale at which the track fills a view of the given size in pixels, keeping its
    // shape; a track shorter than kMinimumExtent in both directions is shown that wide.
    double pixelsPerMetre(double viewWidth, double viewHeight) const;

    static constexpr double kMinimumExtent = 100.0;

  private:
    double west_ = 0;
    double south_ = 0;
    double cosLat_ = 1;
    double width_ = 0;
    double height_ = 0;
};

// The length along the track in metres, on the projection, with no distance across a gap.
double trackLength(const std::vector<TrackSample>& samples, const TrackProjection& projection,
                   double gapSeconds);

// A scale bar: a round length (1, 2 or 5 times a power of ten metres), its length in pixels
// and its caption ("200 m", "5 km").
struct ScaleBar {
    double metres = 0;
    double pixels = 0;
    QString caption;
};
// The longest round length that fits in `maxPixels` at `metresPerPixel`.
ScaleBar chooseScaleBar(double metresPerPixel, double maxPixels);

// The hue of a speed (degrees of the colour wheel): 240 (blue) when stopped, through green, to
// 0 (red) at `topSpeed` and above.
int speedHue(double speed, double topSpeed);
// The speed shown red for a track: its highest speed, at least 1 knot.
double topSpeed(const std::vector<TrackSample>& samples);

// Two points in a row are joined unless the time between them is known and either longer
// than `gapSeconds` or negative (the memory holds drives in the order the slots were used,
// not by time).
bool isGap(const TrackSample& from, const TrackSample& to, double gapSeconds);
// The gap length of a track: five times its usual time between points (the median), and at
// least kMinimumGap seconds, so that a tracker logging every few seconds and one logging
// every two minutes both show their stops.
double gapSeconds(const std::vector<TrackSample>& samples);
inline constexpr double kMinimumGap = 60.0;
