#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/image.h"
#include "settings/outcome.h"
#include "settings/wording.h"

class Form;

// Sets a call text setting and an SSID text setting from one 7-byte address field: the call
// without its trailing spaces (up to the first zero byte), the SSID as the decimal text of
// the SSID character − "0" (":" gives "10").
void DecodeAddress(Form& form, std::span<const std::uint8_t, 7> field, std::string_view callSetting,
                   std::string_view ssidSetting);

// Sets every setting from `image` (ReadImage) when its version text starts with
// kConfigFormatVersion, running the position report and serial port change handlers on the way
// (the outcome carries the boxes of the serial port rules). On any other version it fails,
// changing no setting, with an information box that says why. Nothing is range-tested: the image's
// values are shown as they are, except a 32-bit number above 2,147,483,647, which no number
// setting holds: that setting gets its default, and one information box names each such setting
// with the value the tracker holds. Call it only for an image that passed CheckImage. `words`
// name how a new configuration is written.
Outcome DecodeImage(Form& form, const ConfigImage& image, const Wording& words);

// The order in which DecodeImage sets the settings: each step either sets one setting (both
// settings of an address field) from its field, or runs a change handler on what has been
// set so far.
struct DecodeStep {
    std::string setting;
    Boxes (*handler)(Form&) = nullptr;
};
const std::vector<DecodeStep>& decodeSteps();

// The text of a text field: the bytes up to the first zero byte, never more than `size`.
QString imageText(const ConfigImage& image, int offset, int size);
