#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <set>
#include <utility>

#include "image/encoder.h"
#include "image/layout.h"
#include "image_support.h"
#include "settings/number.h"
#include "settings/schema.h"

namespace {

struct Failure {
    const char* setting;
    QString bad;
    const char* message;
};

QString repeated(int n) {
    return QString(n, u'x');
}

// Every rule broken at once, in the order the encoder must report them: each is reported
// only once all the earlier ones are put right. Entries on the same setting follow each
// other; the first of them is the value set at the start.
const Failure kLadder[] = {
    {"Callsign", "", "Callsign - too short (ex. NOCALL-4)."},
    {"Callsign", "NOCALL7", "Callsign - not a call (A-Z, 0-9, up to 6)."},
    {"Ssid", "16", "Callsign - SSID range error (0 - 15)."},
    {"Latitude", "5221.6N", "Our latitude - syntax error (ex. 5221.60N, format: DDMM.MM)."},
    {"Longitude", "1653.63E", "Our longitude - syntax error (ex. 01653.63E, format DDDMM.MM)."},
    {"Longitude", "18000.00E", "Our longitude - syntax error (ex. 01653.63E, format: DDDMM.MM)."},
    {"Txdelay", "1001", "Preamble len - range error (200 - 1000)."},
    {"Quiettime", "3001", "Quiet time - range error (200 - 3000)."},
    {"Position_report_interval", "14", "Position report interval range error (15 - 3600)."},
    {"Position_status_text", repeated(41), "Status text - too long (max 40 characters)."},
    {"Position_ssid1", "16", "Position report path 1 - SSID range error (0 - 15)."},
    {"Position_ssid2", "x", "Position report path 2 - SSID range error (0 - 15)."},
    {"Position_path3", "WIDE3XX", "Position report path 3 - not a call (A-Z, 0-9, up to 6)."},
    {"Position_fixlost_interval", "59",
     "Position report interval on fix lost range error (60 - 3600)."},
    {"Floodtimeout", "181", "Antiflood timeout - range error (15 - 180)."},
    {"Alias1_ssid", "16", "Digipeater alias 1 - SSID range error (0 - 15)."},
    {"Alias8_name", "ABCDEFG", "Digipeater alias 8 - not a call (A-Z, 0-9, up to 6)."},
    {"Beacon1_dest_ssid", "16", "Beacon 1 destination - SSID range error (0 - 15)."},
    {"Beacon1_path1_ssid", "16", "Beacon 1 path 1 - SSID range error (0 - 15)."},
    {"Beacon1_path2_ssid", "16", "Beacon 1 path 2 - SSID range error (0 - 15)."},
    {"Beacon1_txrate", "0", "Beacon 1 tx rate range error (5 - 1440)."},
    {"Beacon1_message", "caf\u00e9", "Beacon 1 message - forbidden characters."},
    {"Beacon4_txrate", "1441", "Beacon 4 tx rate range error (5 - 1440)."},
    {"Beacon4_message", repeated(99), "Beacon 4 message - too long (max 98 characters)."},
    {"Teledata_dest_ssid", "16", "Telemetry data destination - SSID range error (0 - 15)."},
    {"Teledata_path2_ssid", "16", "Telemetry data path - SSID range error (0 - 15)."},
    {"Teledata_txrate_rf", "4", "Telemetry data tx rate (RF) range error (5 - 1440)."},
    {"Teleparams_dest_ssid", "16", "Telemetry parameters destination - SSID range error (0 - 15)."},
    {"Teleparams_path1_ssid", "16", "Telemetry parameters path - SSID range error (0 - 15)."},
    {"Teleparams_txrate_rf", "1441", "Telemetry parameters tx rate (RF) range error (5 - 1440)."},
    {"Teletitle", repeated(24), "Telemetry project title - too long (max 23 characters)."},
    {"Tele_holdoff", "251", "First telemetry data packet delay range error (0 - 250)."},
    {"Teleanalog5_coefc", "123456789",
     "Analog channel 5 coefficient C - too long (max 8 characters)."},
    {"Teledigital8_units", "ABCDEFG", "Digital channel 8 label - too long (max 6 characters)."},
    {"Weather_dest_ssid", "16", "Weather destination - SSID range error (0 - 15)."},
    {"Weather_path1_ssid", "16", "Weather path 1 - SSID range error (0 - 15)."},
    {"Weather_path2_ssid", "16", "Weather path 2 - SSID range error (0 - 15)."},
    {"Weather_txrate", "4", "Weather report tx rate range error (5 - 1440)."},
    {"Weather_comment", "a\tb", "Weather report comment - forbidden characters."},
    {"Position_store_interval", "0", "GPS memory position store interval range error (1 - 3600)."},
    {"Position_store_minspeed", "1001",
     "GPS memory position store minspeed range error (0 - 1000)."},
};

// Encodes and returns the one message shown, or "" when the encoding succeeded.
QString encodeMessage(StartupForm& f, ConfigImage& image) {
    f.host.informations.clear();
    const bool ok = f.host.encoded(EncodeSettings(f.form, f.host.now(), image));
    EXPECT_EQ(f.host.informations.size(), ok ? 0 : 1)
        << f.host.informations.join("|").toStdString();
    return ok ? QString() : f.host.informations.value(0);
}

}  // namespace

