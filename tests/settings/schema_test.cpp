#include <gtest/gtest.h>

#include <map>
#include <set>

#include "settings/schema.h"

TEST(Schema, HoldsEverySettingOnceWithUniqueNames) {
    EXPECT_EQ(settings().size(), 225u);
    std::set<std::string> names;
    for (const SettingDef& s : settings()) {
        EXPECT_TRUE(names.insert(s.name).second) << s.name;
        EXPECT_EQ(findSetting(s.name), &s);
    }
    for (const ControlDef& c : controls()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
    }
    EXPECT_EQ(findSetting("Beacon5_txrate"), nullptr);
    EXPECT_THROW(setting("Callsign_"), std::out_of_range);
}

// No two settings read alike in lists of problems and differences: a shared label gets more.
TEST(Schema, EverySettingHasANameOfItsOwn) {
    std::map<QString, std::string> named;
    for (const SettingDef& s : settings()) {
        const auto [at, added] = named.emplace(settingPlace(s), s.name);
        EXPECT_TRUE(added) << s.name << " and " << at->second << " are both "
                           << at->first.toStdString();
    }
    const struct {
        const char* setting;
        const char* name;
    } cases[] = {
        {"Ssid", "Radio › Station SSID"},
        {"Alias3_ssid", "Digipeater › Simple aliases › Alias 3 › Ssid"},
        {"Beacon2_path1_string", "Beacons › Beacon 2 › Path element 1"},
        {"Teledata_dest_ssid", "Telemetry reports › Report settings › Telemetry data › Dest SSID"},
        {"Teledigital6_units", "Telemetry reports › Digital channels 5-8 › Channel 6 › Label"},
        {"Weather_path1_ssid", "Weather reports › Path element 1 SSID"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settingPlace(setting(c.setting)).toStdString(), c.name);
    }
}

TEST(Schema, ChoiceDefaultsLieInTheirListsAndTextsFitNothingElse) {
    for (const SettingDef& s : settings()) {
        if (s.isChoice()) {
            ASSERT_NE(s.items, nullptr) << s.name;
            EXPECT_GE(s.defaultIndex, 0) << s.name;
            EXPECT_LT(s.defaultIndex, static_cast<int>(s.items->items.size())) << s.name;
            EXPECT_EQ(s.maxLength, 0) << s.name;
            EXPECT_TRUE(s.defaultText.isEmpty()) << s.name;
        } else {
            EXPECT_EQ(s.items, nullptr) << s.name;
            EXPECT_EQ(s.defaultIndex, -1) << s.name;
            EXPECT_GT(s.maxLength, 0) << s.name;
            EXPECT_LE(s.defaultText.size(), s.maxLength) << s.name;
        }
    }
}

TEST(Schema, ItemListSizes) {
    const struct {
        const char* setting;
        size_t count;
    } cases[] = {
        {"Teleanalog3_source", 14}, {"Teledigital6_source", 9},  {"Serial1_mode", 7},
        {"Serial2_mode", 7},        {"Weather_stationtype", 11}, {"RS485_mode", 4},
        {"Weather_enable", 3},      {"Beacon2_enable", 4},       {"Squelch", 10},
        {"Mice_message", 8},        {"GPS_baudrate", 5},         {"Gpspassthrough_baudrate", 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(setting(c.setting).items->items.size(), c.count) << c.setting;
    }
}

TEST(Schema, BaudRateIndexMeansADifferentSpeedPerList) {
    EXPECT_EQ(setting("GPS_baudrate").items->items[3], "9600");
    EXPECT_EQ(setting("Console_baudrate").items->items[3], "57600");
    EXPECT_EQ(setting("Gpspassthrough_baudrate").items->items[3], "38400");
}

TEST(Schema, ChannelWidthsFollowTheTelemetryLimits) {
    for (int k = 1; k <= kAnalogChannels; ++k) {
        for (const char* suffix : {"_name", "_units"}) {
            EXPECT_EQ(setting(familyName("Teleanalog", k, suffix)).maxLength,
                      std::vector<int>({7, 7, 6, 6, 5})[k - 1]);
        }
    }
    for (int k = 1; k <= kDigitalChannels; ++k) {
        for (const char* suffix : {"_name", "_units"}) {
            EXPECT_EQ(setting(familyName("Teledigital", k, suffix)).maxLength,
                      std::vector<int>({6, 5, 4, 4, 4, 3, 3, 3})[k - 1]);
        }
    }
}

TEST(Schema, FamiliesAreCompleteAndNumbered) {
    const struct {
        const char* prefix;
        int count;
        std::vector<const char*> suffixes;
    } families[] = {
        {"Alias", kAliases, {"_name", "_ssid", "_traceable", "_enable"}},
        {"Beacon",
         kBeacons,
         {"_dest_string", "_dest_ssid", "_path1_string", "_path1_ssid", "_path2_string",
          "_path2_ssid", "_txrate", "_enable", "_message"}},
        {"Teleanalog",
         kAnalogChannels,
         {"_name", "_units", "_source", "_coefa", "_coefb", "_coefc", "_average"}},
        {"Teledigital", kDigitalChannels, {"_name", "_units", "_source", "_inverted"}},
        {"Zembor_output", kZemborOutputs, {""}},
    };
    for (const auto& f : families) {
        for (int k = 1; k <= f.count; ++k) {
            for (const char* suffix : f.suffixes) {
                const SettingDef* s = findSetting(familyName(f.prefix, k, suffix));
                ASSERT_NE(s, nullptr) << f.prefix << k << suffix;
                EXPECT_EQ(s->number, k);
            }
        }
    }
}

TEST(Schema, HintsWhereTheWindowShowsThem) {
    for (const SettingDef& s : settings()) {
        const bool debug = s.name.rfind("Debug_", 0) == 0;
        if (s.page == Page::PositionReports || debug) {
            EXPECT_TRUE(s.hint.isEmpty()) << s.name;
        } else {
            EXPECT_FALSE(s.hint.isEmpty()) << s.name;
        }
    }
    EXPECT_EQ(setting("Quiettime").hint, "Delay between last received  packet and packet send.");
    EXPECT_EQ(setting("Beacon4_dest_string").hint, "Beacon 1 destination to-call.");
    EXPECT_EQ(setting("Teleanalog3_coefb").hint,
              "Analog channel 3 telemetry calculation coefficient B. Equation: A*x*x+B*x+C "
              "(where x is the measurement sample).");
    EXPECT_EQ(setting("Teledigital7_units").hint, "Digital channel 7 report label.");
    EXPECT_EQ(setting("Teledata_txrate_rf").hint,
              "Telemetry data TX rate to RF (minutes). Set 0 to disable.");
}

TEST(Schema, KindsAndPageButtons) {
    EXPECT_EQ(setting("Weather_stationtype").kind, Kind::EditableChoice);
    for (int k = 1; k <= kBeacons; ++k) {
        const SettingDef& message = setting(familyName("Beacon", k, "_message"));
        EXPECT_EQ(message.kind, Kind::Message);
        EXPECT_EQ(message.maxLength, 96);
    }
    int defaultButtons = 0;
    for (const ControlDef& c : controls()) {
        if (c.caption == "Default parameters") {
            ++defaultButtons;
        }
    }
    EXPECT_EQ(defaultButtons, 13);
    ASSERT_NE(findControl("Button_special_strings"), nullptr);
    for (const char* label : {"Label_mice", "Label_mice_message", "Label_position_time"}) {
        ASSERT_NE(findControl(label), nullptr) << label;
        EXPECT_EQ(findControl(label)->kind, ControlKind::Label);
    }
}
