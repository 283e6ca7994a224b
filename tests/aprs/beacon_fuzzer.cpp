// Reads arbitrary bytes as beacon 1's message and destination and the callsign (split at \x01):
// filling the placeholders and reading the packets as a receiver would may neither crash nor read
// out of bounds, and the filled message holds no line break.
#include <cstdlib>

#include "aprs/beacon_packets.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryForm form;
    applyStartupDefaults(form);
    const QStringList parts =
        QString::fromUtf8(QByteArrayView(data, static_cast<qsizetype>(size))).split(QChar(1));
    const char* const fields[] = {"Beacon1_message", "Beacon1_dest_string", "Callsign"};
    for (qsizetype i = 0; i < parts.size() && i < 3; ++i) {
        form.setText(fields[i], parts[i]);
    }
    const SampleValues samples{GpsFix{52135000, -21004500, 123519, 71226}, {}};
    const QString filled = fillPlaceholders(parts[0], form, samples, nullptr);
    bool sound = !filled.contains(u'\n') && !filled.contains(u'\r');
    for (const BeaconReport& beacon : readBeacons(form, samples)) {
        sound = sound && !describeBeacon(beacon).isEmpty();
    }
    if (!sound) {
        std::abort();
    }
    return 0;
}
