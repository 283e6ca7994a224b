// GPS memory records through the NMEA log and the GPX track: neither writer may crash, and
// every valid record must come out as two well-formed sentences with the right checksums and
// as a track point on the globe (or be counted as left out), in a GPX document that parses.
//
// Random slots almost never carry a right check value, so the input is read as 24-byte slots
// whose check value is set right unless the slot's first byte says otherwise; slots fill whole
// blocks, the rest of a block erased.
#include <QBuffer>
#include <QByteArray>
#include <QXmlStreamReader>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gps/gps_record.h"
#include "gps/gpx_track.h"
#include "gps/nmea_log.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

std::vector<std::uint8_t> memoryFrom(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> memory;
    std::size_t slot = 0;
    for (std::size_t i = 0; i + kGpsRecordSize <= size; i += kGpsRecordSize, ++slot) {
        if (slot % kGpsSlotsPerBlock == 0) {
            memory.resize(memory.size() + kGpsBlockSize, 0xFF);
        }
        std::uint8_t* at = memory.data() + memory.size() - kGpsBlockSize +
                           (slot % kGpsSlotsPerBlock) * kGpsRecordSize;
        std::copy(data + i, data + i + kGpsRecordSize, at);
        if (data[i] % 8 != 0) {
            const std::uint16_t crc = crc16X25(at, kGpsRecordSize - 2);
            at[22] = static_cast<std::uint8_t>(crc & 0xFF);
            at[23] = static_cast<std::uint8_t>(crc >> 8);
        }
    }
    return memory;
}

// One sentence: "$GPRMC," or "$GPGGA,", printable text, "*", the checksum, CR LF.
void checkSentence(QByteArrayView line, const char* head) {
    check(line.startsWith(head) && line.size() > 10 && line.size() < 200);
    check(line.endsWith("\r\n") && line[line.size() - 5] == '*');
    unsigned char sum = 0;
    for (qsizetype i = 1; i < line.size() - 5; ++i) {
        check(line[i] >= 0x20 && line[i] < 0x7F && line[i] != '*' && line[i] != '$');
        sum ^= static_cast<unsigned char>(line[i]);
    }
    char want[3];
    std::snprintf(want, sizeof want, "%02X", sum);
    check(line[line.size() - 4] == want[0] && line[line.size() - 3] == want[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> memory = memoryFrom(data, size);

    std::vector<GpsRecord> records;
    forEachGpsRecord(memory.data(), memory.size(),
                     [&records](const GpsRecord& r) { records.push_back(r); });

    const QByteArray log = nmeaLog(memory.data(), memory.size());
    QByteArray joined;
    qsizetype at = 0;
    for (const GpsRecord& r : records) {
        const QByteArray two = nmeaSentences(r);
        joined += two;
        const qsizetype split = two.indexOf('\n') + 1;
        check(split > 0);
        checkSentence(QByteArrayView(two).first(split), "$GPRMC,");
        checkSentence(QByteArrayView(two).sliced(split), "$GPGGA,");
        at += two.size();
    }
    check(log == joined && at == log.size());

    QByteArray gpx;
    QBuffer buffer(&gpx);
    buffer.open(QIODevice::WriteOnly);
    GpxTrackWriter writer(&buffer, QStringLiteral("fuzz"), QStringLiteral("fuzz"));
    for (const GpsRecord& r : records) {
        const std::optional<TrackPoint> point = trackPoint(r);
        check(writer.add(r) == point.has_value());
        if (point) {
            check(point->latitude >= -90 && point->latitude <= 90);
            check(point->longitude >= -180 && point->longitude <= 180);
        }
    }
    writer.finish();
    check(!writer.hasError());
    check(writer.points() + writer.leftOut() == static_cast<int>(records.size()));

    QXmlStreamReader xml(gpx);
    int points = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"trkpt") {
            ++points;
        }
    }
    check(!xml.hasError() && points == writer.points());
    return 0;
}
