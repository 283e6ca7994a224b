#include <gtest/gtest.h>

#include "recording_sink.h"
#include "rules/startup_defaults.h"
#include "rules/telemetry_presets.h"
#include "settings/memory_form.h"
#include "settings/schema.h"

namespace {

struct AnalogCase {
    int channel;
    int source;
    QStringList want;  // name, units, A, B, C
};

TEST(AnalogPreset, FillsTheChannelForItsSource) {
    const AnalogCase cases[] = {
        {4, 0, {"A4", "None", "0", "0", "0"}},       {1, 0, {"A1", "None", "0", "0", "0"}},
        {1, 1, {"I1", "mA", "0", "19.5", "0"}},      {3, 3, {"I1", "mA", "0", "4.88", "0"}},
        {2, 5, {"I2", "mA", "0", "9.76", "0"}},      {5, 4, {"I2", "mA", "0", "19.5", "0"}},
        {2, 7, {"U1", "Volt", "0", "0.1", "0"}},     {5, 8, {"U2", "Volt", "0", "0.1", "0"}},
        {1, 9, {"Temp", "C", "0", "0.5", "-64"}},    {2, 10, {"Temp", "C", "0", "0.5", "-64"}},
        {3, 11, {"Vin", "Volt", "0", "0.075", "0"}}, {4, 12, {"Temp", "C", "0", "0.5", "-64"}},
        {5, 13, {"Temp", "C", "0", "0.5", "-64"}},
    };
    for (const AnalogCase& c : cases) {
        MemoryForm form;
        RecordingSink host;
        applyStartupDefaults(form);
        const auto f = [&](const char* suffix) {
            return familyName("Teleanalog", c.channel, suffix);
        };
        form.setIndex(f("_source"), c.source);
        form.setIndex(f("_average"), 1);
        applyAnalogPreset(form, c.channel);
        const QStringList got = {form.text(f("_name")), form.text(f("_units")),
                                 form.text(f("_coefa")), form.text(f("_coefb")),
                                 form.text(f("_coefc"))};
        EXPECT_EQ(got, c.want) << "channel " << c.channel << " source " << c.source;
        EXPECT_EQ(form.index(f("_average")), 0) << "average reset to Off";
    }
}

struct DigitalCase {
    int channel;
    int source;
    const char* name;
    const char* label;
};

TEST(DigitalPreset, FillsTheChannelForItsSource) {
    const DigitalCase cases[] = {
        {7, 0, "B7", "Non"},  {6, 0, "B6", "Non"},  {8, 0, "B8", "Non"},
        {5, 0, "B5", "None"}, {1, 0, "B1", "None"}, {2, 1, "O1", "On"},
        {8, 4, "O4", "On"},   {3, 5, "I1", "Hi"},   {6, 8, "I4", "Hi"},
    };
    for (const DigitalCase& c : cases) {
        MemoryForm form;
        RecordingSink host;
        applyStartupDefaults(form);
        const auto f = [&](const char* suffix) {
            return familyName("Teledigital", c.channel, suffix);
        };
        form.setIndex(f("_source"), c.source);
        form.setIndex(f("_inverted"), 1);
        applyDigitalPreset(form, c.channel);
        EXPECT_EQ(form.text(f("_name")), c.name) << c.channel << "/" << c.source;
        EXPECT_EQ(form.text(f("_units")), c.label) << c.channel << "/" << c.source;
        EXPECT_EQ(form.index(f("_inverted")), 0);
    }
}

TEST(Presets, NothingWithoutASourceAndNothingOnSourceChangeAlone) {
    MemoryForm form;
    RecordingSink host;
    applyStartupDefaults(form);
    form.setText("Teleanalog2_name", "Mine");
    form.setIndex("Teleanalog2_average", 1);
    form.setIndex("Teleanalog2_source", 9);  // choosing a source applies nothing by itself
    EXPECT_EQ(form.text("Teleanalog2_name"), "Mine");
    form.setIndex("Teleanalog2_source", -1);
    applyAnalogPreset(form, 2);
    EXPECT_EQ(form.text("Teleanalog2_name"), "Mine");
    EXPECT_EQ(form.index("Teleanalog2_average"), 1);

    form.setText("Teledigital3_name", "Door");
    form.setIndex("Teledigital3_source", -1);
    applyDigitalPreset(form, 3);
    EXPECT_EQ(form.text("Teledigital3_name"), "Door");
}

}  // namespace
