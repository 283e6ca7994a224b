#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "aprs/packet_reader.h"

class Form;

// The four beacons as the tracker sends them: each beacon's packet built from the settings,
// its placeholders filled with sample values, and read back as a receiver would.

// A GPS fix as the tracker's GPS memory stores it.
struct GpsFix {
    std::int32_t latitude;   // NMEA ddmm.mmmm x 10,000; > 0 north, otherwise south
    std::int32_t longitude;  // NMEA dddmm.mmmm x 10,000; > 0 east, otherwise west
    std::int32_t time;       // UTC hhmmss
    std::int32_t date;       // UTC ddmmyy
};

// What the placeholders are filled with: <gpslat>, <gpslong> and <gpsdate> from the GPS fix
// when there is one, otherwise from the station position and `utcNow`; <statlat> and
// <statlong> from the station position; <volt> and <temp> from the two samples.
struct SampleValues {
    std::optional<GpsFix> gps;
    QDateTime utcNow;
    QString volt = QStringLiteral("12.6");
    QString temp = QStringLiteral("21");
};

// `message` with its placeholders filled as the tracker fills them, and the line breaks the
// tracker drops removed. Each text in angle brackets of lower-case letters that is not a
// placeholder is added to `unknown` and left in place.
QString fillPlaceholders(const QString& message, const Form& form, const SampleValues& samples,
                         QStringList* unknown);

struct BeaconReport {
    int number = 0;
    QString packet;         // in monitor form, SOURCE>DESTINATION,PATH:information
    PacketReading reading;  // with the unknown placeholders among its problems
    QStringList notes;      // when it is sent, or what keeps it off the air
};

// Beacons 1 to 4.
std::vector<BeaconReport> readBeacons(const Form& form, const SampleValues& samples);

// The packet, its reading, notes and problems, in lines for people.
QStringList describeBeacon(const BeaconReport& beacon);
