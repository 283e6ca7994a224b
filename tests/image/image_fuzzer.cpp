// Decodes arbitrary images into a form and encodes them back: neither may crash, read or
// write out of bounds, or build an image that fails its own check.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "image/decoder.h"
#include "image/encoder.h"
#include "image/image.h"
#include "recording_host.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ConfigImage image{};
    std::memcpy(image.data(), data, std::min(size, image.size()));
    MemoryForm form;
    RecordingHost host;
    applyStartupDefaults(form, host);
    DecodeImage(form, host, image);  // usually a version mismatch
    std::memcpy(image.data() + 6, ConfigVersionText.data(), ConfigVersionText.size());
    if (!DecodeImage(form, host, image)) {
        std::abort();
    }
    ConfigImage written{};
    try {
        if (EncodeSettings(form, host, written) && !CheckImage(written)) {
            std::abort();
        }
    } catch (const ConversionError&) {
        // A stored number beyond the signed 32-bit range: refused like a typed one.
    }
    return 0;
}
