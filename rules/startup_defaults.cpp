#include "rules/startup_defaults.h"

#include <functional>
#include <string_view>

#include "rules/choice_handlers.h"
#include "rules/serial_interlocks.h"
#include "rules/telemetry_presets.h"
#include "settings/form.h"
#include "settings/schema.h"

namespace {

// What runs right after the named setting has been given its start-up value.
struct AfterDefault {
    std::string_view setting;
    std::function<Boxes(Form&)> run;
};

const AfterDefault kAfterDefaults[] = {
    {"Position_report_mode",
     [](Form& f) {
         Position_report_modeChange(f);
         return Boxes{};
     }},
    {"Position_report_encoding",
     [](Form& f) {
         Position_report_encodingChange(f);
         return Boxes{};
     }},
    {"Teleanalog5_average",
     [](Form& f) {
         for (int k = 1; k <= kAnalogChannels; ++k) {
             applyAnalogPreset(f, k);
         }
         return Boxes{};
     }},
    {"Teledigital8_inverted",
     [](Form& f) {
         for (int k = 1; k <= kDigitalChannels; ++k) {
             applyDigitalPreset(f, k);
         }
         return Boxes{};
     }},
    {"Serial1_mode", Serial1_modeChange},
    {"Serial2_mode", Serial2_modeChange},
};

}  // namespace

Boxes applyStartupDefaults(Form& form) {
    Boxes boxes;
    for (const SettingDef& s : settings()) {
        if (!s.presetDefault) {
            if (s.isChoice()) {
                form.setIndex(s.name, s.defaultIndex);
            } else {
                form.setText(s.name, s.defaultText);
            }
        }
        for (const AfterDefault& after : kAfterDefaults) {
            if (after.setting == s.name) {
                const Boxes more = after.run(form);
                boxes.insert(boxes.end(), more.begin(), more.end());
            }
        }
    }
    return boxes;
}
