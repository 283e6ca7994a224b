#include "image/encoder.h"

#include <QByteArray>
#include <algorithm>
#include <functional>
#include <random>

#include "image/layout.h"
#include "settings/ax25_call.h"
#include "settings/form.h"
#include "settings/number.h"
#include "settings/schema.h"
#include "settings/visible_text.h"
#include "settings/windows1252.h"
#include "version.h"

namespace {

class StepList {
  public:
    void store(std::initializer_list<std::string_view> names) {
        for (std::string_view name : names) {
            add({std::string(name), Rule::Store, {}, 0, 0, {}});
        }
    }
    void store(std::string name) { add({std::move(name), Rule::Store, {}, 0, 0, {}}); }
    // A text field; `title` names it in the message about a text too long for the field.
    void text(std::string name, QString title) {
        add({std::move(name), Rule::Store, {}, 0, 0, std::move(title)});
    }
    // An address field under its call setting; `message` tells of an SSID out of range.
    void address(std::string call, QString title, QString message) {
        add({std::move(call), Rule::Store, std::move(message), 0, 0, std::move(title)});
    }
    void check(Rule rule, std::string name, QString message, QString title = {}) {
        add({std::move(name), rule, std::move(message), 0, 0, std::move(title)});
    }
    void range(std::string name, int min, int max, QString message, Rule rule = Rule::Range) {
        add({std::move(name), rule, std::move(message), min, max, {}});
    }

    std::vector<EncodeStep> steps;