TEST(EncodeSettings, ReportsOnlyTheFirstFailingRuleInOrder) {
    StartupForm f;
    for (auto it = std::rbegin(kLadder); it != std::rend(kLadder); ++it) {
        f.form.setText(it->setting, it->bad);
    }
    ConfigImage image{};
    const int count = static_cast<int>(std::size(kLadder));
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(encodeMessage(f, image), kLadder[i].message) << kLadder[i].setting;
        const bool sameNext =
            i + 1 < count && std::string_view(kLadder[i + 1].setting) == kLadder[i].setting;
        f.form.setText(kLadder[i].setting,
                       sameNext ? kLadder[i + 1].bad : setting(kLadder[i].setting).defaultText);
    }
    EXPECT_EQ(encodeMessage(f, image), "");
}

// The field check and "Write config" share their rules: each broken value is found on its
// own field, with the message "Write config" shows for it; all of them together are listed
// in the order "Write config" meets them.
TEST(CheckSettings, FindsEachBrokenValueOnItsFieldWithTheEncodersMessage) {
    std::vector<SettingProblem> expected;
    StartupForm all;
    for (const Failure& f : kLadder) {
        StartupForm one;
        one.form.setText(f.setting, f.bad);
        ConfigImage image{};
        EXPECT_EQ(encodeMessage(one, image), f.message) << f.setting;
        const std::vector<SettingProblem> problems = CheckSettings(one.form);
        ASSERT_EQ(problems.size(), 1u) << f.setting;
        EXPECT_EQ(problems[0].setting, f.setting);
        EXPECT_EQ(problems[0].message, f.message);
        const std::vector<SettingProblem> own = CheckSetting(one.form, f.setting);
        ASSERT_EQ(own.size(), 1u) << f.setting;
        EXPECT_EQ(own[0].message, f.message);
        // The first value of each setting; the SSID beside an empty call is not looked at.
        if ((expected.empty() || expected.back().setting != f.setting) &&
            std::string_view(f.setting) != "Ssid") {
            all.form.setText(f.setting, f.bad);
            expected.push_back({f.setting, f.message});
        }
    }
    const std::vector<SettingProblem> listed = CheckSettings(all.form);
    ASSERT_EQ(listed.size(), expected.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].setting, expected[i].setting);
        EXPECT_EQ(listed[i].message, expected[i].message);
    }
    EXPECT_TRUE(CheckSetting(all.form, "Position_path1").empty());  // its SSID is at fault
}

TEST(CheckSettings, NamesTheFieldOfANumberThatIsNotAWholeNumber) {
    StartupForm f;
    f.form.setText("Beacon2_txrate", "12a");
    f.form.setText("Txdelay", "");
    const std::vector<SettingProblem> problems = CheckSettings(f.form);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].setting, "Txdelay");
    EXPECT_EQ(problems[0].message, "'' is not a valid integer value.");
    EXPECT_EQ(problems[1].setting, "Beacon2_txrate");
    EXPECT_EQ(problems[1].message, "'12a' is not a valid integer value.");
    ConfigImage image{};
    try {
        f.host.encoded(EncodeSettings(f.form, f.host.now(), image));
        FAIL() << "no ConversionError";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.message(), "'' is not a valid integer value.");  // the box's text as ever
        EXPECT_EQ(e.setting(), "Txdelay");
    }
}

