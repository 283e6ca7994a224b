#pragma once

#include <string>

#include "recording_host.h"
#include "settings/defaults.h"
#include "settings/image.h"
#include "settings/memory_form.h"

// A form holding the start-up settings, and the host that saw them applied.
struct StartupForm {
    StartupForm() { applyStartupDefaults(form, host); }
    MemoryForm form;
    RecordingHost host;
};

// `size` bytes of the image from `offset`, as a string for readable comparisons.
inline std::string bytesAt(const ConfigImage& image, int offset, int size) {
    return std::string(image.begin() + offset, image.begin() + offset + size);
}