  private:
    void add(EncodeStep step) { steps.push_back(std::move(step)); }
};

QString ssidError(const QString& what) {
    return what + QStringLiteral(" - SSID range error (0 - 15).");
}

// One report row (beacon, telemetry, weather): destination and two path address fields.
void reportRow(StepList& s, const std::string& prefix, const QString& destination,
               const QString& path1, const QString& path2, const QString& path1Error,
               const QString& path2Error) {
    s.address(prefix + "_dest_string", destination, ssidError(destination));
    s.address(prefix + "_path1_string", path1, path1Error);
    s.address(prefix + "_path2_string", path2, path2Error);
}

// In the order the settings are checked: of several broken rules the first one here is the
// one reported.
std::vector<EncodeStep> buildEncodeSteps() {
    StepList s;
    s.check(Rule::NotEmpty, "Callsign", "Callsign - too short (ex. NOCALL-4).");
    s.address("Callsign", "Callsign", ssidError("Callsign"));
    s.check(Rule::Latitude, "Latitude",
            "Our latitude - syntax error (ex. 5221.60N, format: DDMM.MM).");
    // Two texts that differ in one colon: the first for a wrong length, the second for a
    // wrong form.
    s.check(Rule::Length, "Longitude",
            "Our longitude - syntax error (ex. 01653.63E, format DDDMM.MM).");
    s.check(Rule::Longitude, "Longitude",
            "Our longitude - syntax error (ex. 01653.63E, format: DDDMM.MM).");
    s.range("Txdelay", 200, 1000, "Preamble len - range error (200 - 1000).");
    s.range("Quiettime", 200, 3000, "Quiet time - range error (200 - 3000).");
    s.store({"Quiettime_randomize", "Ptt", "Squelch", "Busydetect", "Consecutive_packets",
             "Position_report_mode"});
    s.range("Position_report_interval", 15, 3600,
            "Position report interval range error (15 - 3600).");
    s.store({"Smartbeaconing_min_turn_angle", "Smartbeaconing_turn_slope",
             "Smartbeaconing_min_turn_time", "Smartbeaconing_slow_speed",
             "Smartbeaconing_slow_period", "Smartbeaconing_fast_speed",
             "Smartbeaconing_fast_period"});
    s.store({"Position_report_encoding", "Mice_message", "Position_symbol_code",
             "Position_symbol_table"});
    s.text("Position_status_text", "Status text");
    s.store("Position_time");
    for (int k = 1; k <= 3; ++k) {
        const QString path = QStringLiteral("Position report path %1").arg(k);
        s.address(familyName("Position_path", k, ""), path, ssidError(path));
    }
    s.store({"Position_coursespeed", "Position_altitude", "Position_reportonfixlost"});
    s.range("Position_fixlost_interval", 60, 3600,
            "Position report interval on fix lost range error (60 - 3600).");
    s.store("Digion");
    s.range("Floodtimeout", 15, 180, "Antiflood timeout - range error (15 - 180).");
    for (int k = 1; k <= kAliases; ++k) {
        const QString alias = QStringLiteral("Digipeater alias %1").arg(k);
        s.address(familyName("Alias", k, "_name"), alias, ssidError(alias));
        s.store(familyName("Alias", k, "_traceable"));
        s.store(familyName("Alias", k, "_enable"));
    }
    for (int k = 1; k <= kBeacons; ++k) {
        const QString beacon = QStringLiteral("Beacon %1").arg(k);
        reportRow(s, familyName("Beacon", k, ""), beacon + " destination", beacon + " path 1",
                  beacon + " path 2", ssidError(beacon + " path 1"), ssidError(beacon + " path 2"));
        s.range(familyName("Beacon", k, "_txrate"), 5, 1440,
                beacon + " tx rate range error (5 - 1440).");
        s.store(familyName("Beacon", k, "_enable"));
        s.check(Rule::BeaconMessage, familyName("Beacon", k, "_message"),
                beacon + " message - forbidden characters.", beacon + " message");
    }
    for (const char* report : {"data", "parameters"}) {
        const QString what = QStringLiteral("Telemetry %1").arg(report);
        const std::string prefix = report == std::string_view("data") ? "Teledata" : "Teleparams";
        // One message for both paths.
        reportRow(s, prefix, what + " destination", what + " path 1", what + " path 2",
                  ssidError(what + " path"), ssidError(what + " path"));
        s.range(prefix + "_txrate_rf", 5, 1440, what + " tx rate (RF) range error (5 - 1440).",
                Rule::RangeOrZero);
    }
    s.text("Teletitle", "Telemetry project title");
    s.store("Tele_enable");
    s.range("Tele_holdoff", 0, 250, "First telemetry data packet delay range error (0 - 250).");
    for (int k = 1; k <= kAnalogChannels; ++k) {
        const QString channel = QStringLiteral("Analog channel %1").arg(k);
        s.store(familyName("Teleanalog", k, "_source"));
        s.text(familyName("Teleanalog", k, "_name"), channel + " name");
        s.text(familyName("Teleanalog", k, "_units"), channel + " units");
        for (const char* c : {"a", "b", "c"}) {
            s.text(familyName("Teleanalog", k, std::string("_coef") + c),
                   channel + " coefficient " + QString(c).toUpper());
        }
        s.store(familyName("Teleanalog", k, "_average"));
    }
    for (int k = 1; k <= kDigitalChannels; ++k) {
        const QString channel = QStringLiteral("Digital channel %1").arg(k);
        s.store(familyName("Teledigital", k, "_source"));
        s.text(familyName("Teledigital", k, "_name"), channel + " name");
        s.text(familyName("Teledigital", k, "_units"), channel + " label");
        s.store(familyName("Teledigital", k, "_inverted"));
    }
    for (int k = 1; k <= kZemborOutputs; ++k) {
        s.store(familyName("Zembor_output", k, ""));
    }
    reportRow(s, "Weather", "Weather destination", "Weather path 1", "Weather path 2",
              ssidError("Weather path 1"), ssidError("Weather path 2"));
    s.range("Weather_txrate", 5, 1440, "Weather report tx rate range error (5 - 1440).");
    s.store({"Weather_enable", "Weather_position"});
    s.check(Rule::Printable, "Weather_comment", "Weather report comment - forbidden characters.",
            "Weather report comment");
    s.store({"Serial1_mode", "Serial2_mode", "RS485_mode", "Telemodule_enable", "Bitsmodule_enable",
             "Weather_stationtype", "Console_baudrate", "Debug_rf", "Debug_ax25", "Debug_weather",
             "Debug_telemetry", "Debug_gps", "Debug_kiss", "Debug_thermo", "GPS_baudrate"});
    s.range("Position_store_interval", 1, 3600,
            "GPS memory position store interval range error (1 - 3600).");
    s.range("Position_store_minspeed", 0, 1000,
            "GPS memory position store minspeed range error (0 - 1000).");
    s.store({"Kiss_baudrate", "Kiss_direction", "Kiss_check", "Gpspassthrough_baudrate"});
    return std::move(s.steps);
}

bool isPrintable(QChar c) {
    return c.unicode() >= 0x20 && c.unicode() <= 0x7E;
}

// The image holds one byte per character, by the byte table the decoder reads it with. Only
// texts whose every character has a byte get here; the steps refuse the others first.
QByteArray imageBytes(const QString& text) {
    return toWindows1252(text).value_or(QByteArray());
}

// The largest number a number field of this encoding holds.
std::int64_t fieldMaximum(Encoding encoding) {
    switch (encoding) {
        case Encoding::U8Number:
            return 0xFF;
        case Encoding::U16:
            return 0xFFFF;
        default:
            return 0xFFFFFFFF;
    }
}

// How a message names the setting of a step that has no title of its own: the family member or
// report it belongs to, then its title ("Alias 3 Enable").
QString stepTitle(const EncodeStep& step) {
    if (!step.title.isEmpty()) {
        return step.title;
    }
    const SettingDef& def = setting(step.setting);
    const QString title = def.title.isEmpty() ? settingTitle(def) : def.title;
    return def.group.isEmpty() ? title : def.group + u' ' + title;
}

void copyBytes(ConfigImage& image, int offset, const QByteArray& bytes) {
    std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
}

// Runs the steps on a form. A failing rule goes to `fail` with the setting at fault (the SSID
// field for an SSID out of range) and the rule's message; a number field that is not a whole
// number throws ConversionError naming the field.
class Encoder {
  public:
    using Failure = std::function<void(const std::string& setting, const QString& message)>;

