#include <gtest/gtest.h>

#include <QBuffer>
#include <QXmlStreamReader>
#include <climits>

#include "gps/gpx_track.h"

namespace {

TEST(TrackPoint, PositionsAndTimes) {
    const struct {
        GpsRecord record;
        double latitude;
        double longitude;
        double elevation;
        const char* time;  // "" when the record's date and time form none
    } cases[] = {
        // The two records of the NMEA examples: 5213.5000N 02100.4500E, 0335.1234S 00701.2345W.
        {{52135000, 21004500, 123519, 230394, 1234, 8450, 1105},
         52.225,
         21.0075,
         110.5,
         "1994-03-23T12:35:19Z"},
        {{-3351234, -7012345, 5, 10120, 0, 0, 0},
         -(3 + 35.1234 / 60),
         -(7 + 1.2345 / 60),
         0.0,
         "2020-01-01T00:00:05Z"},
        // Zero is neither south nor west in decimal degrees.
        {{0, 0, 0, 10180, 0, 0, 65535}, 0.0, 0.0, 6553.5, "1980-01-01T00:00:00Z"},
        {{90000000, 180000000, 235959, 311279, 0, 0, 0}, 90.0, 180.0, 0.0, "2079-12-31T23:59:59Z"},
        {{-90000000, -180000000, 0, 290224, 0, 0, 0}, -90.0, -180.0, 0.0, "2024-02-29T00:00:00Z"},
        // No such day or time: the point stays, without a time.
        {{52135000, 21004500, 120000, 310224, 0, 0, 0}, 52.225, 21.0075, 0.0, ""},
        {{52135000, 21004500, 126000, 230394, 0, 0, 0}, 52.225, 21.0075, 0.0, ""},
        {{52135000, 21004500, 240000, 230394, 0, 0, 0}, 52.225, 21.0075, 0.0, ""},
        {{52135000, 21004500, -1, -230394, 0, 0, 0}, 52.225, 21.0075, 0.0, ""},
    };
    for (const auto& c : cases) {
        const std::optional<TrackPoint> point = trackPoint(c.record);
        ASSERT_TRUE(point) << c.record.latitude;
        EXPECT_NEAR(point->latitude, c.latitude, 1e-9) << c.record.latitude;
        EXPECT_NEAR(point->longitude, c.longitude, 1e-9) << c.record.longitude;
        EXPECT_FALSE(std::signbit(point->latitude) && point->latitude == 0.0);
        EXPECT_DOUBLE_EQ(point->elevation, c.elevation);
        EXPECT_EQ(point->time ? point->time->toString("yyyy-MM-dd'T'HH:mm:ss'Z'") : QString(),
                  QString(c.time))
            << c.record.date << " " << c.record.time;
    }
}

TEST(TrackPoint, PositionsOffTheGlobeAreLeftOut) {
    const GpsRecord off[] = {
        {52600000, 21004500, 0, 10120, 0, 0, 0},    // 60 minutes
        {90000001, 21004500, 0, 10120, 0, 0, 0},    // beyond the pole
        {52135000, -180000001, 0, 10120, 0, 0, 0},  // beyond 180 degrees
        {INT_MIN, 21004500, 0, 10120, 0, 0, 0},     // the most negative stored value
        {52135000, INT_MAX, 0, 10120, 0, 0, 0},     // 2147 degrees
        {52135000, 21609999, 0, 10120, 0, 0, 0},    // 60.9999 minutes
    };
    for (const GpsRecord& r : off) {
        EXPECT_FALSE(trackPoint(r)) << r.latitude << " " << r.longitude;
    }
}

TEST(GpxTrackWriter, WritesAGpx11Track) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    GpxTrackWriter gpx(&out, "drive & back", "veltromark-cli");
    EXPECT_TRUE(gpx.add({52135000, 21004500, 123519, 230394, 1234, 8450, 1105}));
    EXPECT_FALSE(gpx.add({90000001, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(gpx.add({-3351234, -7012345, 5, 0, 0, 0, 0}));
    gpx.finish();
    EXPECT_EQ(gpx.points(), 2);
    EXPECT_EQ(gpx.leftOut(), 1);
    EXPECT_FALSE(gpx.hasError());

    QXmlStreamReader xml(out.data());
    QStringList seen;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        EXPECT_EQ(xml.namespaceUri(), QString("http://www.topografix.com/GPX/1/1"));
        const auto a = xml.attributes();
        if (xml.name() == QString("gpx")) {
            seen << QString("gpx %1 %2").arg(a.value("version"), a.value("creator"));
        } else if (xml.name() == QString("trk") || xml.name() == QString("trkseg")) {
            seen << xml.name().toString();
        } else if (xml.name() == QString("trkpt")) {
            seen << QString("trkpt %1 %2").arg(a.value("lat"), a.value("lon"));
        } else {
            seen << xml.name().toString() + " " + xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(seen,
              (QStringList{"gpx 1.1 veltromark-cli", "trk", "name drive & back", "trkseg",
                           "trkpt 52.2250000 21.0075000", "ele 110.5", "time 1994-03-23T12:35:19Z",
                           "trkpt -3.5853900 -7.0205750", "ele 0.0"}));
}

}  // namespace