TEST(EncodeSettings, AddressFieldsTakeSsid0To15AndIgnoreTheSsidOfAnEmptyCall) {
    struct Address {
        std::string call;
        std::string ssid;
        QString what;
    };
    std::vector<Address> fields = {{"Callsign", "Ssid", "Callsign"}};
    for (int k = 1; k <= 3; ++k) {
        fields.push_back({familyName("Position_path", k, ""), familyName("Position_ssid", k, ""),
                          QString("Position report path %1").arg(k)});
    }
    for (int k = 1; k <= 8; ++k) {
        fields.push_back({familyName("Alias", k, "_name"), familyName("Alias", k, "_ssid"),
                          QString("Digipeater alias %1").arg(k)});
    }
    for (int k = 1; k <= 4; ++k) {
        for (const char* part : {"dest", "path1", "path2"}) {
            const QString what = QString(part) == "dest"    ? "destination"
                                 : QString(part) == "path1" ? "path 1"
                                                            : "path 2";
            const std::string p = familyName("Beacon", k, "_") + part;
            fields.push_back(
                {p + "_string", p + "_ssid", QString("Beacon %1 %2").arg(k).arg(what)});
        }
    }
    for (const char* part : {"dest", "path1", "path2"}) {
        const QString n = QString(part).right(1);
        const bool dest = n == "t";
        fields.push_back({std::string("Weather_") + part + "_string",
                          std::string("Weather_") + part + "_ssid",
                          dest ? "Weather destination" : "Weather path " + n});
        const std::pair<const char*, const char*> reports[] = {{"Teledata", "data"},
                                                               {"Teleparams", "parameters"}};
        for (auto [prefix, what] : reports) {
            fields.push_back({std::string(prefix) + "_" + part + "_string",
                              std::string(prefix) + "_" + part + "_ssid",
                              QString("Telemetry %1 %2").arg(what, dest ? "destination" : "path")});
        }
    }
    ASSERT_EQ(fields.size(), 33u);

    for (const Address& a : fields) {
        StartupForm f;
        ConfigImage image{};
        const int at = imageField(a.call).offset;
        f.form.setText(a.call, "wide2");
        for (const char* bad : {"", "16", "99", "-1", "a", "1.0", " 1"}) {
            f.form.setText(a.ssid, bad);
            EXPECT_EQ(encodeMessage(f, image), a.what + " - SSID range error (0 - 15).")
                << a.ssid << "=" << bad;
        }
        const std::pair<const char*, const char*> good[] = {
            {"15", "WIDE2 ?"}, {"0", "WIDE2 0"}, {"+07", "WIDE2 7"}};
        for (auto [ssid, stored] : good) {
            f.form.setText(a.ssid, ssid);
            ASSERT_EQ(encodeMessage(f, image), "") << a.ssid;
            EXPECT_EQ(bytesAt(image, at, 7), stored) << a.ssid;
        }
        if (a.call != "Callsign") {
            f.form.setText(a.call, "");
            f.form.setText(a.ssid, "xx");
            ASSERT_EQ(encodeMessage(f, image), "") << a.call;
            EXPECT_EQ(bytesAt(image, at, 7), "      0") << a.call;
        }
    }
}

TEST(EncodeAddress, RefusesWhatIsNoCallAndLeavesTheFieldAlone) {
    std::array<std::uint8_t, 7> field;
    field.fill('#');
    EXPECT_FALSE(EncodeAddress("ABCDEFG", "1", field));
    EXPECT_FALSE(EncodeAddress("ABC", "", field));
    EXPECT_FALSE(EncodeAddress("ab-c\u00e9", "3", field));
    EXPECT_EQ(std::string(field.begin(), field.end()), "#######");
    EXPECT_TRUE(EncodeAddress("ab3c", "3", field));
    EXPECT_EQ(std::string(field.begin(), field.end()), "AB3C  3");
}

