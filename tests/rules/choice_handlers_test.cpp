#include <gtest/gtest.h>

#include "recording_sink.h"
#include "rules/choice_handlers.h"
#include "rules/serial_interlocks.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"

TEST(PositionEncoding, SwitchesMiceMessageAndTimeChoice) {
    MemoryForm form;
    RecordingSink host;
    applyStartupDefaults(form);
    form.setIndex("Mice_message", 5);

    const struct {
        int encoding;
        bool mice;
    } cases[] = {{2, false}, {0, true}, {1, false}};
    for (const auto& c : cases) {
        form.setIndex("Position_report_encoding", c.encoding);
        Position_report_encodingChange(form);
        for (const char* name : {"Label_mice", "Label_mice_message", "Mice_message"}) {
            EXPECT_EQ(form.isEnabled(name), c.mice) << name << " encoding " << c.encoding;
        }
        for (const char* name : {"Label_position_time", "Position_time"}) {
            EXPECT_EQ(form.isEnabled(name), !c.mice) << name << " encoding " << c.encoding;
        }
        EXPECT_EQ(form.index("Mice_message"), 5);  // disabling keeps the chosen item
    }

    form.setIndex("Position_report_encoding", -1);
    Position_report_encodingChange(form);
    EXPECT_FALSE(form.isEnabled("Mice_message"));  // unchanged from the last run
    EXPECT_TRUE(form.isEnabled("Position_time"));
}

TEST(PositionMode, ChangesNothing) {
    MemoryForm form;
    RecordingSink host;
    applyStartupDefaults(form);
    form.setIndex("Position_report_mode", 0);
    Position_report_modeChange(form);
    EXPECT_TRUE(form.isEnabled("Position_report_interval"));
    EXPECT_TRUE(form.isEnabled("Smartbeaconing_turn_slope"));
    EXPECT_TRUE(form.isEnabled("Mice_message"));
}

TEST(WeatherStationHandler, RunsPortOneRulesThenPortTwo) {
    MemoryForm form;
    RecordingSink host;
    applyStartupDefaults(form);
    // Port 2 "Weather station" picked while port 1 is "GPS passthrough": stands until a
    // port 1 handler runs, here through the weather station choice.
    form.setIndex("Serial1_mode", 6);
    form.setIndex("Serial2_mode", 1);
    host.show(Serial2_modeChange(form));
    EXPECT_TRUE(host.informations.isEmpty());
    form.setIndex("Weather_stationtype", 3);
    host.show(Weather_stationtypeChange(form));
    EXPECT_EQ(form.index("Serial2_mode"), 4);
    ASSERT_EQ(host.informations.size(), 1);
    EXPECT_EQ(host.informations[0],
              "RS-232 port 2 changed to GPS.\rReason:\rGPS passthrough function on port 1 "
              "needs a GPS connected to port 2.");
}
