#pragma once

#include <cstdint>

#include "image/image.h"
#include "settings/outcome.h"

class DeviceLink;
class Form;
class ProgressSink;

// The firmware version whose configuration layout this program reads and writes (1.07).
inline constexpr std::uint32_t ConfiguratorFirmwareVersion = 107;

// Reads the tracker's configuration into `readImage`, checks it, puts it into the settings and
// asks the tracker for its firmware version, which the outcome shows ("Firmware version:
// 1.07"). Succeeds once the settings hold the tracker's configuration (also when the version
// query after it fails). The sink may stop the read between pages; no setting changes then.
Outcome readConfiguration(DeviceLink& link, ProgressSink& sink, Form& form, ConfigImage& readImage);

// Validates and encodes the settings into `writeImage` and, when the tracker runs the matching
// firmware, writes the image to it. Succeeds when every page was written. The write is never
// stopped half way, whatever the sink answers between pages.
Outcome writeConfiguration(DeviceLink& link, ProgressSink& sink, const Form& form,
                           ConfigImage& writeImage);
