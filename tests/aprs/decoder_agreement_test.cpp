// The beacons read by the project's reader and by Dire Wolf's decode_aprs, packet for packet.
// decode_aprs must be installed (scripts/install-deps.sh installs the direwolf package): the
// test fails without it rather than pass unchecked.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cmath>
#include <utility>
#include <vector>

#include "aprs/beacon_packets.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"

namespace {

// What decode_aprs printed for one packet. It colours its lines: errors red, the decoded
// description blue, the comment plain.
struct DecoderOutput {
    QStringList errors;
    QString description;  // "Position with time, normal car (side view), <system>"
    std::optional<double> latitudeMinutes, longitudeMinutes;  // signed, in minutes
    QString comment;
};

DecoderOutput decodeAprs(const QString& packet) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("decode_aprs"));
    if (program.isEmpty()) {
        ADD_FAILURE() << "decode_aprs not found: scripts/install-deps.sh installs direwolf";
        return {};
    }
    QProcess process;
    process.start(program, {});
    process.write((packet + u'\n').toUtf8());
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(10000));
    DecoderOutput out;
    const QString red = QStringLiteral("\x1b[38;2;255;0;0m");
    const QString blue = QStringLiteral("\x1b[38;2;0;0;255m");
    const QRegularExpression position(
        QStringLiteral("^([NS]) (\\d+) ([\\d.]+), ([EW]) (\\d+) ([\\d.]+)"));
    bool echoed = false;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        if (!echoed) {
            echoed = line == packet;
        } else if (line.startsWith(red)) {
            out.errors << line.mid(red.size());
        } else if (line.startsWith(blue) && out.description.isEmpty()) {
            out.description = line.mid(blue.size());
        } else if (line.startsWith(blue)) {
            const auto m = position.match(line.mid(blue.size()));
            if (m.hasMatch()) {
                const auto minutes = [&m](int at) {
                    const double value =
                        m.captured(at + 1).toInt() * 60 + m.captured(at + 2).toDouble();
                    return m.captured(at) == u'N' || m.captured(at) == u'E' ? value : -value;
                };
                out.latitudeMinutes = minutes(1);
                out.longitudeMinutes = minutes(4);
            }
        } else if (!line.isEmpty() && out.comment.isEmpty()) {
            out.comment = line;
        }
    }
    EXPECT_TRUE(echoed) << "decode_aprs did not echo " << packet.toStdString();
    return out;
}

// How decode_aprs names the kinds.
QString decoderKind(PacketKind kind) {
    switch (kind) {
        case PacketKind::Position:
            return QStringLiteral("Position,");
        case PacketKind::PositionWithTime:
            return QStringLiteral("Position with time,");
        case PacketKind::Status:
            return QStringLiteral("Status Report,");
        case PacketKind::Object:
            return QStringLiteral("Object,");
        case PacketKind::Item:
            return QStringLiteral("Item,");
        case PacketKind::Message:
            return QStringLiteral("APRS Message");
        case PacketKind::Telemetry:
            return QStringLiteral("Telemetry,");
        case PacketKind::Other:
            break;
    }
    return QStringLiteral("?");
}

struct Row {
    const char* what;
    QString message;                                   // beacon 1's message
    std::vector<std::pair<const char*, QString>> set;  // other settings changed
    QString problem;       // part of the problem the reader must report; empty for a good beacon
    QString decoderError;  // part of decode_aprs's error line; empty when it says none
};

const QString kLong = QStringLiteral("!<statlat>/<statlong>>") + QString(250, u'x');

