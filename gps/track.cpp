#include "gps/track.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "gps/gpx_track.h"

std::vector<GpsRecord> gpsRecords(const std::uint8_t* memory, std::size_t size) {
    std::vector<GpsRecord> records;
    forEachGpsRecord(memory, size, [&records](const GpsRecord& r) { records.push_back(r); });
    return records;
}

namespace {

// The text between "$" and "*" when the line carries the right checksum after the "*".
std::optional<QByteArray> checkedSentence(QByteArrayView line) {
    const qsizetype star = line.lastIndexOf('*');
    if (!line.startsWith('$') || star < 0 || line.size() != star + 3) {
        return std::nullopt;
    }
    unsigned char sum = 0;
    for (qsizetype i = 1; i < star; ++i) {
        sum ^= static_cast<unsigned char>(line[i]);
    }
    bool ok = false;
    const uint stated = line.sliced(star + 1).toByteArray().toUInt(&ok, 16);
    if (!ok || stated != sum) {
        return std::nullopt;
    }
    return line.sliced(1, star - 1).toByteArray();
}

// A decimal number of the log times 10^decimals, rounded; nothing when it is not a number or
// falls outside [low, high].
std::optional<std::int64_t> scaled(const QByteArray& text, int decimals, std::int64_t low,
                                   std::int64_t high) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    const double result = std::round(value * std::pow(10.0, decimals));
    if (result < static_cast<double>(low) || result > static_cast<double>(high)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(result);
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// hhmmss or ddmmyy: the whole part of the field (the log writes ".000" after the time).
std::optional<std::int32_t> wholeNumber(const QByteArray& text) {
    const qsizetype point = text.indexOf('.');
    const auto value = scaled(point < 0 ? text : text.first(point), 0, kInt32Min, kInt32Max);
    return value ? std::optional<std::int32_t>(static_cast<std::int32_t>(*value)) : std::nullopt;
}

// A stored coordinate from its magnitude and hemisphere letter: the log writes the letter of
// the positive side only for values above 0.
std::optional<std::int32_t> coordinate(const QByteArray& magnitude, const QByteArray& letter,
                                       char positive, char negative) {
    if (letter.size() != 1 || (letter[0] != positive && letter[0] != negative)) {
        return std::nullopt;
    }
    const auto value = scaled(magnitude, 4, 0, -kInt32Min);
    if (!value) {
        return std::nullopt;
    }
    const std::int64_t signedValue = letter[0] == positive ? *value : -*value;
    if (signedValue > kInt32Max) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(signedValue);
}

std::optional<std::uint16_t> unsigned16(const QByteArray& text, int decimals) {
    const auto value = scaled(text, decimals, 0, 65535);
    return value ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*value)) : std::nullopt;
}

// $GPRMC,time,A,lat,N,lon,E,speed,course,date,...
std::optional<GpsRecord> rmcRecord(const QList<QByteArray>& f) {
    if (f.size() < 10 || f[0] != "GPRMC" || f[2] != "A") {
        return std::nullopt;
    }
    const auto time = wholeNumber(f[1]);
    const auto latitude = coordinate(f[3], f[4], 'N', 'S');
    const auto longitude = coordinate(f[5], f[6], 'E', 'W');
    const auto speed = unsigned16(f[7], 2);
    const auto course = unsigned16(f[8], 2);
    const auto date = wholeNumber(f[9]);
    if (!time || !latitude || !longitude || !speed || !course || !date) {
        return std::nullopt;
    }
    return GpsRecord{*latitude, *longitude, *time, *date, *speed, *course, 0};
}

}  // namespace

NmeaReadResult readNmeaLog(QByteArrayView log) {
    NmeaReadResult result;
    // The time field of the last $GPRMC line, while the next line may complete its record.
    std::optional<QByteArray> openTime;
    for (QByteArrayView rest = log; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        const QByteArrayView line = (end < 0 ? rest : rest.first(end)).trimmed();
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.isEmpty()) {
            continue;
        }
        std::optional<QByteArray> previousTime = std::exchange(openTime, std::nullopt);
        const std::optional<QByteArray> sentence = checkedSentence(line);
        if (!sentence) {
            ++result.skippedLines;
            continue;
        }
        const QList<QByteArray> fields = sentence->split(',');
        if (const auto record = rmcRecord(fields)) {
            result.records.push_back(*record);
            openTime = fields[1];
            continue;
        }
        // $GPGGA,time,lat,N,lon,E,quality,satellites,dilution,altitude,M,...
        if (fields.size() >= 11 && fields[0] == "GPGGA" && previousTime &&
            fields[1] == *previousTime) {
            if (const auto altitude = unsigned16(fields[9], 1)) {
                result.records.back().altitude = *altitude;
                continue;
            }
        }
        ++result.skippedLines;
    }
    return result;
}