    Encoder(const Form& form, ConfigImage& image, Failure fail)
        : form_(form), image_(image), fail_(std::move(fail)) {}

    // False after reporting the rule that failed.
    bool run(const EncodeStep& step) {
        const ImageField& field = imageField(step.setting);
        const int at = field.offset;
        switch (step.rule) {
            case Rule::NotEmpty:
                return !form_.text(step.setting).isEmpty() || fail(step.setting, step.message);
            case Rule::Length:
                return form_.text(step.setting).size() == field.size ||
                       fail(step.setting, step.message);
            case Rule::Latitude:
            case Rule::Longitude: {
                const QString text = form_.text(step.setting);
                const bool ok =
                    step.rule == Rule::Latitude ? CheckLatitude(text) : CheckLongitude(text);
                if (!ok) {
                    return fail(step.setting, step.message);
                }
                copyBytes(image_, at, imageBytes(text));  // the zero after it is reserved
                return true;
            }
            default:
                break;
        }
        switch (field.encoding) {
            case Encoding::U8Index:
            case Encoding::U32Index:
            case Encoding::MiceMessage:
                return choice(step, field);
            case Encoding::Character: {
                const QString text = form_.text(step.setting);
                if (holdsAsciiControl(text)) {
                    return forbidden(step);
                }
                // Only the first character is stored (both halves of a surrogate pair).
                const QString first =
                    text.left(!text.isEmpty() && text.front().isHighSurrogate() ? 2 : 1);
                if (!storable(step, first)) {
                    return false;
                }
                const QByteArray bytes = imageBytes(first);
                image_[at] = bytes.isEmpty() ? 0 : static_cast<std::uint8_t>(bytes[0]);
                return true;
            }
            case Encoding::U16:
            case Encoding::U32:
            case Encoding::U8Number:
                return number(step, field);
            case Encoding::Text:
                return text(step, field);
            case Encoding::Address:
                return address(step, field);
            default:
                // The layout gives every setting one of the encodings above.
                return true;
        }
    }

  private:
    bool fail(const std::string& setting, const QString& message) {
        fail_(setting, message);
        return false;
    }

    bool tooLong(const EncodeStep& step, int limit) {
        return fail(
            step.setting,
            QStringLiteral("%1 - too long (max %2 characters).").arg(step.title).arg(limit));
    }

    bool forbidden(const EncodeStep& step) {
        return fail(step.setting, stepTitle(step) + QStringLiteral(" - forbidden characters."));
    }

    // A character the byte table has no byte for would reach the tracker as another one.
    bool storable(const EncodeStep& step, const QString& text) {
        const QStringList unstorable = unstorableCharacters(text);
        return unstorable.isEmpty() ||
               fail(step.setting, stepTitle(step) +
                                      QStringLiteral(" - characters the tracker cannot store: ") +
                                      unstorable.join(QLatin1Char(' ')));
    }

