#include "operations/sample_values.h"

#include <QDateTime>

#include "gps/gps_record.h"

SampleValues sampleValues(std::span<const std::uint8_t> gpsMemory) {
    SampleValues samples;
    samples.utcNow = QDateTime::currentDateTimeUtc();
    forEachGpsRecord(gpsMemory.data(), gpsMemory.size(), [&samples](const GpsRecord& r) {
        samples.gps = GpsFix{r.latitude, r.longitude, r.time, r.date};
    });
    return samples;
}