TEST(CheckPosition, AcceptsDegreesAndMinutesInRangeOnly) {
    const std::pair<const char*, bool> latitudes[] = {
        {"5221.60N", true},  {"8959.99S", true},  {"0000.00N", true},   {"5221.6N", false},
        {"5221.60n", false}, {"9000.00N", false}, {"5260.00N", false},  {"5221.60E", false},
        {"52a1.60N", false}, {"5221,60N", false}, {"5221.60N ", false}, {"-221.60N", false},
    };
    for (auto [text, ok] : latitudes) {
        EXPECT_EQ(CheckLatitude(text), ok) << text;
    }
    EXPECT_FALSE(CheckLatitude("\u0665221.60N"));  // a digit, but not 0-9
    const std::pair<const char*, bool> longitudes[] = {
        {"01653.63E", true},   {"17959.99W", true},  {"00000.00E", true},  {"1653.63E", false},
        {"18000.00E", false},  {"01660.00E", false}, {"01653.63e", false}, {"01653.63N", false},
        {"0165363.0E", false}, {"0165 .63E", false}, {"99999.99W", false},
    };
    for (auto [text, ok] : longitudes) {
        EXPECT_EQ(CheckLongitude(text), ok) << text;
    }
}

TEST(EncodeSettings, NumberFieldsHoldTheirLimitsAtBothEnds) {
    const struct {
        const char* setting;
        const char* value;
        const char* message;  // nullptr: accepted and stored
    } cases[] = {
        {"Txdelay", "200", nullptr},
        {"Txdelay", "1000", nullptr},
        {"Txdelay", "199", "Preamble len - range error (200 - 1000)."},
        {"Txdelay", "-1", "Preamble len - range error (200 - 1000)."},
        {"Quiettime", "200", nullptr},
        {"Quiettime", "3000", nullptr},
        {"Quiettime", "199", "Quiet time - range error (200 - 3000)."},
        {"Position_report_interval", "15", nullptr},
        {"Position_report_interval", "3600", nullptr},
        {"Position_report_interval", "3601", "Position report interval range error (15 - 3600)."},
        // 65,551 would keep only 15 in 16 bits.
        {"Position_report_interval", "65551", "Position report interval range error (15 - 3600)."},
        {"Position_fixlost_interval", "3600", nullptr},
        {"Floodtimeout", "15", nullptr},
        {"Floodtimeout", "14", "Antiflood timeout - range error (15 - 180)."},
        {"Beacon2_txrate", "5", nullptr},
        {"Beacon2_txrate", "1440", nullptr},
        {"Beacon2_txrate", "4", "Beacon 2 tx rate range error (5 - 1440)."},
        {"Teledata_txrate_rf", "0", nullptr},
        {"Teledata_txrate_rf", "5", nullptr},
        {"Teledata_txrate_rf", "1440", nullptr},
        {"Teledata_txrate_rf", "1441", "Telemetry data tx rate (RF) range error (5 - 1440)."},
        {"Teledata_txrate_rf", "-65536", "Telemetry data tx rate (RF) range error (5 - 1440)."},
        {"Teleparams_txrate_rf", "0", nullptr},
        {"Teleparams_txrate_rf", "4", "Telemetry parameters tx rate (RF) range error (5 - 1440)."},
        {"Weather_txrate", "1440", nullptr},
        {"Weather_txrate", "1441", "Weather report tx rate range error (5 - 1440)."},
        {"Tele_holdoff", "0", nullptr},
        {"Tele_holdoff", "250", nullptr},
        {"Tele_holdoff", "-1", "First telemetry data packet delay range error (0 - 250)."},
        {"Position_store_interval", "1", nullptr},
        {"Position_store_interval", "3600", nullptr},
        {"Position_store_interval", "3601",
         "GPS memory position store interval range error (1 - 3600)."},
        {"Position_store_minspeed", "0", nullptr},
        {"Position_store_minspeed", "1000", nullptr},
        {"Position_store_minspeed", "-1",
         "GPS memory position store minspeed range error (0 - 1000)."},
        {"Smartbeaconing_turn_slope", "65535", nullptr},  // no range but the field's
    };
    for (const auto& c : cases) {
        StartupForm f;
        ConfigImage image{};
        f.form.setText(c.setting, c.value);
        ASSERT_EQ(encodeMessage(f, image), c.message ? c.message : "") << c.setting << c.value;
        if (c.message == nullptr) {
            const ImageField& field = imageField(c.setting);
            const std::uint32_t stored = field.size == 4   ? readU32(image, field.offset)
                                         : field.size == 2 ? readU16(image, field.offset)
                                                           : image[field.offset];
            const std::uint32_t expected = static_cast<std::uint32_t>(std::stoi(c.value));
            EXPECT_EQ(stored, field.size == 2 ? expected & 0xFFFF : expected) << c.setting;
        }
    }
}

