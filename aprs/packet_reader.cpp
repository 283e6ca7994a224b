#include "aprs/packet_reader.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <string_view>

#include "settings/ax25_call.h"

namespace {

using Text = std::string_view;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(Text text) {
    return std::all_of(text.begin(), text.end(), isDigit);
}

int number(Text digits) {
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

QString quoted(Text text) {
    return QStringLiteral("\"%1\"").arg(QString::fromUtf8(text.data(), text.size()));
}

QString toQString(Text text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Reading goes on from `rest`; a part that fails adds its problem and returns false.
struct Reader {
    PacketReading& out;
    Text rest;

    bool fail(const QString& problem) {
        out.problems << problem;
        return false;
    }
    bool positionFails(const QString& why) {
        return fail(QStringLiteral("the position does not parse: ") + why);
    }

    Text take(std::size_t count) {
        const Text part = rest.substr(0, count);
        rest.remove_prefix(part.size());
        return part;
    }

    // DDHHMMz, DDHHMM/ (local time) or HHMMSSh.
    bool timeStamp() {
        const Text stamp = take(7);
        const bool wellFormed = stamp.size() == 7 && allDigits(stamp.substr(0, 6));
        if (wellFormed) {
            const int a = number(stamp.substr(0, 2));
            const int b = number(stamp.substr(2, 2));
            const int c = number(stamp.substr(4, 2));
            const bool dayHourMinute =
                (stamp[6] == 'z' || stamp[6] == '/') && a >= 1 && a <= 31 && b <= 23 && c <= 59;
            const bool hourMinuteSecond = stamp[6] == 'h' && a <= 23 && b <= 59 && c <= 59;
            if (dayHourMinute || hourMinuteSecond) {
                return true;
            }
        }
        return positionFails(QStringLiteral("the time stamp %1 is not DDHHMMz, DDHHMM/ or HHMMSSh")
                                 .arg(quoted(stamp)));
    }

    // DDMM.mmN or DDDMM.mmE: `degreeDigits` digits of degrees, minutes with two decimals and
    // the hemisphere. Position ambiguity puts blanks for the last digits of the minutes.
    std::optional<double> coordinate(Text field, std::size_t degreeDigits, int maxDegrees,
                                     char positive, char negative) {
        const std::size_t d = degreeDigits;
        if (field.size() != d + 6 || field[d + 2] != '.' ||
            (field[d + 5] != positive && field[d + 5] != negative) ||
            !allDigits(field.substr(0, d))) {
            return std::nullopt;
        }
        // The minute digits, blanks allowed only from the right.
        const char minutes[4] = {field[d], field[d + 1], field[d + 3], field[d + 4]};
        int value = 0;
        bool blank = false;
        for (char c : minutes) {
            if (c == ' ') {
                blank = true;
            } else if (!isDigit(c) || blank) {
                return std::nullopt;
            }
            value = value * 10 + (c == ' ' ? 0 : c - '0');
        }
        const int degrees = number(field.substr(0, d));
        if (value >= 6000 || degrees > maxDegrees || (degrees == maxDegrees && value > 0)) {
            return std::nullopt;
        }
        const double result = degrees + value / 6000.0;
        return field[d + 5] == positive ? result : -result;
    }

    bool symbol(char table, char code) {
        const AprsSymbol s{table, code};
        out.symbol = s;
        if (!isSymbolTable(table)) {
            return fail(QStringLiteral("the symbol table %1 is neither / nor \\ nor an overlay "
                                       "(0-9, A-Z)")
                            .arg(quoted(Text(&table, 1))));
        }
        if (symbolName(s).isEmpty()) {
            const char both[2] = {table, code};
            return fail(QStringLiteral("the symbol %1 does not exist").arg(quoted(Text(both, 2))));
        }
        return true;
    }

    bool plainPosition() {
        const Text latitude = take(8);
        const Text table = take(1);
        const Text longitude = take(9);
        const Text code = take(1);
        const auto lat = coordinate(latitude, 2, 90, 'N', 'S');
        if (!lat) {
            return positionFails(
                QStringLiteral("the latitude %1 is not DDMM.mmN or DDMM.mmS with degrees up "
                               "to 90 and minutes below 60")
                    .arg(quoted(latitude)));
        }
        const auto lon = coordinate(longitude, 3, 180, 'E', 'W');
        if (!lon || code.empty()) {
            return positionFails(
                QStringLiteral("the longitude %1 is not DDDMM.mmE or DDDMM.mmW with degrees up "
                               "to 180 and minutes below 60")
                    .arg(quoted(longitude)));
        }
        out.position = AprsPosition{*lat, *lon, false};
        return symbol(table[0], code[0]);
    }

    static bool base91(Text text, double& value) {
        value = 0;
        for (char c : text) {
            if (c < '!' || c > '{') {
                return false;
            }
            value = value * 91 + (c - '!');
        }
        return true;
    }

    // Table, 4 characters of latitude and 4 of longitude in base 91, symbol code, course and
    // speed (or range, or altitude) in 2 characters and their type in 1.
    bool compressedPosition() {
        const Text field = take(13);
        if (field.size() < 13) {
            return positionFails(
                QStringLiteral("the compressed position %1 is shorter than 13 characters")
                    .arg(quoted(field)));
        }
        double y = 0;
        double x = 0;
        if (!base91(field.substr(1, 4), y) || !base91(field.substr(5, 4), x)) {
            return positionFails(QStringLiteral("the compressed position %1 holds a character "
                                                "outside ! to {")
                                     .arg(quoted(field)));
        }
        const double latitude = 90 - y / 380926;
        const double longitude = -180 + x / 190463;
        if (std::fabs(latitude) > 90 || std::fabs(longitude) > 180) {
            return positionFails(
                QStringLiteral("the compressed position %1 lies beyond the poles or the date line")
                    .arg(quoted(field)));
        }
        out.position = AprsPosition{latitude, longitude, true};
        // Overlays 0-9 are written a-j in compressed positions.
        const char table = field[0] >= 'a' && field[0] <= 'j' ? '0' + (field[0] - 'a') : field[0];
        return symbol(table, field[9]);
    }

    // A plain position starts with the digits of the latitude; a compressed one with its
    // symbol table.
    bool position() {
        const char first = rest.empty() ? 0 : rest[0];
        if (isDigit(first)) {
            return plainPosition();
        }
        if (first == '/' || first == '\\' || (first >= 'A' && first <= 'Z') ||
            (first >= 'a' && first <= 'j')) {
            return compressedPosition();
        }
        return positionFails(
            QStringLiteral("%1 is neither DDMM.mmN/DDDMM.mmE nor a compressed position")
                .arg(quoted(rest.substr(0, 19))));
    }

    void comment() { out.comment = toQString(rest); }
};

void readObject(Reader& r) {
    const Text name = r.take(9);
    const Text state = r.take(1);
    if (name.size() < 9 || (state != "*" && state != "_")) {
        r.fail(
            QStringLiteral("the object does not parse: its name must be 9 characters "
                           "followed by * (live) or _ (killed)"));
        return;
    }
    r.out.name = toQString(name).trimmed();
    if (r.timeStamp() && r.position()) {
        r.comment();
    }
}

void readItem(Reader& r) {
    const std::size_t end = r.rest.find_first_of("!_");
    if (end == Text::npos || end < 3 || end > 9) {
        r.fail(
            QStringLiteral("the item does not parse: its name must be 3 to 9 characters "
                           "followed by ! (live) or _ (killed)"));
        return;
    }
    r.out.name = toQString(r.take(end));
    r.take(1);
    if (r.position()) {
        r.comment();
    }
}

void readMessage(Reader& r) {
    const Text addressee = r.take(9);
    if (addressee.size() < 9 || r.take(1) != ":") {
        r.fail(
            QStringLiteral("the message does not parse: its addressee must be 9 characters "
                           "between two colons"));
        return;
    }
    r.out.name = toQString(addressee).trimmed();
    r.comment();
}

// T#sss,a1,a2,a3,a4,a5,bbbbbbbb and a comment.
void readTelemetry(Reader& r) {
    r.take(1);
    const QStringList fields = toQString(r.rest).split(QLatin1Char(','));
    bool ok = fields.size() == 7 && fields[6].size() >= 8;
    for (qsizetype i = 1; ok && i < 6; ++i) {
        fields[i].toDouble(&ok);
    }
    for (qsizetype i = 0; ok && i < 8; ++i) {
        ok = fields[6][i] == QLatin1Char('0') || fields[6][i] == QLatin1Char('1');
    }
    if (!ok) {
        r.fail(
            QStringLiteral("the telemetry does not parse: it must be T#sequence, five "
                           "values and eight bits, separated by commas"));
        return;
    }
    r.out.name = fields[0];
    r.out.comment = fields[6].mid(8);
}

// Data types read no further than their name.
const char* otherDataType(char identifier) {
    switch (identifier) {
        case '`':
        case '\'':
            return "Mic-E";
        case '$':
            return "raw GPS data";
        case '_':
        case '#':
        case '*':
            return "weather report";
        case '<':
            return "station capabilities";
        case '?':
            return "query";
        case '{':
            return "user-defined data";
        case '}':
            return "third-party traffic";
        case '[':
            return "Maidenhead locator";
        case '%':
            return "Agrelo DF data";
        default:
            return nullptr;
    }
}

// A call of up to six upper-case letters and digits, with an SSID from 0 to 15 after a "-"
// when it is not 0. A digipeater that has repeated the packet marks it with "*".
bool validAddress(Text address) {
    if (!address.empty() && address.back() == '*') {
        address.remove_suffix(1);
    }
    const std::size_t dash = address.find('-');
    // The same rule as the address fields of the settings.
    if (!isAx25Call(toQString(address.substr(0, dash)))) {
        return false;
    }
    if (dash == Text::npos) {
        return true;
    }
    const Text ssid = address.substr(dash + 1);
    return !ssid.empty() && ssid.size() <= 2 && allDigits(ssid) && number(ssid) <= 15 &&
           !(ssid.size() == 2 && ssid[0] == '0');
}

}  // namespace

PacketReading readInformationField(const QString& field) {
    PacketReading reading;
    const QByteArray bytes = field.toUtf8();
    Reader r{reading, Text(bytes.constData(), static_cast<std::size_t>(bytes.size()))};
    if (bytes.size() > kMaxInformationField) {
        r.fail(QStringLiteral("the information field is %1 bytes; APRS allows at most %2")
                   .arg(bytes.size())
                   .arg(kMaxInformationField));
    }
    if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return c < ' ' || c > '~'; })) {
        r.fail(
            QStringLiteral("the information field holds a character that is not printable "
                           "ASCII"));
    }
    if (bytes.isEmpty()) {
        r.fail(QStringLiteral("the information field is empty"));
        return reading;
    }
    const char identifier = r.take(1)[0];
    switch (identifier) {
        case '!':
        case '=':
            reading.kind = PacketKind::Position;
            if (r.position()) {
                r.comment();
            }
            break;
        case '/':
        case '@':
            reading.kind = PacketKind::PositionWithTime;
            if (r.timeStamp() && r.position()) {
                r.comment();
            }
            break;
        case '>':
            reading.kind = PacketKind::Status;
            if (r.rest.size() >= 7 && allDigits(r.rest.substr(0, 6)) && r.rest[6] == 'z') {
                r.take(7);
            }
            r.comment();
            break;
        case ';':
            reading.kind = PacketKind::Object;
            readObject(r);
            break;
        case ')':
            reading.kind = PacketKind::Item;
            readItem(r);
            break;
        case ':':
            reading.kind = PacketKind::Message;
            readMessage(r);
            break;
        default:
            if (identifier == 'T' && !r.rest.empty() && r.rest[0] == '#') {
                reading.kind = PacketKind::Telemetry;
                readTelemetry(r);
            } else if (const char* type = otherDataType(identifier)) {
                reading.dataType = QString::fromLatin1(type);
            } else {
                r.fail(QStringLiteral("the information field starts with %1, which is no APRS "
                                      "data type")
                           .arg(quoted(Text(&identifier, 1))));
            }
    }
    return reading;
}

