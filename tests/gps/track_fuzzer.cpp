// Reads arbitrary bytes as an NMEA log and builds the track view's track from its records:
// neither may crash or read out of bounds, every record is a point or left out, and points lie
// on the globe.
#include <cmath>
#include <cstdlib>

#include "gps/track.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<GpsRecord> records =
        readNmeaLog(QByteArrayView(data, static_cast<qsizetype>(size))).records;
    const Track track = buildTrack(records);
    bool sound = track.samples.size() + static_cast<std::size_t>(track.leftOut) == records.size();
    for (const TrackSample& s : track.samples) {
        sound = sound && std::fabs(s.latitude) <= 90 && std::isfinite(s.longitude);
    }
    if (!sound) {
        std::abort();
    }
    return 0;
}
