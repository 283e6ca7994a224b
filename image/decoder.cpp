#include "image/decoder.h"

#include <algorithm>
#include <climits>

#include "image/layout.h"
#include "rules/choice_handlers.h"
#include "rules/serial_interlocks.h"
#include "settings/form.h"
#include "settings/schema.h"
#include "settings/windows1252.h"
#include "version.h"

namespace {

class StepList {
  public:
    StepList& set(std::string setting) {
        steps.push_back({std::move(setting), nullptr});
        return *this;
    }
    StepList& set(std::initializer_list<std::string_view> names) {
        for (std::string_view name : names) {
            set(std::string(name));
        }
        return *this;
    }
    StepList& run(Boxes (*handler)(Form&)) {
        steps.push_back({{}, handler});
        return *this;
    }
    std::vector<DecodeStep> steps;
};

std::vector<DecodeStep> buildDecodeSteps() {
    StepList s;
    s.set({"Callsign", "Txdelay", "Quiettime", "Quiettime_randomize", "Ptt", "Squelch",
           "Busydetect", "Consecutive_packets", "Latitude", "Longitude"});
    s.set("Position_report_mode").run([](Form& f) {
        Position_report_modeChange(f);
        return Boxes{};
    });
    s.set({"Position_report_interval", "Smartbeaconing_min_turn_angle", "Smartbeaconing_turn_slope",
           "Smartbeaconing_min_turn_time", "Smartbeaconing_slow_speed",
           "Smartbeaconing_slow_period", "Smartbeaconing_fast_speed",
           "Smartbeaconing_fast_period"});
    s.set("Position_report_encoding").run([](Form& f) {
        Position_report_encodingChange(f);
        return Boxes{};
    });
    s.set({"Mice_message", "Position_symbol_code", "Position_symbol_table", "Position_status_text",
           "Position_time", "Position_path1", "Position_path2", "Position_path3",
           "Position_coursespeed", "Position_altitude", "Position_reportonfixlost",
           "Position_fixlost_interval"});
    s.set({"Digion", "Floodtimeout"});
    for (int k = 1; k <= kAliases; ++k) {
        s.set(familyName("Alias", k, "_name"));
        s.set(familyName("Alias", k, "_traceable"));
        s.set(familyName("Alias", k, "_enable"));
    }
    for (int k = 1; k <= kBeacons; ++k) {
        for (std::string_view suffix :
             {"_dest_string", "_path1_string", "_path2_string", "_txrate", "_enable", "_message"}) {
            s.set(familyName("Beacon", k, suffix));
        }
    }
    s.set({"Teledata_dest_string", "Teledata_path1_string", "Teledata_path2_string",
           "Teledata_txrate_rf", "Teleparams_dest_string", "Teleparams_path1_string",
           "Teleparams_path2_string", "Teleparams_txrate_rf", "Teletitle", "Tele_enable",
           "Tele_holdoff"});
    for (int k = 1; k <= kAnalogChannels; ++k) {
        for (std::string_view suffix :
             {"_source", "_name", "_units", "_coefa", "_coefb", "_coefc", "_average"}) {
            s.set(familyName("Teleanalog", k, suffix));
        }
    }
    for (int k = 1; k <= kDigitalChannels; ++k) {
        for (std::string_view suffix : {"_source", "_name", "_units", "_inverted"}) {
            s.set(familyName("Teledigital", k, suffix));
        }
    }
    for (int k = 1; k <= kZemborOutputs; ++k) {
        s.set(familyName("Zembor_output", k, ""));
    }
    s.set({"Weather_dest_string", "Weather_path1_string", "Weather_path2_string", "Weather_txrate",
           "Weather_enable", "Weather_position", "Weather_comment"});
    s.set("Serial1_mode").run(Serial1_modeChange);
    s.set("Serial2_mode").run(Serial2_modeChange);
    // The weather station's own handler is not run: the ports have just been judged.
    s.set({"RS485_mode", "Telemodule_enable", "Bitsmodule_enable", "Weather_stationtype",
           "Console_baudrate", "Debug_rf", "Debug_ax25", "Debug_weather", "Debug_telemetry",
           "Debug_gps", "Debug_kiss", "Debug_thermo", "Position_store_interval",
           "Position_store_minspeed", "GPS_baudrate", "Kiss_baudrate", "Kiss_direction",
           "Kiss_check", "Gpspassthrough_baudrate"});
    return std::move(s.steps);
}

// A 32-bit number above the largest a number setting holds (2,147,483,647) cannot be shown,
// written to a file or encoded again: the setting gets its default, and `notes` says so.
QString numberTooLarge(const SettingDef& def, std::uint32_t value) {
    return QStringLiteral(
               "%1: the tracker holds %2, more than the largest number a setting holds "
               "(%3); the default %4 is used instead.")
        .arg(settingPlace(def))
        .arg(value)
        .arg(INT_MAX)
        .arg(def.defaultText);
}

// Sets the setting(s) of one field from the image.
void decodeField(Form& form, const ConfigImage& image, const ImageField& field,
                 QStringList& notes) {
    const int at = field.offset;
    const std::string& name = field.setting;
    switch (field.encoding) {
        case Encoding::U8Index:
            form.setIndex(name, image[at]);
            break;
        case Encoding::U32Index: {
            const std::uint32_t value = readU32(image, at);
            // 4,294,967,295 is "no item chosen"; anything past INT_MAX is past every list.
            form.setIndex(name, value <= INT_MAX ? static_cast<int>(value) : -1);
            break;
        }
        case Encoding::MiceMessage:
            form.setIndex(name, 7 - static_cast<std::int8_t>(image[at]));
            break;
        case Encoding::U16:
            form.setText(name, QString::number(readU16(image, at)));
            break;
        case Encoding::U32: {
            const std::uint32_t value = readU32(image, at);
            if (value > INT_MAX) {
                notes << numberTooLarge(setting(name), value);
                form.setText(name, setting(name).defaultText);
            } else {
                form.setText(name, QString::number(value));
            }
            break;
        }
        case Encoding::U8Number:
            form.setText(name, QString::number(image[at]));
            break;
        case Encoding::Character:
        case Encoding::Text:
        case Encoding::FixedText:
            form.setText(name, imageText(image, at, field.size));
            break;
        case Encoding::Address:
            DecodeAddress(form, std::span<const std::uint8_t, 7>(image.data() + at, 7), name,
                          field.ssidSetting);
            break;
        case Encoding::Checksum:
        case Encoding::Stamp:
        case Encoding::VersionText:
        case Encoding::EndMarker:
        case Encoding::Reserved:
            break;
    }
}

}  // namespace

