// Decodes images into a form and encodes them back: neither may crash, read or write out of
// bounds, or build an image that fails its own check, and an image the encoder built must
// decode into the very settings it was built from.
//
// Arbitrary bytes almost never make settings the encoder accepts (the callsign or the
// latitude fails first), so seven inputs in eight are edits of a valid image instead: the input
// after its first byte is a list of (offset, value) edits of the fields of the simulated
// tracker's sample image (at most kMaxEdits of them), most with characters a text field takes.
// The others are whole images.
//
// VELTROMARK_FUZZ_STATS=1 prints how many inputs were encoded when the run ends.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/decoder.h"
#include "image/encoder.h"
#include "image/image.h"
#include "image/layout.h"
#include "recording_sink.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/number.h"
#include "settings/schema.h"
#include "sim/sample_contents.h"
#include "version.h"

namespace {

struct Stats {
    long inputs = 0;
    long encoded = 0;
    ~Stats() {
        if (std::getenv("VELTROMARK_FUZZ_STATS")) {
            std::fprintf(stderr, "image_fuzzer: %ld of %ld inputs encoded (%.1f%%)\n", encoded,
                         inputs, inputs ? 100.0 * encoded / inputs : 0.0);
        }
    }
} stats;

// Edits of a valid image beyond these few would seldom leave it valid.
constexpr std::size_t kMaxEdits = 4;

// Characters the text fields take: upper-case letters and digits, and a few signs.
constexpr char kFieldCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -./<>";

ConfigImage imageFrom(const std::uint8_t* data, std::size_t size) {
    if (size > 0 && data[0] % 8 != 0) {
        ConfigImage image = sampleConfigurationImage();
        for (std::size_t i = 1; i + 3 <= size && i <= 3 * kMaxEdits; i += 3) {
            const std::size_t offset = (data[i] << 8 | data[i + 1]) % kImageFieldsEnd;
            const std::uint8_t value = data[i + 2];
            image[offset] = value < 192
                                ? static_cast<std::uint8_t>(
                                      kFieldCharacters[value % (sizeof kFieldCharacters - 1)])
                                : value;
        }
        return image;
    }
    ConfigImage image{};
    if (size > 0) {
        std::memcpy(image.data(), data + 1, std::min(size - 1, image.size()));
    }
    return image;
}

std::unique_ptr<MemoryForm> startupForm(RecordingSink& host) {
    auto form = std::make_unique<MemoryForm>();
    host.show(applyStartupDefaults(*form));
    return form;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ++stats.inputs;
    ConfigImage image = imageFrom(data, size);
    RecordingSink host;
    const auto form = startupForm(host);
    host.shown(DecodeImage(*form, image, {}));  // a version mismatch for most whole images
    std::memcpy(image.data() + 6, kConfigFormatVersion.data(), kConfigFormatVersion.size());
    if (!host.shown(DecodeImage(*form, image, {}))) {
        std::abort();
    }
    ConfigImage written{};
    try {
        if (!host.encoded(EncodeSettings(*form, host.now(), written))) {
            return 0;
        }
    } catch (const ConversionError&) {
        return 0;  // a stored number beyond the signed 32-bit range: refused like a typed one
    }
    ++stats.encoded;
    if (!CheckImage(written)) {
        std::abort();
    }
    // The image the encoder built holds exactly the settings it was built from.
    const auto again = startupForm(host);
    if (!host.shown(DecodeImage(*again, written, {}))) {
        std::abort();
    }
    for (const SettingDef& s : settings()) {
        const auto value = [&s](const MemoryForm& f) {
            return s.isText() ? f.text(s.name) : QString::number(f.index(s.name));
        };
        // Calls are stored in upper case, and an address with an empty call with SSID 0,
        // whatever the SSID field held.
        const bool sameText = value(*form).compare(value(*again), Qt::CaseInsensitive) == 0;
        const bool ssidOfEmptyCall = QString::fromLatin1(s.name.data(), s.name.size())
                                         .contains(QLatin1String("ssid"), Qt::CaseInsensitive) &&
                                     value(*again) == QLatin1String("0");
        if (!sameText && !ssidOfEmptyCall) {
            std::fprintf(stderr, "%s: '%s' became '%s'\n", std::string(s.name).c_str(),
                         qPrintable(value(*form)), qPrintable(value(*again)));
            std::abort();
        }
    }
    // ... and once through, the settings are a fixed point: they encode into the same image.
    ConfigImage rewritten{};
    if (!host.encoded(EncodeSettings(*again, host.now(), rewritten)) || rewritten != written) {
        std::abort();
    }
    return 0;
}
