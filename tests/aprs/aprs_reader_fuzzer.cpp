// Reads arbitrary bytes as a monitor-form packet: the reader may neither crash nor read out of
// bounds, and a packet it reads without a problem has a position on the globe and a symbol
// with a name.
#include <cmath>
#include <cstdlib>

#include "aprs/packet_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString packet =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const PacketReading reading = readPacket(packet);
    describeReading(reading);
    if (reading.ok() && reading.position &&
        (std::fabs(reading.position->latitude) > 90 ||
         std::fabs(reading.position->longitude) > 180)) {
        std::abort();
    }
    if (reading.ok() && reading.symbol && symbolName(*reading.symbol).isEmpty()) {
        std::abort();
    }
    return 0;
}
