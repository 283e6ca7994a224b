#include <gtest/gtest.h>

#include <map>
#include <set>

#include "configfile/key_table.h"
#include "settings/schema.h"

namespace {

std::string lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

TEST(KeyTable, StepsRunFrom1To228) {
    const auto& rows = keyTable();
    ASSERT_EQ(rows.size(), 228u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].step, static_cast<int>(i) + 1);
    }
}

TEST(KeyTable, CountsByValueKind) {
    std::map<ValueKind, int> count;
    for (const KeyRow& row : keyTable()) {
        ++count[row.kind];
    }
    EXPECT_EQ(count[ValueKind::Fixed], 3);
    EXPECT_EQ(count[ValueKind::Text], 118);
    EXPECT_EQ(count[ValueKind::Number], 22);
    EXPECT_EQ(count[ValueKind::Flag], 8);
    EXPECT_EQ(count[ValueKind::Index], 77);
}

TEST(KeyTable, EverySettingHasExactlyOneRowOfItsKind) {
    std::map<std::string, int> rowsPerSetting;
    for (const KeyRow& row : keyTable()) {
        if (row.kind == ValueKind::Fixed) {
            EXPECT_EQ(row.section, "!WARNING");
            EXPECT_TRUE(row.setting.empty());
            continue;
        }
        ++rowsPerSetting[row.setting];
        const SettingDef* s = findSetting(row.setting);
        ASSERT_NE(s, nullptr) << row.setting;
        switch (row.kind) {
            case ValueKind::Text:
                EXPECT_TRUE(s->isText()) << row.setting;
                break;
            case ValueKind::Number:
                EXPECT_EQ(s->kind, Kind::Text) << row.setting;
                break;
            case ValueKind::Index:
            case ValueKind::Flag:
                ASSERT_TRUE(s->isChoice()) << row.setting;
                EXPECT_GE(row.defaultNumber, 0) << row.setting;
                EXPECT_LT(row.defaultNumber, static_cast<int>(s->items->items.size()))
                    << row.setting;
                break;
            case ValueKind::Fixed:
                break;
        }
        if (row.kind == ValueKind::Flag) {
            EXPECT_EQ(s->items, &lists::NeverAlways) << row.setting;
        }
    }
    EXPECT_EQ(rowsPerSetting.size(), settings().size());
    for (const SettingDef& s : settings()) {
        EXPECT_EQ(rowsPerSetting[s.name], 1) << s.name;
    }
}

TEST(KeyTable, KeysAreUniqueWithinTheirSectionInAnyLetterCase) {
    std::set<std::pair<std::string, std::string>> seen;
    for (const KeyRow& row : keyTable()) {
        EXPECT_TRUE(seen.insert({lower(row.section), lower(row.key)}).second)
            << row.section << "/" << row.key;
        EXPECT_EQ(row.key.find_first_of("=[]; \t"), std::string::npos) << row.key;
    }
}

TEST(KeyTable, SectionsFirstAppearInFileOrder) {
    std::vector<std::string> order;
    for (const KeyRow& row : keyTable()) {
        if (std::find(order.begin(), order.end(), row.section) == order.end()) {
            order.push_back(row.section);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"!WARNING", "Radio", "PositionReports", "Digipeater",
                                               "Beacons", "Telemetry", "Weather", "SerialPorts",
                                               "Debug", "GPSMemory"}));
}

TEST(KeyTable, RowsAtTheStepsOthersRelyOn) {
    struct Expect {
        int step;
        const char* section;
        const char* key;
        const char* setting;
    };
    for (const Expect& e :
         {Expect{4, "Radio", "Callsign", "Callsign"},
          Expect{45, "Digipeater", "Digi1_enable", "Alias1_enable"},
          Expect{82, "Beacons", "Beacon1_msg", "Beacon1_message"},
          Expect{116, "Telemetry", "Teleparams_txrate", "Teleparams_txrate_rf"},
          Expect{191, "Telemetry", "Teledigital8_label", "Teledigital8_units"},
          Expect{208, "SerialPorts", "Serial1", "Serial1_mode"},
          Expect{209, "SerialPorts", "Serial2", "Serial2_mode"},
          Expect{213, "Weather", "Weather_stationtype", "Weather_stationtype"},
          Expect{224, "GPSMemory", "StoreMinspeed", "Position_store_minspeed"},
          Expect{228, "SerialPorts", "GPSPassthroughBaudrate", "Gpspassthrough_baudrate"}}) {
        const KeyRow& row = keyTable()[static_cast<std::size_t>(e.step - 1)];
        EXPECT_EQ(row.section, e.section) << e.step;
        EXPECT_EQ(row.key, e.key) << e.step;
        EXPECT_EQ(row.setting, e.setting) << e.step;
    }
}

TEST(KeyTable, HeaderEntries) {
    EXPECT_EQ(headerRow("WARNING").literal,
              "Please do not try to modify this file. It should be managed with Veltromark "
              "configurator program.");
    EXPECT_EQ(headerRow("Application").literal, "Veltromark Configurator");
    EXPECT_EQ(headerRow("Application").defaultText, "unknown");
    EXPECT_EQ(headerRow("Version").literal, "v1.07");
    EXPECT_EQ(headerRow("Version").defaultText, "unknown");
}

// The import's defaults are the start-up values except for the telemetry channels' descriptive
// fields and sources. Comparing the two tables catches a typo in either.
TEST(KeyTable, DefaultsDifferFromStartupOnlyForTelemetryChannels) {
    std::map<std::string, QString> differing;
    for (const KeyRow& row : keyTable()) {
        if (row.kind == ValueKind::Fixed) {
            continue;
        }
        const SettingDef& s = setting(row.setting);
        const QString importDefault =
            row.kind == ValueKind::Text ? row.defaultText : QString::number(row.defaultNumber);
        const QString startup = s.isChoice() ? QString::number(s.defaultIndex) : s.defaultText;
        if (importDefault != startup) {
            differing[row.setting] = importDefault;
        }
    }
    std::map<std::string, QString> want = {{"Teleanalog1_name", "A1"},
                                           {"Teleanalog1_units", "None"},
                                           {"Teleanalog1_source", "0"},
                                           {"Teleanalog1_coefb", "0"}};
    for (int k = 1; k <= kDigitalChannels; ++k) {
        want[familyName("Teledigital", k, "_name")] = QStringLiteral("B%1").arg(k);
        want[familyName("Teledigital", k, "_units")] = k <= 5 ? "None" : "Non";
        want[familyName("Teledigital", k, "_source")] = "0";
    }
    EXPECT_EQ(differing, want);
}

}  // namespace
