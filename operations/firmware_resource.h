#pragma once

#include <QByteArray>
#include <optional>

// The firmware image this build carries for the upload, or nothing when it carries
// none. A build embeds a firmware file only when configured with
// -DVELTROMARK_FIRMWARE=/path/to/firmware.bin; the default build carries none, so it can never
// send a made-up image to a real tracker.
std::optional<QByteArray> embeddedFirmware();

// A deterministic 45,056-byte test image (1,408 pages) for the simulated tracker. Never sent
// to a real tracker: only the demo build and simulated runs use it.
QByteArray demoFirmware();
