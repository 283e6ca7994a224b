#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "image/decoder.h"
#include "image/encoder.h"
#include "image/layout.h"
#include "image_support.h"
#include "settings/schema.h"

TEST(RoundTrip, StartupSettingsComeBackFromTheirImage) {
    StartupForm f;
    const auto before = values(f.form);
    ConfigImage image{};
    ASSERT_TRUE(f.host.encoded(EncodeSettings(f.form, f.host.now(), image)));
    EXPECT_EQ(values(f.form), before);  // encoding only reads
    ASSERT_TRUE(CheckImage(image));

    MemoryForm decoded;
    RecordingSink host;
    ASSERT_TRUE(host.shown(DecodeImage(decoded, image, {})));
    EXPECT_TRUE(host.events.isEmpty()) << host.events.join("\n").toStdString();
    auto expected = before;
    // The SSID of an empty call is stored as 0.
    for (const char* ssid : {"Position_ssid3", "Alias2_ssid", "Alias3_ssid", "Alias4_ssid",
                             "Alias5_ssid", "Alias6_ssid", "Alias7_ssid", "Alias8_ssid"}) {
        EXPECT_EQ(expected[ssid], "");
        expected[ssid] = "0";
    }
    EXPECT_EQ(values(decoded), expected);
    for (const char* name :
         {"Mice_message", "Label_mice_message", "Position_time", "Label_position_time"}) {
        EXPECT_EQ(decoded.isEnabled(name), f.form.isEnabled(name)) << name;
    }
}

TEST(RoundTrip, ValuesComeBackInTheirStoredForm) {
    const struct {
        const char* setting;
        QString set;
        QString back;
    } cases[] = {
        {"Callsign", "n0call", "N0CALL"},
        {"Txdelay", "0250", "250"},
        {"Quiettime", "+400", "400"},
        {"Smartbeaconing_min_turn_angle", "+065535", "65535"},
        {"Smartbeaconing_slow_speed", "-0", "0"},
        {"Beacon2_message", "A\r\nB\n", "AB"},
        {"Position_ssid1", "01", "1"},
        {"Position_path3", "", ""},
        {"Position_ssid3", "x", "0"},
        {"Position_symbol_code", "", ""},
        {"Position_status_text", "\u20ac\u0152\u0081 \u00b0C", "\u20ac\u0152\u0081 \u00b0C"},
        {"Teleanalog2_coefa", "-1.5e3", "-1.5e3"},
    };
    StartupForm f;
    for (const auto& c : cases) {
        f.form.setText(c.setting, c.set);
    }
    ConfigImage image{};
    ASSERT_TRUE(f.host.encoded(EncodeSettings(f.form, f.host.now(), image)));
    MemoryForm decoded;
    ASSERT_TRUE(f.host.shown(DecodeImage(decoded, image, {})));
    for (const auto& c : cases) {
        EXPECT_EQ(decoded.text(c.setting), c.back) << c.setting;
    }
}

// An image as a device could hold it, written field by field from the layout with values
// that differ from the start-up ones and fill every text field to the last byte it allows.
TEST(RoundTrip, DeviceImageGivesBackTheSameBytes) {
    const std::map<std::string, int> numbers = {
        {"Txdelay", 300},
        {"Quiettime", 3000},
        {"Position_report_interval", 3600},
        {"Position_fixlost_interval", 60},
        {"Position_store_interval", 1},
        {"Position_store_minspeed", 0},
        {"Floodtimeout", 180},
        {"Weather_txrate", 1440},
        {"Teledata_txrate_rf", 0},
        {"Teleparams_txrate_rf", 5},
        {"Tele_holdoff", 250},
    };
    ConfigImage device{};
    for (const ImageField& field : imageLayout()) {
        const int at = field.offset;
        const std::string& name = field.setting;
        switch (field.encoding) {
            case Encoding::U8Index: {
                const int items = static_cast<int>(setting(name).items->items.size());
                device[at] = static_cast<std::uint8_t>((at * 7) % items);
                break;
            }
            case Encoding::MiceMessage:
                device[at] = 3;
                break;
            case Encoding::U32Index:
                writeU32(device, at, 0);
                break;
            case Encoding::U16:
            case Encoding::U32:
            case Encoding::U8Number: {
                const auto it = numbers.find(name);
                const int value = it != numbers.end()         ? it->second
                                  : name.ends_with("_txrate") ? 5 + at  // the beacons
                                                              : 60000 + at;
                if (field.encoding == Encoding::U8Number) {
                    device[at] = static_cast<std::uint8_t>(value);
                } else if (field.encoding == Encoding::U16) {
                    writeU16(device, at, static_cast<std::uint16_t>(value));
                } else {
                    writeU32(device, at, static_cast<std::uint32_t>(value));
                }
                break;
            }
            case Encoding::Character:
                device[at] = '/' + at % 3;
                break;
            case Encoding::Text: {
                // Every byte of the upper half too, but where only printable ASCII may stand.
                const bool ascii = name.ends_with("_message") || name == "Weather_comment";
                for (int i = 0; i < field.size - 1; ++i) {
                    const int n = at + i;
                    device[n] =
                        static_cast<std::uint8_t>(ascii || n % 2 ? '!' + n % 94 : 0x80 + n % 128);
                }
                break;
            }
            case Encoding::FixedText:
                std::memcpy(device.data() + at, name == "Latitude" ? "4807.38S" : "12931.00W",
                            field.size);
                break;
            case Encoding::Address: {
                const std::string call = "K" + std::to_string(at);
                std::memcpy(device.data() + at, (call + "     ").data(), 6);
                device[at + 6] = static_cast<std::uint8_t>('0' + at % 16);
                break;
            }
            default:
                break;
        }
    }
    // Port roles that no interlock changes.
    device[56] = 5;  // KISS
    device[57] = 4;  // GPS
    std::memcpy(device.data() + 6, "v1.07", 5);
    std::memcpy(device.data() + 1259, "END", 3);
    writeU16(device, 4, 1234);
    writeU32(device, 0, imageChecksum(device));
    ASSERT_TRUE(CheckImage(device));

    StartupForm f;
    ASSERT_TRUE(f.host.shown(DecodeImage(f.form, device, {})));
    EXPECT_TRUE(f.host.informations.isEmpty()) << f.host.informations.join("\n").toStdString();
    ConfigImage again{};
    ASSERT_TRUE(f.host.encoded(EncodeSettings(f.form, f.host.now(), again)))
        << f.host.informations.join("\n").toStdString();
    EXPECT_TRUE(CheckImage(again));
    for (std::size_t i = 6; i < kImageSize; ++i) {
        ASSERT_EQ(again[i], device[i]) << "offset " << i;
    }
}
