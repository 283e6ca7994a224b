#include <gtest/gtest.h>

#include <cstring>

#include "image/decoder.h"
#include "image/encoder.h"
#include "image/layout.h"
#include "image_support.h"
#include "settings/schema.h"
#include "window_wording.h"

using namespace std::string_view_literals;

namespace {

// The image of the start-up settings.
ConfigImage startupImage() {
    StartupForm f;
    ConfigImage image{};
    EXPECT_TRUE(f.host.encoded(EncodeSettings(f.form, f.host.now(), image)));
    return image;
}

void put(ConfigImage& image, int offset, std::string_view bytes) {
    std::memcpy(image.data() + offset, bytes.data(), bytes.size());
}

}  // namespace

TEST(CheckImage, NeedsTheChecksumAndTheEndMarker) {
    ConfigImage zero{};
    EXPECT_FALSE(CheckImage(zero));  // checksum 0 is right, the end marker is missing

    const ConfigImage good = startupImage();
    EXPECT_TRUE(CheckImage(good));
    for (int offset : {4, 5, 6, 700, 1258, 1263}) {
        ConfigImage bad = good;
        bad[offset] ^= 0x01;
        EXPECT_FALSE(CheckImage(bad)) << offset;
    }
    for (int offset : {1264, 4000, 8191}) {
        ConfigImage outside = good;
        outside[offset] = 0x5A;
        EXPECT_TRUE(CheckImage(outside)) << offset;
    }
    ConfigImage noMarker = good;
    put(noMarker, 1259, "ENC"sv);
    put(noMarker, 1262, "\x01"sv);  // the sum stays right
    EXPECT_FALSE(CheckImage(noMarker));
}

TEST(DecodeImage, ComparesTheFirstFiveCharactersOfTheVersion) {
    const std::pair<std::string_view, const char*> versions[] = {
        {"v1.07X\0\0"sv, nullptr},  {"v1.07abc"sv, nullptr},
        {"v1.06\0\0\0"sv, "v1.06"}, {"v1.0\0\0\0\0"sv, "v1.0"},
        {"V1.07\0\0\0"sv, "V1.07"}, {"v2.00-beta"sv, "v2.00-b"},  // shown cut to 7 characters
    };
    for (auto [version, shown] : versions) {
        ConfigImage image = startupImage();
        put(image, 6, version);
        image[142] = 0;  // Mice_message "Emergency", to see whether anything was set
        const ConfigImage before = image;
        MemoryForm form;
        RecordingSink host;
        applyStartupDefaults(form);
        const auto startup = values(form);
        const bool ok = host.shown(DecodeImage(form, image, windowWords()));
        EXPECT_EQ(image, before);
        if (shown == nullptr) {
            EXPECT_TRUE(ok) << version;
            EXPECT_TRUE(host.informations.isEmpty());
            EXPECT_EQ(form.index("Mice_message"), 7);
            continue;
        }
        EXPECT_FALSE(ok) << version;
        EXPECT_EQ(values(form), startup) << version;
        ASSERT_EQ(host.informations.size(), 1);
        EXPECT_EQ(host.informations[0],
                  QString("Uncompatible configuration version:\nDevice: %1\nConfigurator: "
                          "v1.07\n\nYou need to use Configurator %1 or write new configuration "
                          "using \"Write config\" button.")
                      .arg(shown));
    }
}

TEST(DecodeAddress, SplitsCallAndSsidWithoutChangingTheCall) {
    const struct {
        std::string_view field;
        const char* call;
        const char* ssid;
    } cases[] = {
        {"WIDE2 2", "WIDE2", "2"},    {"      0", "", "0"},          {"NOCALL?", "NOCALL", "15"},
        {"ABC   :", "ABC", "10"},     {"wide1 1", "wide1", "1"},     {"A B   1", "A B", "1"},
        {{"AB\0CD 1", 7}, "AB", "1"}, {{"X     \0", 7}, "X", "-48"}, {"X     \xFF", "X", "-49"},
        {"ABCDEFG", "ABCDEF", "23"},
    };
    for (const auto& c : cases) {
        MemoryForm form;
        std::array<std::uint8_t, 7> field;
        std::memcpy(field.data(), c.field.data(), 7);
        DecodeAddress(form, field, "Beacon1_path1_string", "Beacon1_path1_ssid");
        EXPECT_EQ(form.text("Beacon1_path1_string"), c.call) << c.field;
        EXPECT_EQ(form.text("Beacon1_path1_ssid"), c.ssid) << c.field;
    }
}

