#include "gps/nmea_log.h"

#include <cstdio>
#include <cstdlib>

void appendNmeaLine(QByteArray& out, QByteArrayView text) {
    unsigned char sum = 0;
    for (qsizetype i = 1; i + 1 < text.size(); ++i) {
        sum ^= static_cast<unsigned char>(text[i]);
    }
    char tail[5];
    std::snprintf(tail, sizeof tail, "%02X\r\n", sum);
    out.append(text);
    out.append(tail, 4);
}

QByteArray nmeaSentences(const GpsRecord& r) {
    // Widened before taking the magnitude, so that the most negative value cannot overflow.
    const double lat = std::llabs(std::int64_t{r.latitude}) / 10000.0;
    const double lon = std::llabs(std::int64_t{r.longitude}) / 10000.0;
    const char ns = r.latitude > 0 ? 'N' : 'S';
    const char ew = r.longitude > 0 ? 'E' : 'W';

    QByteArray out;
    out.reserve(160);
    char text[160];
    int n = std::snprintf(text, sizeof text,
                          "$GPRMC,%06d.000,A,%09.4f,%c,%010.4f,%c,%.2f,%.2f,%06d,,,A*", r.time, lat,
                          ns, lon, ew, r.speed / 100.0, r.course / 100.0, r.date);
    appendNmeaLine(out, QByteArrayView(text, n));
    n = std::snprintf(text, sizeof text,
                      "$GPGGA,%06d.000,%09.4f,%c,%010.4f,%c,1,0,0,%.1f,M,0.0,M,,*", r.time, lat, ns,
                      lon, ew, r.altitude / 10.0);
    appendNmeaLine(out, QByteArrayView(text, n));
    return out;
}

QByteArray nmeaLog(const std::uint8_t* memory, std::size_t size) {
    QByteArray log;
    forEachGpsRecord(memory, size, [&log](const GpsRecord& r) { log.append(nmeaSentences(r)); });
    return log;
}