// What each kind of field can hold, at and past its bounds: nothing is stored as another value.
// (The layout has no signed number field.) The field marks show the same message.
TEST(EncodeSettings, RefusesWhatItsFieldCannotHold) {
    const struct {
        const char* setting;
        std::optional<QString> text;  // nothing: set the choice to `index`
        int index;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {"Tele_holdoff", "250", 0, nullptr},  // u8
        {"Tele_holdoff", "256", 0, "First telemetry data packet delay range error (0 - 250)."},
        {"Smartbeaconing_fast_speed", "65535", 0, nullptr},  // u16
        {"Smartbeaconing_fast_speed", "65536", 0, "Fast Speed [km/h] - range error (0 - 65535)."},
        {"Smartbeaconing_fast_speed", "-1", 0, "Fast Speed [km/h] - range error (0 - 65535)."},
        {"Smartbeaconing_min_turn_angle", "0", 0, nullptr},
        {"Smartbeaconing_min_turn_angle", "-5", 0,
         "Min Turn Angle [deg] - range error (0 - 65535)."},
        {"Txdelay", "-1", 0, "Preamble len - range error (200 - 1000)."},  // u32
        {"Weather_txrate", "-2147483648", 0, "Weather report tx rate range error (5 - 1440)."},
        {"Ptt", std::nullopt, 1, nullptr},  // choice
        {"Ptt", std::nullopt, -1, "PTT - no item chosen."},
        {"Digion", std::nullopt, -1, "Digipeater on - no item chosen."},
        {"Mice_message", std::nullopt, -1, "Mic-E message - no item chosen."},
        {"Alias3_enable", std::nullopt, -1, "Alias 3 Enable if - no item chosen."},
        {"Position_status_text", "\u00e9\u00ff ok", 0, nullptr},  // text: 0x80-0xFF as before
        // Characters outside Windows-1252, each named once.
        {"Position_status_text", "Za\u017c\u00f3\u0142\u0107 \u0142", 0,
         "Status text - characters the tracker cannot store: \u017c \u0142 \u0107"},
        {"Teletitle", "\U0001F4E1 \u20ac \U0001F4E1", 0,
         "Telemetry project title - characters the tracker cannot store: \U0001F4E1"},
        {"Beacon1_message", "5 \u20ac", 0, "Beacon 1 message - forbidden characters."},
        // Addresses: what an AX.25 address carries, raised to upper case.
        {"Callsign", "A B", 0, "Callsign - not a call (A-Z, 0-9, up to 6)."},
        {"Callsign", "A>B:C", 0, "Callsign - not a call (A-Z, 0-9, up to 6)."},
        {"Callsign", "SQ3\u0141B", 0, "Callsign - not a call (A-Z, 0-9, up to 6)."},
        {"Alias2_name", "WIDE-1", 0, "Digipeater alias 2 - not a call (A-Z, 0-9, up to 6)."},
        {"Position_status_text", "a\x1B]0;x\x07", 0, "Status text - forbidden characters."},
        {"Position_status_text", "\x7F", 0, "Status text - forbidden characters."},
        {"Teleanalog2_units", "\t", 0, "Analog channel 2 units - forbidden characters."},
        {"Callsign", "N\x1B", 0, "Callsign - not a call (A-Z, 0-9, up to 6)."},
        {"Beacon2_path1_string", QString(QChar(0)), 0,
         "Beacon 2 path 1 - not a call (A-Z, 0-9, up to 6)."},
        {"Position_symbol_table", "\x1F", 0, "Symbol table - forbidden characters."},
        {"Beacon1_message", "a\r\nb", 0, nullptr},  // message: line breaks left out
        {"Beacon1_message", "a\x1B", 0, "Beacon 1 message - forbidden characters."},
    };
    for (const auto& c : cases) {
        StartupForm f;
        ConfigImage image{};
        if (c.text) {
            f.form.setText(c.setting, *c.text);
        } else {
            f.form.setIndex(c.setting, c.index);
        }
        const QString want = c.message ? c.message : "";
        EXPECT_EQ(encodeMessage(f, image), want) << c.setting << " " << c.index;
        const std::vector<SettingProblem> marked = CheckSetting(f.form, c.setting);
        EXPECT_EQ(marked.empty() ? QString() : marked[0].message, want) << c.setting;
    }
}

