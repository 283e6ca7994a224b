#pragma once

#include <QDateTime>
#include <QString>
#include <QXmlStreamWriter>
#include <optional>

#include "gps/gps_record.h"

class QIODevice;

// One stored position as a GPX track point: decimal degrees (north and east positive),
// elevation in metres, and the time of the fix when the record's date and time form one.
struct TrackPoint {
    double latitude = 0;
    double longitude = 0;
    double elevation = 0;
    std::optional<QDateTime> time;  // UTC
};

// The track point of a record, or nothing when its position is not one on the globe (minutes
// of 60 or more, more than 90 degrees of latitude or 180 of longitude). The two-digit year
// counts from 1980, the start of GPS time: 80 to 99 are 1980 to 1999, 00 to 79 are 2000 to
// 2079.
std::optional<TrackPoint> trackPoint(const GpsRecord& record);

// Writes a GPX 1.1 file holding one track of one segment, a point at a time, so that a memory
// of any size streams through.
class GpxTrackWriter {
  public:
    // Writes everything up to the first point; `creator` names the program that wrote it.
    GpxTrackWriter(QIODevice* out, const QString& trackName, const QString& creator);

    // Adds the record's point; false (and nothing written) when it has no valid position.
    bool add(const GpsRecord& record);

    // Closes the segment, the track and the document.
    void finish();

    int points() const { return points_; }
    int leftOut() const { return leftOut_; }
    bool hasError() const { return xml_.hasError(); }

  private:
    QXmlStreamWriter xml_;
    int points_ = 0;
    int leftOut_ = 0;
};
