#include "aprs/beacon_packets.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

#include "settings/form.h"
#include "settings/number.h"
#include "settings/schema.h"

namespace {

// Index of "Never" in the beacon condition list.
constexpr int kNever = 0;

// DDMM.mmN or DDDMM.mmE from a GPS memory coordinate (NMEA minutes x 10,000); the
// hundredths are cut, not rounded, as 59.999 minutes must not become 60.00.
QString gpsCoordinate(std::int32_t value, int degreeDigits, char positive, char negative) {
    const long magnitude = std::labs(static_cast<long>(value));
    return QStringLiteral("%1%2.%3%4")
        .arg(magnitude / 1000000, degreeDigits, 10, QLatin1Char('0'))
        .arg(magnitude / 10000 % 100, 2, 10, QLatin1Char('0'))
        .arg(magnitude / 100 % 100, 2, 10, QLatin1Char('0'))
        .arg(QLatin1Char(value > 0 ? positive : negative));
}

QString dayHourMinute(int day, int hour, int minute) {
    return QStringLiteral("%1%2%3")
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'));
}

using Placeholders = std::map<QString, std::function<QString()>>;

// The functions hold `form` and `samples` by reference: the table lives no longer than they.
Placeholders placeholders(const Form& form, const SampleValues& samples) {
    const auto statLat = [&form] { return form.text("Latitude"); };
    const auto statLong = [&form] { return form.text("Longitude"); };
    const std::optional<GpsFix>* gps = &samples.gps;
    return {
        {QStringLiteral("statlat"), statLat},
        {QStringLiteral("statlong"), statLong},
        {QStringLiteral("gpslat"),
         [gps, statLat] {
             return *gps ? gpsCoordinate((*gps)->latitude, 2, 'N', 'S') : statLat();
         }},
        {QStringLiteral("gpslong"),
         [gps, statLong] {
             return *gps ? gpsCoordinate((*gps)->longitude, 3, 'E', 'W') : statLong();
         }},
        {QStringLiteral("gpsdate"),
         [gps, &samples] {
             if (const std::optional<GpsFix>& fix = *gps) {
                 return dayHourMinute(fix->date / 10000, fix->time / 10000, fix->time / 100 % 100);
             }
             const QDateTime now = samples.utcNow.toUTC();
             return dayHourMinute(now.date().day(), now.time().hour(), now.time().minute());
         }},
        {QStringLiteral("volt"), [&samples] { return samples.volt; }},
        {QStringLiteral("temp"), [&samples] { return samples.temp; }},
    };
}

// The call as the tracker stores it (letters a to z in upper case), with "-SSID" unless the
// SSID is 0; an SSID that is not a number is kept as typed, for the reader to refuse.
QString address(const QString& call, const QString& ssid) {
    QString upper = call;
    for (QChar& c : upper) {
        if (c >= u'a' && c <= u'z') {
            c = QChar(c.unicode() - 'a' + 'A');
        }
    }
    const std::optional<std::int32_t> number = parseWholeNumber(ssid);
    return number && *number == 0 ? upper : upper + u'-' + ssid;
}

}  // namespace

QString fillPlaceholders(const QString& typed, const Form& form, const SampleValues& samples,
                         QStringList* unknown) {
    const Placeholders known = placeholders(form, samples);
    QString message = typed;
    message.remove(u'\r').remove(u'\n');  // the tracker holds the message without them
    QString filled;
    qsizetype i = 0;
    while (i < message.size()) {
        const QChar c = message[i];
        const qsizetype close = c == u'<' ? message.indexOf(u'>', i + 1) : -1;
        const QString name = close > i + 1 ? message.mid(i + 1, close - i - 1) : QString();
        const bool placeholder =
            !name.isEmpty() &&
            std::all_of(name.begin(), name.end(), [](QChar l) { return l >= u'a' && l <= u'z'; });
        if (!placeholder) {
            filled += c;
            ++i;
            continue;
        }
        const auto value = known.find(name);
        if (value != known.end()) {
            filled += value->second();
        } else {
            filled += message.mid(i, close - i + 1);
            if (unknown) {
                *unknown << u'<' + name + u'>';
            }
        }
        i = close + 1;
    }
    return filled;
}

std::vector<BeaconReport> readBeacons(const Form& form, const SampleValues& samples) {
    std::vector<BeaconReport> beacons;
    for (int k = 1; k <= kBeacons; ++k) {
        const auto text = [&form, k](std::string_view suffix) {
            return form.text(familyName("Beacon", k, suffix));
        };
        BeaconReport beacon;
        beacon.number = k;
        QStringList route{address(text("_dest_string"), text("_dest_ssid"))};
        for (const char* path : {"_path1", "_path2"}) {
            const QString call = text(std::string(path) + "_string");
            if (!call.isEmpty()) {
                route << address(call, text(std::string(path) + "_ssid"));
            }
        }
        QStringList unknown;
        const QString message = text("_message");
        const QString field = fillPlaceholders(message, form, samples, &unknown);
        beacon.packet = address(form.text("Callsign"), form.text("Ssid")) + u'>' +
                        route.join(u',') + u':' + field;

        const int condition = form.index(familyName("Beacon", k, "_enable"));
        if (condition <= kNever) {
            beacon.notes << QStringLiteral("never sent: its condition is \"Never\"");
        } else {
            beacon.notes << QStringLiteral("sent every %1 minutes when the condition \"%2\" holds")
                                .arg(text("_txrate"), lists::BeaconCondition.items.at(condition));
        }
        if (field.isEmpty()) {
            // The tracker leaves out a beacon without a message.
            beacon.notes = QStringList{QStringLiteral("nothing is sent: the message is empty")};
        } else {
            beacon.reading = readPacket(beacon.packet);
            // A misspelt placeholder first: what it spoils comes after.
            for (qsizetype i = 0; i < unknown.size(); ++i) {
                beacon.reading.problems.insert(i,
                                               QStringLiteral("unknown placeholder ") + unknown[i]);
            }
        }
        beacons.push_back(beacon);
    }
    return beacons;
}

QStringList describeBeacon(const BeaconReport& beacon) {
    QStringList lines{QStringLiteral("Beacon %1: %2").arg(beacon.number).arg(beacon.packet)};
    const auto indent = [&lines](const QString& prefix, const QStringList& more) {
        for (const QString& line : more) {
            lines << QStringLiteral("  ") + prefix + line;
        }
    };
    if (!beacon.packet.endsWith(u':')) {  // an empty message is not read
        indent(QString(), describeReading(beacon.reading));
    }
    indent(QStringLiteral("note: "), beacon.notes);
    indent(QStringLiteral("problem: "), beacon.reading.problems);
    return lines;
}