TEST(DecodeImage, ShowsStoredValuesAsTheyAreAndStopsTextsAtTheirField) {
    ConfigImage image = startupImage();
    image[142] = 7;                         // Mice_message "Off Duty"
    image[1251] = 200;                      // Tele_holdoff
    put(image, 864, std::string(2, '\0'));  // Teledata_txrate_rf 0
    put(image, 776, "\xFF\xFF\xFF\xFF"sv);  // Weather_txrate: beyond every number setting
    put(image, 24, "\0\0\0\x80"sv);         // Txdelay: 2,147,483,648
    image[53] = 10;                         // Squelch: past its list
    put(image, 160, "\x05\0\0\0"sv);        // Digion: past its list
    put(image, 816, std::string(24, 'T'));  // Teletitle without a terminator...
    image[840] = 1;                         // ...followed by Tele_enable
    put(image, 33, "4807.38N");
    image[41] = 'Z';                        // not read
    put(image, 1120, std::string(7, 'N'));  // Teledigital1_name filling its field
    put(image, 1127, "Lo");
    MemoryForm form;
    RecordingSink host;
    ASSERT_TRUE(host.shown(DecodeImage(form, image, {})));
    EXPECT_EQ(form.index("Mice_message"), 0);
    EXPECT_EQ(form.text("Tele_holdoff"), "200");
    EXPECT_EQ(form.text("Teledata_txrate_rf"), "0");
    EXPECT_EQ(form.text("Weather_txrate"), "5");  // the defaults, each named with its value
    EXPECT_EQ(form.text("Txdelay"), "250");
    EXPECT_TRUE(host.informations.value(0).startsWith(
        "Radio \u203a TX delay [ms]: the tracker holds 2147483648, more than the largest number a "
        "setting holds (2147483647); the default 250 is used instead.\nWeather reports"));
    EXPECT_EQ(form.index("Squelch"), -1);
    EXPECT_EQ(form.index("Digion"), -1);
    EXPECT_EQ(form.text("Teletitle"), QString(24, u'T'));
    EXPECT_EQ(form.index("Tele_enable"), 1);
    EXPECT_EQ(form.text("Latitude"), "4807.38N");
    EXPECT_EQ(form.text("Teledigital1_name"), "NNNNNNN");
    EXPECT_EQ(form.text("Teledigital1_units"), "Lo");

    image[142] = 0;  // "Emergency"
    image[143] = 255;
    ASSERT_TRUE(host.shown(DecodeImage(form, image, {})));
    EXPECT_EQ(form.index("Mice_message"), 7);
    EXPECT_EQ(form.index("Position_coursespeed"), -1);
}

TEST(DecodeImage, RunsThePositionAndSerialHandlersWhereTheImageSaysSo) {
    // Plain text encoding: the Mic-E message gives way to the time stamp choice.
    {
        ConfigImage image = startupImage();
        image[76] = 1;
        StartupForm f;
        ASSERT_TRUE(f.host.shown(DecodeImage(f.form, image, {})));
        EXPECT_FALSE(f.form.isEnabled("Mice_message"));
        EXPECT_TRUE(f.form.isEnabled("Position_time"));
        EXPECT_TRUE(f.host.informations.isEmpty());
    }
    const struct {
        int port1, port2, station;
        int want1, want2;
        const char* message;
    } cases[] = {
        // Port 1 "GPS" is judged against the form's port 2 "GPS"; the image's port 2 then wins.
        {4, 5, 0, 4, 5,
         "RS-232 port 2 changed to None.\rReason:\rGPS can be selected on one port only."},
        // Port 2 "Serial console" is judged against the image's port 1.
        {2, 2, 0, 0, 2,
         "RS-232 port 1 changed to None.\rReason:\rSerial console can be selected on one port "
         "only."},
        // The weather station is set after both ports were judged, and judges nothing.
        {1, 2, 5, 1, 2, nullptr},
    };
    for (const auto& c : cases) {
        ConfigImage image = startupImage();
        image[56] = static_cast<std::uint8_t>(c.port1);
        image[57] = static_cast<std::uint8_t>(c.port2);
        image[752] = static_cast<std::uint8_t>(c.station);
        StartupForm f;
        ASSERT_TRUE(f.host.shown(DecodeImage(f.form, image, {})));
        EXPECT_EQ(f.form.index("Serial1_mode"), c.want1) << c.port1 << c.port2;
        EXPECT_EQ(f.form.index("Serial2_mode"), c.want2) << c.port1 << c.port2;
        EXPECT_EQ(f.form.index("Weather_stationtype"), c.station);
        EXPECT_EQ(f.host.informations, c.message ? QStringList{c.message} : QStringList{});
    }
}