Track buildTrack(const std::vector<GpsRecord>& records) {
    Track track;
    track.samples.reserve(records.size());
    for (const GpsRecord& record : records) {
        const std::optional<TrackPoint> point = trackPoint(record);
        if (!point) {
            ++track.leftOut;
            continue;
        }
        TrackSample sample;
        sample.latitude = point->latitude;
        sample.longitude = point->longitude;
        if (!track.samples.empty()) {
            // Across the 180th meridian the track goes on east or west, not round the globe.
            const double previous = track.samples.back().longitude;
            while (sample.longitude - previous > 180.0) {
                sample.longitude -= 360.0;
            }
            while (sample.longitude - previous < -180.0) {
                sample.longitude += 360.0;
            }
        }
        sample.elevation = point->elevation;
        sample.speed = record.speed / 100.0;
        if (point->time) {
            sample.time = point->time->toSecsSinceEpoch();
        }
        track.samples.push_back(sample);
    }
    return track;
}

TrackProjection::TrackProjection(const std::vector<TrackSample>& samples) {
    if (samples.empty()) {
        return;
    }
    double sumLat = 0;
    double east = samples.front().longitude;
    double north = samples.front().latitude;
    west_ = east;
    south_ = north;
    for (const TrackSample& s : samples) {
        sumLat += s.latitude;
        west_ = std::min(west_, s.longitude);
        east = std::max(east, s.longitude);
        south_ = std::min(south_, s.latitude);
        north = std::max(north, s.latitude);
    }
    const double meanLat = sumLat / static_cast<double>(samples.size());
    cosLat_ = std::cos(meanLat * 3.14159265358979323846 / 180.0);
    width_ = (east - west_) * kMetresPerDegree * cosLat_;
    height_ = (north - south_) * kMetresPerDegree;
}

PlanePoint TrackProjection::project(const TrackSample& s) const {
    return {(s.longitude - west_) * kMetresPerDegree * cosLat_,
            (s.latitude - south_) * kMetresPerDegree};
}

double TrackProjection::pixelsPerMetre(double viewWidth, double viewHeight) const {
    return std::min(viewWidth / std::max(width_, kMinimumExtent),
                    viewHeight / std::max(height_, kMinimumExtent));
}

double trackLength(const std::vector<TrackSample>& samples, const TrackProjection& projection,
                   double gap) {
    double length = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (isGap(samples[i - 1], samples[i], gap)) {
            continue;
        }
        const PlanePoint a = projection.project(samples[i - 1]);
        const PlanePoint b = projection.project(samples[i]);
        length += std::hypot(b.east - a.east, b.north - a.north);
    }
    return length;
}

ScaleBar chooseScaleBar(double metresPerPixel, double maxPixels) {
    const double longest = metresPerPixel * maxPixels;
    if (!(longest > 0) || !std::isfinite(longest)) {
        return {};
    }
    const double power = std::pow(10.0, std::floor(std::log10(longest)));
    double metres = power;
    for (double step : {5.0, 2.0}) {
        // A hair of tolerance: 1000 m must fit in exactly 1000 m despite rounding.
        if (step * power <= longest * (1 + 1e-9)) {
            metres = step * power;
            break;
        }
    }
    const QString caption = metres >= 1000 ? QString::number(metres / 1000, 'g', 6) + " km"
                                           : QString::number(metres, 'g', 6) + " m";
    return {metres, metres / metresPerPixel, caption};
}

int speedHue(double speed, double top) {
    if (!(top > 0)) {
        return 240;
    }
    const double f = std::clamp(speed / top, 0.0, 1.0);
    return static_cast<int>(std::lround(240.0 * (1.0 - f)));
}

double topSpeed(const std::vector<TrackSample>& samples) {
    double top = 1.0;
    for (const TrackSample& s : samples) {
        top = std::max(top, s.speed);
    }
    return top;
}

bool isGap(const TrackSample& from, const TrackSample& to, double gap) {
    if (!from.time || !to.time) {
        return false;
    }
    const std::int64_t step = *to.time - *from.time;
    return step < 0 || static_cast<double>(step) > gap;
}

double gapSeconds(const std::vector<TrackSample>& samples) {
    std::vector<std::int64_t> steps;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1].time && samples[i].time && *samples[i].time > *samples[i - 1].time) {
            steps.push_back(*samples[i].time - *samples[i - 1].time);
        }
    }
    if (steps.empty()) {
        return kMinimumGap;
    }
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return std::max(kMinimumGap, 5.0 * static_cast<double>(*middle));
}