    // Every item index has a byte value of its own; "no item" (-1) would be stored as an index
    // the tracker does not know (255, or 8 for the Mic-E message).
    bool choice(const EncodeStep& step, const ImageField& field) {
        const int index = form_.index(step.setting);
        if (index < 0) {
            return fail(step.setting, stepTitle(step) + QStringLiteral(" - no item chosen."));
        }
        if (field.encoding == Encoding::U8Index) {
            image_[field.offset] = static_cast<std::uint8_t>(index);
        } else if (field.encoding == Encoding::U32Index) {
            writeU32(image_, field.offset, static_cast<std::uint32_t>(index));
        } else {
            image_[field.offset] = static_cast<std::uint8_t>(7 - index);
        }
        return true;
    }

    bool number(const EncodeStep& step, const ImageField& field) {
        const std::int32_t value = settingNumber(form_, step.setting);
        // A number the field cannot hold would be stored as another one (-5 as 65,531).
        // Where the step has a range of its own, that range lies inside the field's and its
        // message tells.
        const std::int64_t maximum = fieldMaximum(field.encoding);
        if (step.rule == Rule::Store && (value < 0 || value > maximum)) {
            return fail(
                step.setting,
                QStringLiteral("%1 - range error (0 - %2).").arg(stepTitle(step)).arg(maximum));
        }
        const auto bits = static_cast<std::uint32_t>(value);  // the low bits are stored
        if (field.encoding == Encoding::U16) {
            writeU16(image_, field.offset, static_cast<std::uint16_t>(bits));
        } else if (field.encoding == Encoding::U32) {
            writeU32(image_, field.offset, bits);
        } else {
            image_[field.offset] = static_cast<std::uint8_t>(bits);
        }
        // The range is tested on the number as written, which for every number in range is
        // also the stored value. A number that is out of range only in the high bits that
        // are dropped (65,551 keeps 15 in 16 bits) is refused, not stored as another value.
        const bool inRange = value >= step.min && value <= step.max;
        switch (step.rule) {
            case Rule::Range:
                return inRange || fail(step.setting, step.message);
            case Rule::RangeOrZero:
                return value == 0 || inRange || fail(step.setting, step.message);
            default:
                return true;
        }
    }

    bool text(const EncodeStep& step, const ImageField& field) {
        QString text = form_.text(step.setting);
        if (step.rule == Rule::BeaconMessage) {
            text.remove(QChar(u'\r'));
            text.remove(QChar(u'\n'));
        }
        // A text set by the program (an imported file) may be longer than the field.
        const int limit = field.size - 1;
        if (text.size() > limit) {
            return tooLong(step, limit);
        }
        if (step.rule == Rule::Store && holdsAsciiControl(text)) {
            return forbidden(step);
        }
        if (step.rule == Rule::Printable || step.rule == Rule::BeaconMessage) {
            // Printable ASCII only: what is on air must read the same on every receiver.
            if (!std::all_of(text.begin(), text.end(), isPrintable)) {
                return fail(step.setting, step.message);
            }
        } else if (!storable(step, text)) {
            return false;
        }
        copyBytes(image_, field.offset, imageBytes(text));
        return true;
    }

    bool address(const EncodeStep& step, const ImageField& field) {
        const QString call = form_.text(step.setting);
        // What no receiver could read as an address is refused, not stored as typed.
        if (!call.isEmpty() && !isAx25Call(raisedCall(call))) {
            return fail(step.setting,
                        step.title + QStringLiteral(" - not a call (A-Z, 0-9, up to 6)."));
        }
        const std::span<std::uint8_t, 7> bytes(image_.data() + field.offset, 7);
        return EncodeAddress(call, form_.text(field.ssidSetting), bytes) ||
               fail(field.ssidSetting, step.message);
    }