PacketReading readPacket(const QString& packet) {
    const qsizetype colon = packet.indexOf(QLatin1Char(':'));
    PacketReading reading = readInformationField(colon < 0 ? QString() : packet.mid(colon + 1));
    QStringList problems;
    const QString header = packet.left(colon);
    const qsizetype arrow = header.indexOf(QLatin1Char('>'));
    if (colon < 0 || arrow < 0) {
        problems << QStringLiteral("the packet is not SOURCE>DESTINATION,PATH:information");
    } else {
        const QStringList route = header.mid(arrow + 1).split(QLatin1Char(','));
        const auto check = [&problems](const QString& role, const QString& address) {
            const QByteArray bytes = address.toUtf8();
            if (!validAddress(Text(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
                problems << QStringLiteral("the %1 \"%2\" is not a call with an SSID from 0 to 15")
                                .arg(role, address);
            }
        };
        check(QStringLiteral("source"), header.left(arrow));
        check(QStringLiteral("destination"), route[0]);
        for (qsizetype i = 1; i < route.size(); ++i) {
            check(QStringLiteral("path element"), route[i]);
        }
    }
    reading.problems = problems + reading.problems;
    return reading;
}

QString kindName(PacketKind kind) {
    switch (kind) {
        case PacketKind::Position:
            return QStringLiteral("position");
        case PacketKind::PositionWithTime:
            return QStringLiteral("position with time stamp");
        case PacketKind::Status:
            return QStringLiteral("status");
        case PacketKind::Object:
            return QStringLiteral("object");
        case PacketKind::Item:
            return QStringLiteral("item");
        case PacketKind::Message:
            return QStringLiteral("message");
        case PacketKind::Telemetry:
            return QStringLiteral("telemetry");
        case PacketKind::Other:
            break;
    }
    return QStringLiteral("other APRS data");
}

QString positionText(const AprsPosition& position) {
    const auto part = [](double value, int width, char positive, char negative) {
        // Rounded to hundredths of a minute first, so that 59.999 minutes show as the next
        // degree.
        const long hundredths = std::lround(std::fabs(value) * 6000);
        return QStringLiteral("%1\u00B0%2'%3")
            .arg(hundredths / 6000, width, 10, QLatin1Char('0'))
            .arg((hundredths % 6000) / 100.0, 5, 'f', 2, QLatin1Char('0'))
            .arg(QLatin1Char(value >= 0 ? positive : negative));
    };
    return part(position.latitude, 2, 'N', 'S') + u' ' + part(position.longitude, 3, 'E', 'W');
}

QStringList describeReading(const PacketReading& reading) {
    QString head = reading.dataType.isEmpty()
                       ? kindName(reading.kind)
                       : kindName(reading.kind) + QStringLiteral(" (") + reading.dataType + u')';
    if (!reading.name.isEmpty()) {
        head +=
            (reading.kind == PacketKind::Message ? QStringLiteral(" to ") : QStringLiteral(" ")) +
            u'"' + reading.name + u'"';
    }
    if (reading.position) {
        head += (reading.position->compressed ? QStringLiteral(", compressed, at ")
                                              : QStringLiteral(" at ")) +
                positionText(*reading.position);
    }
    if (reading.symbol) {
        const QString name = symbolName(*reading.symbol);
        head += QStringLiteral(", symbol %1 (%2)")
                    .arg(name.isEmpty() ? QStringLiteral("none") : name,
                         QString(QLatin1Char(reading.symbol->table)) +
                             QLatin1Char(reading.symbol->code));
    }
    QStringList lines{head};
    if (!reading.comment.isEmpty()) {
        lines << QStringLiteral("comment: ") + reading.comment;
    }
    return lines;
}
