#include "configfile/key_table.h"

#include <stdexcept>

#include "settings/schema.h"
#include "version.h"

namespace {

// Appends rows in step order to the section last chosen with in().
class KeyTableBuilder {
  public:
    explicit KeyTableBuilder(std::vector<KeyRow>& rows) : rows_(rows) {}

    KeyTableBuilder& in(std::string section) {
        section_ = std::move(section);
        return *this;
    }

    void fixed(std::string key, QString literal, QString whenAbsent) {
        add(std::move(key), {}, ValueKind::Fixed, std::move(literal), std::move(whenAbsent), 0);
    }
    void text(std::string key, std::string setting, QString whenAbsent) {
        add(std::move(key), std::move(setting), ValueKind::Text, {}, std::move(whenAbsent), 0);
    }
    void number(std::string key, std::string setting, int whenAbsent) {
        add(std::move(key), std::move(setting), ValueKind::Number, {}, {}, whenAbsent);
    }
    void index(std::string key, std::string setting, int whenAbsent) {
        add(std::move(key), std::move(setting), ValueKind::Index, {}, {}, whenAbsent);
    }
    void flag(std::string key, std::string setting, int whenAbsent) {
        add(std::move(key), std::move(setting), ValueKind::Flag, {}, {}, whenAbsent);
    }

    // The six entries of a destination with its two-hop path, all named prefix + suffix.
    void route(const std::string& prefix) {
        text(prefix + "_dest_string", prefix + "_dest_string", "APVQ05");
        text(prefix + "_dest_ssid", prefix + "_dest_ssid", "0");
        text(prefix + "_path1_string", prefix + "_path1_string", "WIDE1");
        text(prefix + "_path1_ssid", prefix + "_path1_ssid", "1");
        text(prefix + "_path2_string", prefix + "_path2_string", "WIDE2");
        text(prefix + "_path2_ssid", prefix + "_path2_ssid", "1");
    }

  private:
    void add(std::string key, std::string setting, ValueKind kind, QString literal,
             QString defaultText, int defaultNumber) {
        rows_.push_back({static_cast<int>(rows_.size()) + 1, section_, std::move(key),
                         std::move(setting), kind, std::move(literal), std::move(defaultText),
                         defaultNumber});
    }