const std::vector<DecodeStep>& decodeSteps() {
    static const std::vector<DecodeStep> steps = buildDecodeSteps();
    return steps;
}

QString imageText(const ConfigImage& image, int offset, int size) {
    const auto first = image.begin() + offset;
    const auto end = std::find(first, first + size, std::uint8_t{0});
    // One byte, one character: every byte value reads back as the same byte when encoded.
    return fromWindows1252(QByteArrayView(reinterpret_cast<const char*>(&*first), end - first));
}

void DecodeAddress(Form& form, std::span<const std::uint8_t, 7> field, std::string_view callSetting,
                   std::string_view ssidSetting) {
    int length = kAddressCallLength;
    while (length > 0 && field[length - 1] == ' ') {
        --length;
    }
    length = static_cast<int>(std::find(field.begin(), field.begin() + length, 0) - field.begin());
    form.setText(callSetting, fromWindows1252(QByteArrayView(
                                  reinterpret_cast<const char*>(field.data()), length)));
    form.setText(ssidSetting, QString::number(static_cast<std::int8_t>(field[6]) - '0'));
}

Outcome DecodeImage(Form& form, const ConfigImage& image, const Wording& words) {
    Outcome outcome;
    if (!std::equal(kConfigFormatVersion.begin(), kConfigFormatVersion.end(),
                    image.begin() + kVersionOffset)) {
        // The device's version text as far as offset 12: at most 7 characters, whatever
        // follows in the image.
        const QString device = imageText(image, kVersionOffset, 7);
        outcome.failure = QStringLiteral("Uncompatible configuration version:\nDevice: ") + device +
                          QStringLiteral("\nConfigurator: ") +
                          QString::fromLatin1(kConfigFormatVersion.data(),
                                              static_cast<qsizetype>(kConfigFormatVersion.size())) +
                          QStringLiteral("\n\nYou need to use Configurator ") + device +
                          QStringLiteral(" or write new configuration ") +
                          words.writeConfiguration + u'.';
        outcome.boxes.push_back(informationBox(outcome.failure));
        return outcome;
    }
    QStringList notes;
    for (const DecodeStep& step : decodeSteps()) {
        if (step.handler != nullptr) {
            const Boxes boxes = step.handler(form);
            outcome.boxes.insert(outcome.boxes.end(), boxes.begin(), boxes.end());
        } else {
            decodeField(form, image, imageField(step.setting), notes);
        }
    }
    if (!notes.isEmpty()) {
        outcome.boxes.push_back(informationBox(notes.join(QLatin1Char('\n'))));
    }
    outcome.ok = true;
    return outcome;
}
