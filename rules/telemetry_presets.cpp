#include "rules/telemetry_presets.h"

#include <QString>

#include "settings/form.h"
#include "settings/schema.h"

namespace {

struct AnalogPreset {
    const char* name;  // nullptr: "A" and the channel number
    const char* units;
    const char* a;
    const char* b;
    const char* c;
};

// One row per analog source, in the order of the source list. Reported value is
// A*x*x+B*x+C of the raw sample x.
const AnalogPreset kAnalogPresets[] = {
    {nullptr, "None", "0", "0", "0"},    // Not used
    {"I1", "mA", "0", "19.5", "0"},      // (M) Current1 (5A fullscale)
    {"I1", "mA", "0", "9.76", "0"},      // (M) Current1 (2.5A fullscale)
    {"I1", "mA", "0", "4.88", "0"},      // (M) Current1 (1.25A fullscale)
    {"I2", "mA", "0", "19.5", "0"},      // (M) Current2 (5A fullscale)
    {"I2", "mA", "0", "9.76", "0"},      // (M) Current2 (2.5A fullscale)
    {"I2", "mA", "0", "4.88", "0"},      // (M) Current2 (1.25A fullscale)
    {"U1", "Volt", "0", "0.1", "0"},     // (M) Voltage1
    {"U2", "Volt", "0", "0.1", "0"},     // (M) Voltage2
    {"Temp", "C", "0", "0.5", "-64"},    // (M) Temperature (DS18B20)
    {"Temp", "C", "0", "0.5", "-64"},    // (M) Temperature (DS18S20)
    {"Vin", "Volt", "0", "0.075", "0"},  // (I) Input voltage
    {"Temp", "C", "0", "0.5", "-64"},    // (E) Temperature (DS18B20)
    {"Temp", "C", "0", "0.5", "-64"},    // (E) Temperature (DS18S20)
};

struct DigitalPreset {
    const char* name;   // nullptr: "B" and the channel number
    const char* label;  // nullptr: "None", or "Non" on the three-character channels 6 to 8
};

const DigitalPreset kDigitalPresets[] = {
    {nullptr, nullptr}, {"O1", "On"}, {"O2", "On"}, {"O3", "On"}, {"O4", "On"},
    {"I1", "Hi"},       {"I2", "Hi"}, {"I3", "Hi"}, {"I4", "Hi"},
};

template <typename Table>
const auto* presetFor(const Table& table, int source) {
    constexpr int count = static_cast<int>(std::size(Table{}));
    return source >= 0 && source < count ? &table[source] : nullptr;
}

}  // namespace

void applyAnalogPreset(Form& form, int channel) {
    const auto field = [channel](const char* suffix) {
        return familyName("Teleanalog", channel, suffix);
    };
    const AnalogPreset* p = presetFor(kAnalogPresets, form.index(field("_source")));
    if (p == nullptr) {
        return;
    }
    form.setText(field("_name"), p->name ? QString(p->name) : QStringLiteral("A%1").arg(channel));
    form.setText(field("_units"), p->units);
    form.setText(field("_coefa"), p->a);
    form.setText(field("_coefb"), p->b);
    form.setText(field("_coefc"), p->c);
    form.setIndex(field("_average"), 0);
}

void applyDigitalPreset(Form& form, int channel) {
    const auto field = [channel](const char* suffix) {
        return familyName("Teledigital", channel, suffix);
    };
    const DigitalPreset* p = presetFor(kDigitalPresets, form.index(field("_source")));
    if (p == nullptr) {
        return;
    }
    form.setText(field("_name"), p->name ? QString(p->name) : QStringLiteral("B%1").arg(channel));
    form.setText(field("_units"), p->label ? QString(p->label) : channel <= 5 ? "None" : "Non");
    form.setIndex(field("_inverted"), 0);
}
