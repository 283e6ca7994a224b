#include <gtest/gtest.h>

#include <QStringList>

#include "recording_sink.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/schema.h"

namespace {

// A MemoryForm that records the order in which the program writes settings.
class OrderForm : public MemoryForm {
  public:
    void setText(std::string_view name, const QString& text) override {
        writes.push_back(std::string(name));
        MemoryForm::setText(name, text);
    }
    void setIndex(std::string_view name, int index) override {
        writes.push_back(std::string(name));
        MemoryForm::setIndex(name, index);
    }
    size_t firstWrite(const std::string& name) const {
        return std::find(writes.begin(), writes.end(), name) - writes.begin();
    }
    std::vector<std::string> writes;
};

}  // namespace

TEST(StartupDefaults, FreshFormHasNothingChosen) {
    MemoryForm form;
    EXPECT_EQ(form.index("Serial1_mode"), -1);
    EXPECT_EQ(form.text("Callsign"), "");
}

TEST(StartupDefaults, EverySettingHoldsItsDefault) {
    MemoryForm form;
    RecordingSink host;
    applyStartupDefaults(form);
    for (const SettingDef& s : settings()) {
        if (s.isChoice()) {
            EXPECT_EQ(form.index(s.name), s.defaultIndex) << s.name;
        } else {
            EXPECT_EQ(form.text(s.name), s.defaultText) << s.name;
        }
    }
    EXPECT_TRUE(host.events.isEmpty()) << host.events.join("\n").toStdString();
}

TEST(StartupDefaults, PresetsFillTheTelemetryChannels) {
    MemoryForm form;
    RecordingSink host;
    applyStartupDefaults(form);
    EXPECT_EQ(form.text("Teleanalog1_name"), "Vin");
    EXPECT_EQ(form.text("Teleanalog1_units"), "Volt");
    EXPECT_EQ(form.text("Teleanalog1_coefa"), "0");
    EXPECT_EQ(form.text("Teleanalog1_coefb"), "0.075");
    EXPECT_EQ(form.text("Teleanalog1_coefc"), "0");
    EXPECT_EQ(form.index("Teleanalog1_average"), 0);
    for (int k = 2; k <= 5; ++k) {
        EXPECT_EQ(form.text(familyName("Teleanalog", k, "_name")), QString("A%1").arg(k));
        EXPECT_EQ(form.text(familyName("Teleanalog", k, "_units")), "None");
    }
    const QStringList names = {"O1", "O2", "O3", "O4", "I1", "I2", "I3", "I4"};
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(form.index(familyName("Teledigital", k, "_source")), k);
        EXPECT_EQ(form.text(familyName("Teledigital", k, "_name")), names[k - 1]);
    }
}

TEST(StartupDefaults, EncodingHandlerRanAndSerialRolesStandWithoutMessage) {
    MemoryForm form;
    RecordingSink host;
    applyStartupDefaults(form);
    EXPECT_TRUE(form.isEnabled("Mice_message"));
    EXPECT_TRUE(form.isEnabled("Label_mice"));
    EXPECT_TRUE(form.isEnabled("Label_mice_message"));
    EXPECT_FALSE(form.isEnabled("Position_time"));
    EXPECT_FALSE(form.isEnabled("Label_position_time"));
    EXPECT_EQ(form.index("Serial1_mode"), 2);
    EXPECT_EQ(form.index("Serial2_mode"), 4);
    EXPECT_TRUE(host.informations.isEmpty());
}

TEST(StartupDefaults, AppliedInStartupOrder) {
    OrderForm form;
    RecordingSink host;
    applyStartupDefaults(form);
    const auto before = [&](const std::string& a, const std::string& b) {
        EXPECT_LT(form.firstWrite(a), form.firstWrite(b)) << a << " before " << b;
    };
    before("Consecutive_packets", "Position_report_mode");
    before("Position_report_mode", "Smartbeaconing_min_turn_angle");
    before("Position_report_interval", "Position_report_encoding");
    before("Position_report_encoding", "Position_symbol_code");
    before("Position_fixlost_interval", "Digion");
    before("Alias8_enable", "Beacon1_dest_string");
    before("Beacon4_message", "Teleparams_dest_string");
    before("Tele_enable", "Teleanalog1_source");
    // Every analog source is chosen before the first preset writes a name.
    before("Teleanalog5_source", "Teleanalog1_name");
    before("Teleanalog5_average", "Teledigital1_source");
    before("Teledigital8_source", "Teledigital1_name");
    before("Teledigital8_inverted", "Zembor_output1");
    before("Zembor_output4", "Weather_dest_string");
    before("Weather_comment", "Serial1_mode");
    before("Serial1_mode", "Serial2_mode");
    before("Serial2_mode", "RS485_mode");
    before("Bitsmodule_enable", "Weather_stationtype");
    before("Weather_stationtype", "Console_baudrate");
    before("Debug_thermo", "GPS_baudrate");
    before("Kiss_check", "Gpspassthrough_baudrate");
    EXPECT_EQ(form.writes.back(), "Gpspassthrough_baudrate");
}
