#include "gps/gpx_track.h"

#include <QTimeZone>
#include <cstdlib>

namespace {

constexpr auto kGpxNamespace = "http://www.topografix.com/GPX/1/1";

// NMEA ddmm.mmmm (or dddmm.mmmm) times 10,000 as decimal degrees, positive when `positive`;
// nothing when the minutes are 60 or more or the degrees exceed `limit`.
std::optional<double> degrees(std::int32_t stored, bool positive, double limit) {
    const std::int64_t magnitude = std::llabs(std::int64_t{stored});
    const double minutes = static_cast<double>(magnitude % 1'000'000) / 10'000.0;
    if (minutes >= 60.0) {
        return std::nullopt;
    }
    const std::int64_t wholeDegrees = magnitude / 1'000'000;
    const double value = static_cast<double>(wholeDegrees) + minutes / 60.0;
    if (value > limit) {
        return std::nullopt;
    }
    // Exactly 0 stays 0 (never -0) whatever its hemisphere letter.
    return positive || value == 0.0 ? value : -value;
}

std::optional<QDateTime> fixTime(std::int32_t date, std::int32_t time) {
    if (date < 0 || time < 0) {
        return std::nullopt;
    }
    const int yy = date % 100;
    const QDate day(yy >= 80 ? 1900 + yy : 2000 + yy, date / 100 % 100, date / 10000);
    const QTime clock(time / 10000, time / 100 % 100, time % 100);
    if (!day.isValid() || !clock.isValid()) {
        return std::nullopt;
    }
    return QDateTime(day, clock, QTimeZone::utc());
}

}  // namespace

std::optional<TrackPoint> trackPoint(const GpsRecord& record) {
    const auto latitude = degrees(record.latitude, record.latitude > 0, 90.0);
    const auto longitude = degrees(record.longitude, record.longitude > 0, 180.0);
    if (!latitude || !longitude) {
        return std::nullopt;
    }
    return TrackPoint{*latitude, *longitude, record.altitude / 10.0,
                      fixTime(record.date, record.time)};
}

GpxTrackWriter::GpxTrackWriter(QIODevice* out, const QString& trackName, const QString& creator)
    : xml_(out) {
    xml_.setAutoFormatting(true);
    xml_.setAutoFormattingIndent(1);
    xml_.writeStartDocument();
    xml_.writeStartElement("gpx");
    xml_.writeDefaultNamespace(kGpxNamespace);
    xml_.writeAttribute("version", "1.1");
    xml_.writeAttribute("creator", creator);
    xml_.writeStartElement("trk");
    xml_.writeTextElement("name", trackName);
    xml_.writeStartElement("trkseg");
}

bool GpxTrackWriter::add(const GpsRecord& record) {
    const std::optional<TrackPoint> point = trackPoint(record);
    if (!point) {
        ++leftOut_;
        return false;
    }
    // Seven decimals of a degree (about 1 cm) keep the 1/10,000 minute of the record.
    xml_.writeStartElement("trkpt");
    xml_.writeAttribute("lat", QString::number(point->latitude, 'f', 7));
    xml_.writeAttribute("lon", QString::number(point->longitude, 'f', 7));
    xml_.writeTextElement("ele", QString::number(point->elevation, 'f', 1));
    if (point->time) {
        // UTC with the usual "Z" (Qt's ISO form would write "+00:00").
        xml_.writeTextElement("time", point->time->toString("yyyy-MM-dd'T'HH:mm:ss'Z'"));
    }
    xml_.writeEndElement();
    ++points_;
    return true;
}

void GpxTrackWriter::finish() {
    xml_.writeEndElement();  // trkseg
    xml_.writeEndElement();  // trk
    xml_.writeEndElement();  // gpx
    xml_.writeEndDocument();
}