TEST(EncodeSettings, TextThatIsNoNumberEndsThePassAtItsStep) {
    const std::pair<const char*, const char*> cases[] = {
        {"Txdelay", ""},
        {"Quiettime", "abc"},
        {"Position_report_interval", "1.5"},
        {"Smartbeaconing_fast_period", ""},
        {"Beacon3_txrate", " 5"},
        {"Tele_holdoff", "6O"},
        {"Position_store_interval", "99999999999"},
    };
    for (auto [name, text] : cases) {
        StartupForm f;
        ConfigImage image{};
        f.form.setText(name, text);
        f.form.setText("Position_store_minspeed", "1001");  // the last rule: never reached
        try {
            f.host.encoded(EncodeSettings(f.form, f.host.now(), image));
            ADD_FAILURE() << name << " '" << text << "' converted";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.message(), QString("'%1' is not a valid integer value.").arg(text));
        }
        EXPECT_TRUE(f.host.informations.isEmpty()) << name;
    }
    // An earlier rule wins over a later conversion.
    StartupForm f;
    ConfigImage image{};
    f.form.setText("Callsign", "");
    f.form.setText("Txdelay", "abc");
    EXPECT_EQ(encodeMessage(f, image), "Callsign - too short (ex. NOCALL-4).");
}

TEST(EncodeSettings, StoresChoicesCharactersAndTextsAsTheLayoutSays) {
    StartupForm f;
    ConfigImage image{};
    f.form.setIndex("Mice_message", 7);  // "Emergency"
    f.form.setIndex("Ptt", 1);
    f.form.setIndex("Digion", 0);
    f.form.setText("Position_symbol_code", "");
    f.form.setText("Position_symbol_table", "\\x");
    f.form.setText("Beacon2_message", "AB\r\nCD\n" + repeated(94) + "\r\n");
    f.form.setText("Beacon3_message", "Temp \u0141");  // above Latin-1: not printable either
    ASSERT_EQ(encodeMessage(f, image), "Beacon 3 message - forbidden characters.");
    f.form.setText("Beacon3_message", "");
    f.form.setText("Position_status_text", repeated(40));
    f.form.setText("Weather_comment", "line\nbreak");  // kept here, and not printable
    ASSERT_EQ(encodeMessage(f, image), "Weather report comment - forbidden characters.");
    f.form.setText("Weather_comment", repeated(33));
    ASSERT_EQ(encodeMessage(f, image), "");
    EXPECT_EQ(image[142], 0);
    EXPECT_EQ(image[52], 1);
    EXPECT_EQ(readU32(image, 160), 0u);
    EXPECT_EQ(image[99], 0);
    EXPECT_EQ(image[100], '\\');
    EXPECT_EQ(bytesAt(image, 397, 99), "ABCD" + std::string(94, 'x') + '\0');
    EXPECT_EQ(bytesAt(image, 101, 41), std::string(40, 'x') + '\0');
    EXPECT_EQ(bytesAt(image, 782, 34), std::string(33, 'x') + '\0');
}

TEST(EncodeSettings, StampComesFromTheCurrentSecond) {
    StartupForm f;
    ConfigImage first{}, second{};
    ASSERT_TRUE(f.host.encoded(EncodeSettings(f.form, f.host.now(), first)));
    ASSERT_TRUE(f.host.encoded(EncodeSettings(f.form, f.host.now(), second)));
    EXPECT_EQ(first, second);
    std::set<int> stamps;
    for (int s = 0; s < 20; ++s) {
        ASSERT_TRUE(f.host.encoded(EncodeSettings(f.form, 1'700'000'000 + s, second)));
        EXPECT_LT(readU16(second, 4), 10000);
        EXPECT_TRUE(std::equal(first.begin() + 6, first.end(), second.begin() + 6));
        EXPECT_EQ(readU32(second, 0), imageChecksum(second));
        stamps.insert(readU16(second, 4));
    }
    EXPECT_GT(stamps.size(), 15u);  // drawn anew, not a constant
}
