#include "aprs/beacon_packets.h"

#include <gtest/gtest.h>

#include "rules/startup_defaults.h"
#include "settings/memory_form.h"

namespace {

class BeaconPackets : public testing::Test {
  protected:
    BeaconPackets() { applyStartupDefaults(form); }
    MemoryForm form;
    const QDateTime now{QDate(2026, 12, 7), QTime(19, 5, 42), Qt::UTC};
};

struct Filling {
    QString message;
    std::optional<GpsFix> gps;
    QString filled;
    QStringList unknown;
};

TEST_F(BeaconPackets, PlaceholdersAreFilledAsTheTrackerFillsThem) {
    const GpsFix north{52135000, 21004500, 123519, 230394};
    const GpsFix south{-3351239, -7012399, 5, 10120};
    const Filling rows[] = {
        {"<gpslat>/<gpslong> <gpsdate>", north, "5213.50N/02100.45E 231235", {}},
        // South and west, the hundredths of a minute cut rather than rounded.
        {"<gpslat>/<gpslong> <gpsdate>", south, "0335.12S/00701.23W 010000", {}},
        // Without a download: the station position and the time now.
        {"<gpslat>/<gpslong> <gpsdate>", std::nullopt, "5223.08N/01658.14E 071905", {}},
        {"<statlat><statlong>", north, "5223.08N01658.14E", {}},
        {"U=<volt>V T=<temp>C", std::nullopt, "U=12.6V T=21C", {}},
        {"a<gps>b<Volt>c<x y><>d<", north, "a<gps>b<Volt>c<x y><>d<", {"<gps>"}},
        {"one\r\ntwo<volt\n>", north, "onetwo12.6", {}},
    };
    for (const Filling& row : rows) {
        QStringList unknown;
        EXPECT_EQ(fillPlaceholders(row.message, form, {row.gps, now}, &unknown), row.filled)
            << row.message.toStdString();
        EXPECT_EQ(unknown, row.unknown) << row.message.toStdString();
    }
}

// The information field counts once filled: <statlat> and <statlong> are longer than what
// they stand for, so a message of 258 characters fills to 256.
TEST_F(BeaconPackets, InformationFieldIsAtMost256BytesOnceFilled) {
    for (const auto& [padding, ok] : {std::pair{236, true}, std::pair{237, false}}) {
        form.setText("Beacon1_message",
                     QStringLiteral("!<statlat>/<statlong>>") + QString(padding, u'x'));
        const PacketReading reading = readBeacons(form, {std::nullopt, now}).front().reading;
        EXPECT_EQ(reading.ok(), ok) << padding << ": " << reading.problems.join(u'|').toStdString();
    }
}

TEST_F(BeaconPackets, AddressesAsTheTrackerSendsThem) {
    std::vector<BeaconReport> beacons = readBeacons(form, {std::nullopt, now});
    ASSERT_EQ(beacons.size(), 4u);
    EXPECT_EQ(beacons[3].packet, QStringLiteral("NOCALL>APVQ05,WIDE1-1,WIDE2-1:"));
    EXPECT_EQ(beacons[3].notes, QStringList{"nothing is sent: the message is empty"});
    EXPECT_TRUE(beacons[1].notes.join(u'|').contains(QStringLiteral("never sent")));

    form.setText("Callsign", QStringLiteral("n0call"));
    form.setText("Ssid", QStringLiteral("7"));
    form.setText("Beacon1_dest_ssid", QStringLiteral("3"));
    form.setText("Beacon1_path2_string", QString());
    form.setText("Beacon1_path2_ssid", QStringLiteral("99"));
    beacons = readBeacons(form, {std::nullopt, now});
    EXPECT_TRUE(beacons[0].packet.startsWith(QStringLiteral("N0CALL-7>APVQ05-3,WIDE1-1:/071905z")))
        << beacons[0].packet.toStdString();
    for (const BeaconReport& beacon : beacons) {
        EXPECT_TRUE(beacon.reading.ok()) << beacon.reading.problems.join(u'|').toStdString();
    }
}

}  // namespace
