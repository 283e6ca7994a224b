#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/image.h"

class Form;

// A value that a write would refuse.
struct SettingProblem {
    // The field at fault: the SSID field for an SSID out of range, otherwise the setting of
    // the step.
    std::string setting;
    // The message a write shows for it; for a number field that is not a whole number,
    // the conversion message ("'abc' is not a valid integer value."). Where the setting is
    // not otherwise clear, its name (settingPlace) goes in front.
    QString message;
};

// Validates the settings and builds `writeImage` (WriteImage) from them, one setting after
// the other in a fixed order. The first rule that fails ends the pass and is returned: the
// field at fault and the message for an information box; `writeImage` then holds a partial
// image that must not be written. On success the image carries the configuration stamp (drawn
// from `now`, seconds since 1970), the end marker and the checksum, and nothing is returned. A
// number field whose text is not a whole number throws ConversionError at its step. Settings
// are only read.
std::optional<SettingProblem> EncodeSettings(const Form& form, std::int64_t now,
                                             ConfigImage& writeImage);

// Every value the steps of EncodeSettings refuse, in their order, without stopping at the
// first and without showing anything: the first one listed is the one a write reports.
std::vector<SettingProblem> CheckSettings(const Form& form);
// The problems of setting `name` alone, by the same steps.
std::vector<SettingProblem> CheckSetting(const Form& form, std::string_view name);

// Fills a 7-byte address field from a call text and an SSID text: the call in upper case
// (a to z only) padded with spaces, then "0" + SSID. An empty call stores SSID 0 whatever
// the SSID text holds. Returns false, leaving the field as it was, when the call is not empty
// and either is no AX.25 call once raised (isAx25Call) or has an SSID that is not a whole
// number from 0 to 15.
bool EncodeAddress(const QString& call, const QString& ssid, std::span<std::uint8_t, 7> field);

// DDMM.MMN or DDMM.MMS: 8 characters, degrees 0 to 89, minutes below 60.
bool CheckLatitude(const QString& text);
// DDDMM.MME or DDDMM.MMW: 9 characters, degrees 0 to 179, minutes below 60.
bool CheckLongitude(const QString& text);

// The steps of EncodeSettings in order, each on the field that stores `setting` (see
// imageField). Header, stamp, end marker and checksum are written around them.
enum class Rule {
    Store,          // convert and store by the field's encoding, refusing what the field
                    // cannot hold: a number out of its bounds, a choice with no item, a text
                    // with control characters or characters the byte table has no byte for,
                    // a call that is no AX.25 call
    NotEmpty,       // test only: the text is not empty
    Length,         // test only: the text is exactly as long as the field
    Range,          // number from min to max
    RangeOrZero,    // number 0, or from min to max
    Latitude,       // CheckLatitude, then the 8 characters
    Longitude,      // CheckLongitude, then the 9 characters
    Printable,      // text of printable characters (0x20 to 0x7E)
    BeaconMessage,  // the same after leaving out carriage returns and line feeds
};
struct EncodeStep {
    std::string setting;
    Rule rule = Rule::Store;
    // Shown when the rule fails; for an address field, when its SSID is out of range.
    QString message;
    int min = 0;
    int max = 0;
    // The setting as messages name it, for a text too long for its field ("Status text").
    QString title;
};
const std::vector<EncodeStep>& encodeSteps();