const Row kRows[] = {
    // Well-formed: the default beacons and variants of every kind.
    {"beacon 1", "/<gpsdate>z<gpslat>/<gpslong>>Veltromark U=<volt>V.", {}, "", ""},
    {"beacon 2", "!<statlat>/<statlong>>Veltromark U=<volt>V.", {}, "", ""},
    {"beacon 3", "!<statlat>/<statlong>>Veltromark U=<volt>V, T=<temp>C.", {}, "", ""},
    {"compressed", "=/5L!!<*e7>  !Compressed", {}, "", ""},
    {"compressed overlay", "!e5L!!<*e7n  !Four", {}, "", ""},
    {"overlay", "!<statlat>5<statlong>nOverlay five", {}, "", ""},
    {"alternate table", "!<statlat>\\<statlong>kSUV", {{"Beacon1_path2_string", ""}}, "", ""},
    {"HMS time", "@123519h<statlat>/<statlong>-Home", {{"Beacon1_dest_ssid", "0"}}, "", ""},
    {"status", ">Veltromark on the air", {}, "", ""},
    {"object", ";LEADER   *<gpsdate>z<gpslat>/<gpslong>kLead truck", {}, "", ""},
    {"item", ")AID#2!<statlat>/<statlong>AFirst aid", {}, "", ""},
    {"message", ":NOCALL-1 :Hello{1", {}, "", ""},
    {"telemetry", "T#005,199,000,255,073,123,01101001", {}, "", ""},
    // Problems.
    {"misspelt placeholder",
     "/<gpsdate>z<gpslat>/<gpslon>>x",
     {},
     "unknown placeholder <gpslon>",
     "Invalid character in longitude"},
    {"no z", "/<gpsdate><gpslat>/<gpslong>>x", {}, "time stamp", "Invalid character in latitude"},
    {"bad table", "!<statlat>:<statlong>>x", {}, "symbol table \":\"", "Symbol table identifier"},
    // The reference forbids "|" (a TNC stream switch) as a symbol; decode_aprs names it and
    // reads on.
    {"stream switch", "!<statlat>/<statlong>|x", {}, "symbol \"/|\" does not exist", ""},
    // An unassigned code: decode_aprs shows "was originally undefined" and reads on.
    {"unassigned", "!<statlat>/<statlong>Dx", {}, "symbol \"/D\" does not exist", ""},
    {"minutes 60",
     "!<statlat>/<statlong>>x",
     {{"Latitude", "5260.00N"}},
     "latitude",
     "tens of minutes"},
    // The reference allows 256 bytes; decode_aprs reads 270 without a word.
    {"too long", kLong, {}, "256", ""},
    {"path SSID 16",
     "!<statlat>/<statlong>>x",
     {{"Beacon1_path1_ssid", "16"}},
     "path element",
     "SSID out of range"},
    {"destination SSID",
     "!<statlat>/<statlong>>x",
     {{"Beacon1_dest_ssid", "x"}},
     "destination",
     "must be digits"},
    {"long source", "!<statlat>/<statlong>>x", {{"Callsign", "NOCALL1"}}, "source", "too long"},
};

class DecoderAgreement : public testing::TestWithParam<Row> {};

TEST_P(DecoderAgreement, ReaderAndDecodeAprsAgree) {
    const Row& row = GetParam();
    MemoryForm form;
    applyStartupDefaults(form);
    form.setText("Beacon1_message", row.message);
    for (const auto& [name, text] : row.set) {
        form.setText(name, text);
    }
    const SampleValues samples{GpsFix{52135000, 21004500, 123519, 230394}, {}};
    const BeaconReport beacon = readBeacons(form, samples).front();
    const PacketReading& ours = beacon.reading;
    const DecoderOutput theirs = decodeAprs(beacon.packet);
    SCOPED_TRACE(beacon.packet.toStdString());

    if (!row.problem.isEmpty()) {
        EXPECT_TRUE(ours.problems.join(u'|').contains(row.problem))
            << ours.problems.join(u'|').toStdString();
        EXPECT_EQ(theirs.errors.join(u'|').contains(row.decoderError), true)
            << theirs.errors.join(u'|').toStdString();
        EXPECT_EQ(theirs.errors.isEmpty(), row.decoderError.isEmpty());
        return;
    }
    ASSERT_TRUE(ours.ok()) << ours.problems.join(u'|').toStdString();
    ASSERT_TRUE(theirs.errors.isEmpty()) << theirs.errors.join(u'|').toStdString();
    EXPECT_TRUE(theirs.description.startsWith(decoderKind(ours.kind)))
        << kindName(ours.kind).toStdString() << " / " << theirs.description.toStdString();
    if (ours.kind == PacketKind::Telemetry) {
        // decode_aprs lists the values where the comment would be.
        EXPECT_TRUE(theirs.comment.startsWith(QStringLiteral("Seq=%1,").arg(ours.name.toInt())))
            << theirs.comment.toStdString();
    } else {
        EXPECT_EQ(ours.comment, theirs.comment);
    }
    EXPECT_EQ(ours.position.has_value(), theirs.latitudeMinutes.has_value());
    if (ours.position) {
        EXPECT_NEAR(ours.position->latitude * 60, theirs.latitudeMinutes.value_or(0), 0.01);
        EXPECT_NEAR(ours.position->longitude * 60, theirs.longitudeMinutes.value_or(0), 0.01);
    }
    if (ours.symbol) {
        // decode_aprs's name holds ours ("normal car (side view)" and "car"); an overlay it
        // adds as "w/overlay 5".
        const QString name = symbolName(*ours.symbol).section(QStringLiteral(" with "), 0, 0);
        EXPECT_TRUE(theirs.description.contains(name, Qt::CaseInsensitive))
            << name.toStdString() << " / " << theirs.description.toStdString();
        const char overlay = ours.symbol->overlay();
        EXPECT_EQ(theirs.description.contains(QStringLiteral("w/overlay ") + QLatin1Char(overlay)),
                  overlay != 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Beacons, DecoderAgreement, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                             QString name = QString::fromLatin1(info.param.what);
                             name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")),
                                          QStringLiteral("_"));
                             return name.toStdString();
                         });

}  // namespace