    std::vector<KeyRow>& rows_;
    std::string section_;
};

void header(KeyTableBuilder& t) {
    t.in("!WARNING");
    t.fixed("WARNING",
            "Please do not try to modify this file. It should be managed with Veltromark "
            "configurator program.",
            {});
    t.fixed("Application", kConfigApplication, "unknown");
    t.fixed("Version",
            QString::fromLatin1(kConfigFormatVersion.data(),
                                static_cast<qsizetype>(kConfigFormatVersion.size())),
            "unknown");
}

void radio(KeyTableBuilder& t) {
    t.in("Radio");
    t.text("Callsign", "Callsign", "NOCALL");
    t.text("SSID", "Ssid", "0");
    t.text("Latitude", "Latitude", "5223.08N");
    t.text("Longitude", "Longitude", "01658.14E");
    t.number("TXdelay", "Txdelay", 250);
    t.number("Quiettime", "Quiettime", 400);
    t.index("Quiettime_randomize", "Quiettime_randomize", 3);
    t.index("PTT", "Ptt", 0);
    t.index("Squelch", "Squelch", 0);
    t.index("Busydetect", "Busydetect", 0);
    t.index("Consecutive_packets", "Consecutive_packets", 0);
}

void positionReports(KeyTableBuilder& t) {
    t.in("PositionReports");
    t.index("ReportMode", "Position_report_mode", 2);
    t.number("MinTurnAngle", "Smartbeaconing_min_turn_angle", 27);
    t.number("TurnSlope", "Smartbeaconing_turn_slope", 410);
    t.number("MinTurnTime", "Smartbeaconing_min_turn_time", 5);
    t.number("SlowSpeed", "Smartbeaconing_slow_speed", 8);
    t.number("SlowPeriod", "Smartbeaconing_slow_period", 1800);
    t.number("FastSpeed", "Smartbeaconing_fast_speed", 95);
    t.number("FastPeriod", "Smartbeaconing_fast_period", 90);
    t.number("ReportInterval", "Position_report_interval", 60);
    t.index("ReportEncoding", "Position_report_encoding", 0);
    t.text("SymbolCode", "Position_symbol_code", ">");
    t.text("SymbolTable", "Position_symbol_table", "/");
    t.index("MiceMessage", "Mice_message", 0);
    static const char* const kPaths[3][2] = {{"WIDE1", "1"}, {"WIDE2", "1"}, {"", ""}};
    for (int k = 1; k <= 3; ++k) {
        t.text(familyName("Path", k, ""), familyName("Position_path", k, ""), kPaths[k - 1][0]);
        t.text(familyName("SSID", k, ""), familyName("Position_ssid", k, ""), kPaths[k - 1][1]);
    }
    t.text("Status", "Position_status_text", "");
    t.index("PositionTime", "Position_time", 2);
    t.index("CourseSpeed", "Position_coursespeed", 1);
    t.index("ReportOnFixLost", "Position_reportonfixlost", 1);
    t.number("FixlostInterval", "Position_fixlost_interval", 600);
    t.index("PositionAltitude", "Position_altitude", 1);
}

void digipeater(KeyTableBuilder& t) {
    t.in("Digipeater");
    t.index("Digion", "Digion", 1);
    t.number("Floodtimeout", "Floodtimeout", 60);
    for (int k = 1; k <= kAliases; ++k) {
        const bool first = k == 1;
        t.text(familyName("Digi", k, "_alias"), familyName("Alias", k, "_name"),
               first ? "WIDE1" : "");
        t.text(familyName("Digi", k, "_SSID"), familyName("Alias", k, "_ssid"), first ? "1" : "");
        t.index(familyName("Digi", k, "_traceable"), familyName("Alias", k, "_traceable"),
                first ? 1 : 0);
        t.flag(familyName("Digi", k, "_enable"), familyName("Alias", k, "_enable"), first ? 1 : 0);
    }
}

void beacons(KeyTableBuilder& t) {
    struct Defaults {
        int rate;
        int condition;
        const char* message;
    };
    static const Defaults kDefaults[kBeacons] = {
        {30, 2, "/<gpsdate>z<gpslat>/<gpslong>>Veltromark U=<volt>V."},
        {5, 0, "!<statlat>/<statlong>>Veltromark U=<volt>V."},
        {5, 0, "!<statlat>/<statlong>>Veltromark U=<volt>V, T=<temp>C."},
        {5, 0, ""},
    };
    t.in("Beacons");
    for (int k = 1; k <= kBeacons; ++k) {
        const Defaults& d = kDefaults[k - 1];
        const std::string beacon = familyName("Beacon", k, "");
        t.route(beacon);
        t.number(beacon + "_txrate", beacon + "_txrate", d.rate);
        t.index(beacon + "_enable", beacon + "_enable", d.condition);
        t.text(beacon + "_msg", beacon + "_message", d.message);
    }
}

void telemetry(KeyTableBuilder& t) {
    t.in("Telemetry");
    for (const std::string report : {"Teleparams", "Teledata"}) {
        t.route(report);
        t.number(report + "_txrate", report + "_txrate_rf", 30);
    }
    t.text("Teletitle", "Teletitle", "Telemetry test");
    t.number("Tele_holdoff", "Tele_holdoff", 60);
    t.index("Tele_enable", "Tele_enable", 0);
    for (int k = 1; k <= kAnalogChannels; ++k) {
        const std::string channel = familyName("Teleanalog", k, "");
        t.text(channel + "_name", channel + "_name", QStringLiteral("A%1").arg(k));
        t.text(channel + "_units", channel + "_units", "None");
        t.index(channel + "_source", channel + "_source", 0);
        for (const char* coefficient : {"_coefa", "_coefb", "_coefc"}) {
            t.text(channel + coefficient, channel + coefficient, "0");
        }
        t.index(channel + "_average", channel + "_average", 0);
    }
    for (int k = 1; k <= kDigitalChannels; ++k) {
        const std::string channel = familyName("Teledigital", k, "");
        t.text(channel + "_name", channel + "_name", QStringLiteral("B%1").arg(k));
        // The label fields of channels 6 to 8 hold three characters.
        t.text(channel + "_label", channel + "_units", k <= 5 ? "None" : "Non");
        t.index(channel + "_source", channel + "_source", 0);
        t.index(channel + "_inverted", channel + "_inverted", 0);
    }
    for (int k = 1; k <= kZemborOutputs; ++k) {
        const std::string output = familyName("Zembor_output", k, "");
        t.index(output, output, 0);
    }
}

void weather(KeyTableBuilder& t) {
    t.in("Weather");
    t.route("Weather");
    t.number("Weather_txrate", "Weather_txrate", 5);
    t.index("Weather_enable", "Weather_enable", 2);
    t.index("Weather_position", "Weather_position", 1);
    t.text("Weather_comment", "Weather_comment", "Veltromark weather");
}

// The external interfaces, written in the order of their start-up defaults, so that several
// go back into sections begun earlier.
void externalInterfaces(KeyTableBuilder& t) {
    t.in("SerialPorts");
    t.index("Serial1", "Serial1_mode", 2);
    t.index("Serial2", "Serial2_mode", 4);
    t.index("RS485", "RS485_mode", 1);
    t.in("Telemetry");
    t.index("Telemodule_enable", "Telemodule_enable", 0);
    t.index("Bitsmodule_enable", "Bitsmodule_enable", 0);
    t.in("Weather");
    t.index("Weather_stationtype", "Weather_stationtype", 0);
    t.in("SerialPorts");
    t.index("ConsoleBaudrate", "Console_baudrate", 4);
    t.in("Debug");
    for (const char* debug : {"Debug_rf", "Debug_ax25", "Debug_weather", "Debug_telemetry",
                              "Debug_gps", "Debug_kiss", "Debug_thermo"}) {
        t.index(debug, debug, 1);
    }
    t.in("SerialPorts");
    t.index("GPSBaudrate", "GPS_baudrate", 3);
    t.in("GPSMemory");
    t.number("StoreInterval", "Position_store_interval", 5);
    t.number("StoreMinspeed", "Position_store_minspeed", 3);
    t.in("SerialPorts");
    t.index("KISSBaudrate", "Kiss_baudrate", 0);
    t.index("KISSDirection", "Kiss_direction", 1);
    t.index("KISSCheck", "Kiss_check", 1);
    t.index("GPSPassthroughBaudrate", "Gpspassthrough_baudrate", 1);
}

std::vector<KeyRow> buildKeyTable() {
    std::vector<KeyRow> rows;
    KeyTableBuilder t(rows);
    header(t);
    radio(t);
    positionReports(t);
    digipeater(t);
    beacons(t);
    telemetry(t);
    weather(t);
    externalInterfaces(t);
    return rows;
}

}  // namespace

const std::vector<KeyRow>& keyTable() {
    static const std::vector<KeyRow> rows = buildKeyTable();
    return rows;
}

const KeyRow& headerRow(const std::string& key) {
    for (const KeyRow& row : keyTable()) {
        if (row.kind == ValueKind::Fixed && row.key == key) {
            return row;
        }
    }
    throw std::out_of_range("no header entry " + key);
}