    const Form& form_;
    ConfigImage& image_;
    Failure fail_;
};

// The settings a step reads: its own and, for an address field, the SSID beside the call.
bool stepReads(const EncodeStep& step, std::string_view name) {
    return step.setting == name || imageField(step.setting).ssidSetting == name;
}

// Runs the steps that `wanted` picks on a scratch image and collects every failure,
// including numbers that are not whole numbers, without stopping at the first. A setting
// gets its first problem only (a longitude of the wrong length fails its form too).
std::vector<SettingProblem> collectProblems(const Form& form,
                                            const std::function<bool(const EncodeStep&)>& wanted) {
    std::vector<SettingProblem> problems;
    const auto add = [&problems](const std::string& setting, const QString& message) {
        if (std::none_of(problems.begin(), problems.end(),
                         [&](const SettingProblem& p) { return p.setting == setting; })) {
            problems.push_back({setting, message});
        }
    };
    ConfigImage scratch{};
    Encoder encoder(form, scratch, add);
    for (const EncodeStep& step : encodeSteps()) {
        if (!wanted(step)) {
            continue;
        }
        try {
            encoder.run(step);
        } catch (const ConversionError& e) {
            add(e.setting(), e.message());
        }
    }
    return problems;
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int pairValue(const QString& text, int at) {
    return (text[at].unicode() - u'0') * 10 + (text[at + 1].unicode() - u'0');
}

}  // namespace

const std::vector<EncodeStep>& encodeSteps() {
    static const std::vector<EncodeStep> steps = buildEncodeSteps();
    return steps;
}

bool EncodeAddress(const QString& call, const QString& ssid, std::span<std::uint8_t, 7> field) {
    if (!call.isEmpty() && !isAx25Call(raisedCall(call))) {
        return false;
    }
    std::uint8_t ssidCharacter = '0';
    if (!call.isEmpty()) {
        const std::optional<std::int32_t> number = parseWholeNumber(ssid);
        if (!number || *number < 0 || *number > 15) {
            return false;
        }
        ssidCharacter = static_cast<std::uint8_t>('0' + *number);
    }
    std::fill(field.begin(), field.begin() + kAddressCallLength, ' ');
    const QByteArray bytes = raisedCall(call).toLatin1();  // A-Z and 0-9 only
    std::copy(bytes.begin(), bytes.end(), field.begin());
    field[6] = ssidCharacter;
    return true;
}

bool CheckLatitude(const QString& t) {
    if (t.size() != 8 || !isDigit(t[0]) || !isDigit(t[1]) || !isDigit(t[2]) || !isDigit(t[3]) ||
        t[4] != u'.' || !isDigit(t[5]) || !isDigit(t[6]) || (t[7] != u'N' && t[7] != u'S')) {
        return false;
    }
    const int v = 10000 * pairValue(t, 0) + 100 * pairValue(t, 2) + pairValue(t, 5);
    return v <= 895999 && v % 10000 < 6000;
}

bool CheckLongitude(const QString& t) {
    if (t.size() != 9 || !isDigit(t[0]) || !isDigit(t[1]) || !isDigit(t[2]) || !isDigit(t[3]) ||
        !isDigit(t[4]) || t[5] != u'.' || !isDigit(t[6]) || !isDigit(t[7]) ||
        (t[8] != u'E' && t[8] != u'W')) {
        return false;
    }
    const int degrees = (t[0].unicode() - u'0') * 100 + pairValue(t, 1);
    const int v = 10000 * degrees + 100 * pairValue(t, 3) + pairValue(t, 6);
    return v <= 1795999 && v % 10000 < 6000;
}

std::optional<SettingProblem> EncodeSettings(const Form& form, std::int64_t now,
                                             ConfigImage& writeImage) {
    std::optional<SettingProblem> refusal;
    writeImage.fill(0);
    std::copy(kConfigFormatVersion.begin(), kConfigFormatVersion.end(),
              writeImage.begin() + kVersionOffset);
    Encoder encoder(form, writeImage,
                    [&refusal](const std::string& setting, const QString& message) {
                        refusal = SettingProblem{setting, message};
                    });
    for (const EncodeStep& step : encodeSteps()) {
        if (!encoder.run(step)) {
            return refusal;
        }
    }
    // The stamp: one draw of a generator seeded with the current second, so that two
    // encodings within the same second give the same image.
    std::mt19937 generator(static_cast<std::uint32_t>(now));
    writeU16(writeImage, kStampOffset, static_cast<std::uint16_t>(generator() % 10000));
    std::copy(kEndMarker.begin(), kEndMarker.end(), writeImage.begin() + kEndMarkerOffset);
    writeU32(writeImage, kChecksumOffset, imageChecksum(writeImage));
    return std::nullopt;
}

std::vector<SettingProblem> CheckSettings(const Form& form) {
    return collectProblems(form, [](const EncodeStep&) { return true; });
}

std::vector<SettingProblem> CheckSetting(const Form& form, std::string_view name) {
    std::vector<SettingProblem> problems =
        collectProblems(form, [name](const EncodeStep& step) { return stepReads(step, name); });
    std::erase_if(problems, [name](const SettingProblem& p) { return p.setting != name; });
    return problems;
}
