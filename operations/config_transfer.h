#pragma once

#include <cstdint>

#include "image/image.h"

class DeviceLink;
class Form;
class Host;

// The firmware version whose configuration layout this program reads and writes (1.07).
inline constexpr std::uint32_t ConfiguratorFirmwareVersion = 107;

// "Read config": reads the tracker's configuration into `readImage`, checks it, puts it into
// the settings and shows the tracker's firmware version. True once the settings hold the
// tracker's configuration (also when the version query after it fails).
bool Button_read_configClick(Form& form, Host& host, DeviceLink& link, ConfigImage& readImage);

// Reads the 256 configuration pages into `readImage`, stopping at the first failing page.
void ReadEeprom(Host& host, DeviceLink& link, ConfigImage& readImage);

// Asks the open tracker for its firmware version and shows it; false when it did not answer.
bool ShowFirmwareVersion(Host& host, DeviceLink& link);

// "Write config": validates and encodes the settings into `writeImage` and, when the tracker
// runs the matching firmware, writes the image to it. True when every page was written.
bool Button_write_configClick(Form& form, Host& host, DeviceLink& link, ConfigImage& writeImage);

// Writes the 256 pages of `writeImage`, stopping at the first failing page; false then.
bool WriteEeprom(Host& host, DeviceLink& link, const ConfigImage& writeImage);
