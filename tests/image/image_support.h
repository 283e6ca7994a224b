#pragma once

#include <map>
#include <string>

#include "image/image.h"
#include "recording_sink.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/schema.h"

// A form holding the start-up settings, and the host that saw them applied.
struct StartupForm {
    StartupForm() { applyStartupDefaults(form); }
    MemoryForm form;
    RecordingSink host;
};

// `size` bytes of the image from `offset`, as a string for readable comparisons.
inline std::string bytesAt(const ConfigImage& image, int offset, int size) {
    return std::string(image.begin() + offset, image.begin() + offset + size);
}

// Every setting's value (choices as their index), for comparing forms.
inline std::map<std::string, QString> values(const Form& form) {
    std::map<std::string, QString> v;
    for (const SettingDef& s : settings()) {
        v[s.name] = s.isChoice() ? QString::number(form.index(s.name)) : form.text(s.name);
    }
    return v;
}
