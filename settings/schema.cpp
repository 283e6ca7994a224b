#include "settings/schema.h"

#include <QStringList>
#include <stdexcept>
#include <unordered_map>

namespace lists {
const ItemList NoYes{"No/Yes", {"No", "Yes"}};
const ItemList NeverAlways{"Never/Always", {"Never", "Always"}};
const ItemList BeaconCondition{"Beacon condition",
                               {"Never", "Always", "GPS fixed", "GPS not fixed"}};
const ItemList DisabledEnabled{"Disabled/Enabled", {"Disabled", "Enabled"}};
const ItemList OffOn{"Off/On", {"Off", "On"}};
const ItemList SerialSpeeds{"Serial speeds", {"9600", "19200", "38400", "57600", "115200"}};
const ItemList QuiettimeRandomize{"Quiet time randomize",
                                  {"No", "+/- 16 ms", "+/- 32 ms", "+/- 64 ms", "+/- 128 ms"}};
const ItemList Ptt{"PTT", {"separate output", "2k2 resistor"}};
const ItemList Squelch{"Squelch",
                       {"1 (lowest)", "2", "3", "4", "5", "6", "7", "8", "9", "10 (highest)"}};
const ItemList Busydetect{"Busy detect", {"analog signal level", "digital detect"}};
const ItemList ConsecutivePackets{"Consecutive packets", {"in bursts", "separately"}};
const ItemList PositionReportMode{"Position report mode",
                                  {"Disabled", "Fixed time interval", "SmartBeaconing"}};
const ItemList PositionReportEncoding{"Position encoding", {"Mic-E", "Plain text", "Base-91"}};
const ItemList MiceMessage{"Mic-E message",
                           {"Off Duty", "En Route", "In Service", "Returning", "Committed",
                            "Special", "Priority", "Emergency"}};
const ItemList PositionTime{"Position time", {"None", "Hour, min, sec", "Day, hour, min"}};
const ItemList AnalogSources{
    "Analog telemetry sources",
    {"Not used", "(M) Current1 (5A fullscale)", "(M) Current1 (2.5A fullscale)",
     "(M) Current1 (1.25A fullscale)", "(M) Current2 (5A fullscale)",
     "(M) Current2 (2.5A fullscale)", "(M) Current2 (1.25A fullscale)", "(M) Voltage1",
     "(M) Voltage2", "(M) Temperature (DS18B20)", "(M) Temperature (DS18S20)", "(I) Input voltage",
     "(E) Temperature (DS18B20)", "(E) Temperature (DS18S20)"}};
const ItemList DigitalSources{
    "Digital telemetry sources",
    {"Not used", "(M) Output 1", "(M) Output 2", "(M) Output 3", "(M) Output 4", "(M) Input 1",
     "(M) Input 2", "(M) Input 3", "(M) Input 4"}};
const ItemList WeatherEnable{"Weather enable", {"Never", "Always", "GPS fixed"}};
const ItemList WeatherPosition{"Weather position", {"Static position", "GPS time/position"}};
const ItemList SerialRoles{"Serial port roles",
                           {"None", "Weather station", "Serial console", "None (removed)", "GPS",
                            "KISS", "GPS passthrough"}};
const ItemList Rs485Roles{
    "RS-485 roles", {"None", "Telemetry modules", "DS18B20 thermometer", "DS18S20 thermometer"}};
const ItemList WeatherStations{
    "Weather stations",
    {"None", "Peet Bros Ultimeter 100", "Peet Bros Ultimeter 800", "Peet Bros Ultimeter 2000",
     "Peet Bros Ultimeter 2100", "WS-2300", "WS-2350", "Davis Vantage Pro", "Davis Vantage Pro2",
     "Davis Vantage Pro Plus", "Davis Vantage Pro2 Plus"}};
const ItemList GpsBaudrates{"GPS baudrates", {"1200", "2400", "4800", "9600", "19200"}};
const ItemList KissDirection{"KISS direction", {"RF->serial", "both"}};
const ItemList GpspassthroughBaudrates{"GPS passthrough baudrates",
                                       {"4800", "9600", "19200", "38400", "57600", "115200"}};
}  // namespace lists

std::string familyName(std::string_view prefix, int number, std::string_view suffix) {
    std::string name(prefix);
    name += std::to_string(number);
    name += suffix;
    return name;
}

namespace {

// Collects the rows of one page (or sub-page) in start-up order.
class TableBuilder {
  public:
    explicit TableBuilder(std::vector<SettingDef>& rows) : rows_(rows) {}

    TableBuilder& on(Page page, std::string subPage = {}) {
        page_ = page;
        subPage_ = std::move(subPage);
        group_.clear();
        return *this;
    }

    // The rows from here on belong to this family member or report ("Beacon 2").
    void inGroup(QString group) { group_ = std::move(group); }

    void text(std::string name, int maxLength, QString label, QString defaultText,
              QString hint = {}, int number = 0) {
        add(std::move(name), Kind::Text, std::move(label), std::move(hint), number, maxLength,
            nullptr, std::move(defaultText), -1);
    }

    void message(std::string name, QString label, QString defaultText, QString hint, int number) {
        add(std::move(name), Kind::Message, std::move(label), std::move(hint), number, 96, nullptr,
            std::move(defaultText), -1);
    }

    void choice(std::string name, const ItemList& items, QString label, int defaultIndex,
                QString hint = {}, int number = 0) {
        add(std::move(name), Kind::Choice, std::move(label), std::move(hint), number, 0, &items, {},
            defaultIndex);
    }

    void editableChoice(std::string name, const ItemList& items, QString label, int defaultIndex,
                        QString hint) {
        add(std::move(name), Kind::EditableChoice, std::move(label), std::move(hint), 0, 0, &items,
            {}, defaultIndex);
    }

    // The last row's start-up value comes from the telemetry preset.
    void fromPreset() { rows_.back().presetDefault = true; }

    // People name the last row so, as its label is shared or missing.
    void titled(QString title) { rows_.back().title = std::move(title); }

  private:
    void add(std::string name, Kind kind, QString label, QString hint, int number, int maxLength,
             const ItemList* items, QString defaultText, int defaultIndex) {
        rows_.push_back(SettingDef{.name = std::move(name),
                                   .kind = kind,
                                   .page = page_,
                                   .subPage = subPage_,
                                   .label = std::move(label),
                                   .hint = std::move(hint),
                                   .maxLength = maxLength,
                                   .items = items,
                                   .defaultText = std::move(defaultText),
                                   .defaultIndex = defaultIndex,
                                   .number = number,
                                   .group = group_,
                                   .title = {},
                                   .presetDefault = false});
    }

    std::vector<SettingDef>& rows_;
    Page page_ = Page::Radio;
    std::string subPage_;
    QString group_;
};

// The elements of an address path, whose fields share the labels "Path:" and "Ssid:".
QString pathElement(int element) {
    return QStringLiteral("Path element %1").arg(element);
}
QString pathElementSsid(int element) {
    return pathElement(element) + QStringLiteral(" SSID");
}
const QString kDestinationSsid = QStringLiteral("Dest SSID");

QString numbered(const char* pattern, int number) {
    return QString(pattern).arg(number);
}

void radio(TableBuilder& t) {
    t.on(Page::Radio);
    t.text("Callsign", 6, "Callsign:", "NOCALL", "Station callsign.");
    t.text("Ssid", 2, "", "0", "Station SSID.");
    t.text("Latitude", 8, "Latitude:", "5223.08N", "Station latitude.");
    t.text("Longitude", 9, "Longitude:", "01658.14E", "Station longitude.");
    t.text("Txdelay", 4, "TX delay [ms]:", "250",
           "Time between PTT on and packet start (preamble length).");
    t.text("Quiettime", 4, "Quiet time [ms]:", "400",
           "Delay between last received  packet and packet send.");
    t.choice("Quiettime_randomize", lists::QuiettimeRandomize, "Randomize quiet time:", 3,
             "Quiet time random modifier.");
    t.choice("Ptt", lists::Ptt, "PTT:", 0, "PTT output type.");
    t.choice("Squelch", lists::Squelch, "Squelch level:", 0,
             "Squelch level. 1 - lowest, 10 - highest.");
    t.choice("Busydetect", lists::Busydetect, "Channel busy detect:", 0,
             "Channel busy detection method. For open quelch operation use only digital "
             "detect.");
    t.choice("Consecutive_packets", lists::ConsecutivePackets, "Consecutive packets send:", 0,
             "Multiple packets from TX fifo will be sent without gap if \"bursts\" is "
             "selected.");
}

// No setting of the position reports page has a hint.
void positionReports(TableBuilder& t) {
    t.on(Page::PositionReports);
    t.choice("Position_report_mode", lists::PositionReportMode, "Position report mode:", 2);
    t.text("Smartbeaconing_min_turn_angle", 3, "Min Turn Angle [deg]:", "27");
    t.text("Smartbeaconing_turn_slope", 4, "Turn Slope:", "410");
    t.text("Smartbeaconing_min_turn_time", 3, "Min Turn Time [s]:", "5");
    t.text("Smartbeaconing_slow_speed", 3, "Slow Speed [km/h]:", "8");
    t.text("Smartbeaconing_slow_period", 4, "Slow Period [s]:", "1800");
    t.text("Smartbeaconing_fast_speed", 3, "Fast Speed [km/h]:", "95");
    t.text("Smartbeaconing_fast_period", 3, "Fast Period [s]:", "90");
    t.text("Position_report_interval", 4, "Position report interval [s]:", "60");
    t.choice("Position_report_encoding", lists::PositionReportEncoding,
             "Position encoding protocol:", 0);
    t.text("Position_symbol_code", 1, "Symbol code:", ">");
    t.text("Position_symbol_table", 1, "Symbol table:", "/");
    t.choice("Mice_message", lists::MiceMessage, "message:", 0);
    t.titled("Mic-E message");
    static const char* const kPathDefaults[][2] = {{"WIDE1", "1"}, {"WIDE2", "1"}, {"", ""}};
    for (int e = 1; e <= 3; ++e) {
        // Only the first element carries the label.
        t.text(familyName("Position_path", e, ""), 6, e == 1 ? "Path:" : "",
               kPathDefaults[e - 1][0]);
        t.titled(pathElement(e));
        t.text(familyName("Position_ssid", e, ""), 2, "", kPathDefaults[e - 1][1]);
        t.titled(pathElementSsid(e));
    }
    t.text("Position_status_text", 40, "Status text:", "");
    t.choice("Position_time", lists::PositionTime, "Time:", 2);
    t.choice("Position_coursespeed", lists::NoYes, "Course/Speed:", 1);
    t.choice("Position_reportonfixlost", lists::NoYes, "Send last position if fix lost:", 1);
    t.choice("Position_altitude", lists::NoYes, "Altitude:", 1);
    t.text("Position_fixlost_interval", 4, "Send interval on fix lost (s):", "600");
}

void digipeater(TableBuilder& t) {
    t.on(Page::Digipeater, "Common settings");
    t.choice("Digion", lists::NoYes, "Digipeater on:", 1,
             "Enables or disables function of RF packets digipeating.");
    t.text("Floodtimeout", 3, "Duplicate checking [s]:", "60",
           "Time for which a received packet is stored for duplicate checking. Duplicate "
           "packets are discarded and are not digipeated.");
    t.on(Page::Digipeater, "Simple aliases");
    for (int k = 1; k <= kAliases; ++k) {
        const bool first = k == 1;
        t.inGroup(numbered("Alias %1", k));
        t.text(familyName("Alias", k, "_name"), 6, "Alias:", first ? "WIDE1" : "",
               "Simple alias-based path for digipeating.", k);
        t.text(familyName("Alias", k, "_ssid"), 2, "Ssid:", first ? "1" : "",
               "Simple alias-based SSID for digipeating.", k);
        t.choice(familyName("Alias", k, "_traceable"), lists::NoYes, "Traceable:", first ? 1 : 0,
                 "If selected, the device will add its callsign to path of digipeated packets.", k);
        t.choice(familyName("Alias", k, "_enable"), lists::NeverAlways, "Enable if:", first ? 1 : 0,
                 "Path rule is enabled if this condition is met.", k);
    }
}

void beacons(TableBuilder& t) {
    struct BeaconDefaults {
        const char* rate;
        int condition;
        const char* message;
    };
    static const BeaconDefaults kDefaults[kBeacons] = {
        {"30", 2, "/<gpsdate>z<gpslat>/<gpslong>>Veltromark U=<volt>V."},
        {"5", 0, "!<statlat>/<statlong>>Veltromark U=<volt>V."},
        {"5", 0, "!<statlat>/<statlong>>Veltromark U=<volt>V, T=<temp>C."},
        {"5", 0, ""},
    };
    t.on(Page::Beacons);
    for (int k = 1; k <= kBeacons; ++k) {
        const BeaconDefaults& d = kDefaults[k - 1];
        t.inGroup(numbered("Beacon %1", k));
        // The destination hints name beacon 1 on all four rows.
        t.text(familyName("Beacon", k, "_dest_string"), 6, "Dest:", "APVQ05",
               "Beacon 1 destination to-call.", k);
        t.text(familyName("Beacon", k, "_dest_ssid"), 2, "Ssid:", "0", "Beacon 1 destination SSID.",
               k);
        t.titled(kDestinationSsid);
        t.text(familyName("Beacon", k, "_path1_string"), 6, "Path:", "WIDE1", "Beacon path.", k);
        t.titled(pathElement(1));
        t.text(familyName("Beacon", k, "_path1_ssid"), 2, "Ssid:", "1", "Beacon SSID.", k);
        t.titled(pathElementSsid(1));
        t.text(familyName("Beacon", k, "_path2_string"), 6, "Path:", "WIDE2", "Beacon path.", k);
        t.titled(pathElement(2));
        t.text(familyName("Beacon", k, "_path2_ssid"), 2, "Ssid:", "1", "Beacon SSID.", k);
        t.titled(pathElementSsid(2));
        t.text(familyName("Beacon", k, "_txrate"), 4, "RF[min]:", d.rate,
               "Beacon TX rate to RF (minutes).", k);
        t.choice(familyName("Beacon", k, "_enable"), lists::BeaconCondition,
                 "Enable if:", d.condition, "Beacon is enabled if this condition is met.", k);
        t.message(familyName("Beacon", k, "_message"),
                  "Message (empty fields are ignored):", d.message,
                  "Beacon message. Please check \"Special strings\".", k);
    }
}

void telemetryReportSettings(TableBuilder& t) {
    t.on(Page::TelemetryReports, "Report settings");
    struct Report {
        const char* prefix;
        const char* row;
        const char* what;
    };
    static const Report kReports[] = {{"Teleparams", "Telemetry parameters:", "parameters"},
                                      {"Teledata", "Telemetry data:", "data"}};
    for (const Report& r : kReports) {
        const std::string p = r.prefix;
        const QString what = QString("Telemetry %1").arg(r.what);
        t.inGroup(what);
        t.text(p + "_dest_string", 6, "Dest:", "APVQ05", what + " destination to-call.");
        t.text(p + "_dest_ssid", 2, "", "0", what + " destination SSID.");
        t.titled(kDestinationSsid);
        t.text(p + "_path1_string", 6, "Path:", "WIDE1", what + " path.");
        t.titled(pathElement(1));
        t.text(p + "_path1_ssid", 2, "", "1", what + " path SSID.");
        t.titled(pathElementSsid(1));
        t.text(p + "_path2_string", 6, "Path:", "WIDE2", what + " path.");
        t.titled(pathElement(2));
        t.text(p + "_path2_ssid", 2, "", "1", what + " path SSID.");
        t.titled(pathElementSsid(2));
        t.text(p + "_txrate_rf", 3, "RF[min]:", "30",
               what + " TX rate to RF (minutes). Set 0 to disable.");
    }
    t.inGroup({});
    t.text("Teletitle", 23, "Telemetry project title:", "Telemetry test",
           "Title for telemetry sent in BITS message.");
    t.text("Tele_holdoff", 3, "First telemetry data packet delay [min]:", "60",
           "Delay for first telemetry data packet. Allows to gather data after device "
           "power-up.");
    t.choice("Tele_enable", lists::DisabledEnabled, "Telemetry reports:", 0,
             "Enables or disables telemetry reports.");
}

void analogChannels(TableBuilder& t) {
    // Start-up values of the descriptive fields are what the preset of the default source
    // puts in; the table states them so that they can be read and checked in one place.
    static const char* const kNames[kAnalogChannels] = {"Vin", "A2", "A3", "A4", "A5"};
    t.on(Page::TelemetryReports, "Analog channels");
    for (int k = 1; k <= kAnalogChannels; ++k) {
        const int width = kAnalogWidths[k - 1];
        t.inGroup(numbered("Channel %1", k));
        const QString coefficient = numbered(
            "Analog channel %1 telemetry calculation coefficient %2. Equation: A*x*x+B*x+C "
            "(where x is the measurement sample).",
            k);
        t.text(familyName("Teleanalog", k, "_name"), width, "Name:", kNames[k - 1],
               numbered("Analog channel %1 report name.", k), k);
        t.fromPreset();
        t.text(familyName("Teleanalog", k, "_units"), width, "Units:", k == 1 ? "Volt" : "None",
               numbered("Analog channel %1 report units.", k), k);
        t.fromPreset();
        t.choice(familyName("Teleanalog", k, "_source"), lists::AnalogSources,
                 "Source:", k == 1 ? 11 : 0, numbered("Analog channel %1 measurement source.", k),
                 k);
        t.text(familyName("Teleanalog", k, "_coefa"), 8, "Coeff A:", "0", coefficient.arg("A"), k);
        t.fromPreset();
        t.text(familyName("Teleanalog", k, "_coefb"), 8, "Coeff B:", k == 1 ? "0.075" : "0",
               coefficient.arg("B"), k);
        t.fromPreset();
        t.text(familyName("Teleanalog", k, "_coefc"), 8, "Coeff C:", "0", coefficient.arg("C"), k);
        t.fromPreset();
        t.choice(familyName("Teleanalog", k, "_average"), lists::OffOn, "1 min average:", 0,
                 "If selected, the device will calculate 1 minute average of measured samples.", k);
        t.fromPreset();
    }
}

void digitalChannels(TableBuilder& t) {
    static const char* const kNames[kDigitalChannels] = {"O1", "O2", "O3", "O4",
                                                         "I1", "I2", "I3", "I4"};
    for (int k = 1; k <= kDigitalChannels; ++k) {
        t.on(Page::TelemetryReports, k <= 4 ? "Digital channels 1-4" : "Digital channels 5-8");
        const int width = kDigitalWidths[k - 1];
        t.inGroup(numbered("Channel %1", k));
        t.text(familyName("Teledigital", k, "_name"), width, "Name:", kNames[k - 1],
               numbered("Digital channel %1 report name.", k), k);
        t.fromPreset();
        t.text(familyName("Teledigital", k, "_units"), width, "Label", k <= 4 ? "On" : "Hi",
               numbered("Digital channel %1 report label.", k), k);
        t.fromPreset();
        t.choice(familyName("Teledigital", k, "_source"), lists::DigitalSources, "Source", k,
                 numbered("Digital channel %1 source.", k), k);
        t.choice(familyName("Teledigital", k, "_inverted"), lists::NoYes, "Inverted:", 0,
                 "Select if digital channel is active-low.", k);
        t.fromPreset();
    }
}

void zemborOutputs(TableBuilder& t) {
    t.on(Page::TelemetryReports, "Zembor outputs");
    for (int k = 1; k <= kZemborOutputs; ++k) {
        t.choice(familyName("Zembor_output", k, ""), lists::OffOn,
                 numbered("Output %1 default state:", k), 0,
                 "Default power-on state for Zembor output.", k);
    }
}

void weatherReports(TableBuilder& t) {
    t.on(Page::WeatherReports);
    t.text("Weather_dest_string", 6, "Dest:", "APVQ05", "Weather destination to-call.");
    t.text("Weather_dest_ssid", 2, "", "0", "Weather destination SSID.");
    t.titled(kDestinationSsid);
    t.text("Weather_path1_string", 6, "Path:", "WIDE1", "Weather report path.");
    t.titled(pathElement(1));
    t.text("Weather_path1_ssid", 2, "Ssid:", "1", "Weather report SSID.");
    t.titled(pathElementSsid(1));
    t.text("Weather_path2_string", 6, "Path:", "WIDE2", "Weather report path.");
    t.titled(pathElement(2));
    t.text("Weather_path2_ssid", 2, "Ssid:", "1", "Weather report SSID.");
    t.titled(pathElementSsid(2));
    t.text("Weather_txrate", 3, "RF[min]:", "5", "Weather report TX rate to RF (minutes).");
    t.choice("Weather_enable", lists::WeatherEnable, "Enable if:", 2,
             "Weather reports are enabled if this condition is met.");
    t.choice("Weather_position", lists::WeatherPosition, "Send position:", 1,
             "Reported position source selection.");
    t.text("Weather_comment", 32, "Comment:", "Veltromark weather", "Weather report comment.");
}

void externalInterfaces(TableBuilder& t) {
    t.on(Page::ExternalInterfaces, "RS-232 ports");
    t.choice("Serial1_mode", lists::SerialRoles, "RS-232 port 1:", 2, "Serial port 1 function.");
    t.choice("Serial2_mode", lists::SerialRoles, "RS-232 port 2:", 4, "Serial port 2 function.");
    t.on(Page::ExternalInterfaces, "RS-485 port");
    t.choice("RS485_mode", lists::Rs485Roles, "RS-485 port:", 1, "RS-485 port function.");
    t.choice("Telemodule_enable", lists::DisabledEnabled, "Dravensholt module (analog):", 0,
             "Enables or disables Dravensholt module support.");
    t.choice("Bitsmodule_enable", lists::DisabledEnabled, "Zembor module (digital):", 0,
             "Enables or disables Zembor module support.");
    t.on(Page::ExternalInterfaces, "Weather station");
    t.editableChoice("Weather_stationtype", lists::WeatherStations, "Weather station:", 0,
                     "Weather station selection box.");
    t.on(Page::ExternalInterfaces, "Serial console");
    t.choice("Console_baudrate", lists::SerialSpeeds, "Serial console baudrate:", 4,
             "Serial console baudrate.");
    // The debug choices carry no hint.
    t.choice("Debug_rf", lists::DisabledEnabled, "RF:", 1);
    t.choice("Debug_ax25", lists::DisabledEnabled, "AX25:", 1);
    t.choice("Debug_weather", lists::DisabledEnabled, "Weather:", 1);
    t.choice("Debug_telemetry", lists::DisabledEnabled, "Telemetry:", 1);
    t.choice("Debug_gps", lists::DisabledEnabled, "GPS:", 1);
    t.choice("Debug_kiss", lists::DisabledEnabled, "KISS:", 1);
    t.choice("Debug_thermo", lists::DisabledEnabled, "Thermo:", 1);
    t.on(Page::ExternalInterfaces, "GPS receiver");
    t.choice("GPS_baudrate", lists::GpsBaudrates, "GPS module baudrate:", 3,
             "NMEA reports baudrate.");
    t.text("Position_store_interval", 4, "Store position every (s):", "5",
           "Position store interval in built-in non-volatile memory.");
    t.text("Position_store_minspeed", 3, "Store position if speed above (km/h):", "3",
           "Store position only if moving speed is above this value.");
    t.on(Page::ExternalInterfaces, "KISS");
    t.choice("Kiss_baudrate", lists::SerialSpeeds, "KISS baudrate:", 0,
             "KISS serial port baudrate.");
    t.choice("Kiss_direction", lists::KissDirection, "KISS direction:", 1,
             "Allows to disable transmission of KISS packets to RF if unnecessary.");
    t.choice("Kiss_check", lists::NoYes, "Check for serial->RF packet correctness:", 1,
             "If enabled then checks packet header and drops incorrect packets.");
    t.on(Page::ExternalInterfaces, "GPS passthrough");
    t.choice("Gpspassthrough_baudrate", lists::GpspassthroughBaudrates,
             "GPS passthrough baudrate:", 1, "GPS passthrough baudrate.");
}

// Moves the rows named in `names` (in that order) to the end of `rows`.
void moveToEnd(std::vector<SettingDef>& rows, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) {
        for (auto it = rows.begin(); it != rows.end(); ++it) {
            if (it->name == name) {
                SettingDef row = std::move(*it);
                rows.erase(it);
                rows.push_back(std::move(row));
                break;
            }
        }
    }
}

std::vector<SettingDef> buildSettings() {
    std::vector<SettingDef> rows;
    TableBuilder t(rows);
    radio(t);
    positionReports(t);
    digipeater(t);
    beacons(t);
    telemetryReportSettings(t);
    analogChannels(t);
    digitalChannels(t);
    zemborOutputs(t);
    weatherReports(t);
    externalInterfaces(t);
    // Start-up order: the serial roles come after the weather report settings, and the rest
    // of the external interfaces after them.
    moveToEnd(rows, {"RS485_mode", "Telemodule_enable", "Bitsmodule_enable", "Weather_stationtype",
                     "Console_baudrate", "Debug_rf", "Debug_ax25", "Debug_weather",
                     "Debug_telemetry", "Debug_gps", "Debug_kiss", "Debug_thermo", "GPS_baudrate",
                     "Position_store_interval", "Position_store_minspeed", "Kiss_baudrate",
                     "Kiss_direction", "Kiss_check", "Gpspassthrough_baudrate"});
    return rows;
}

std::vector<ControlDef> buildControls() {
    std::vector<ControlDef> rows = {
        {"Label_mice", ControlKind::Label, Page::PositionReports, {}, "Mic-E", {}},
        {"Label_mice_message", ControlKind::Label, Page::PositionReports, {}, "message:", {}},
        {"Label_position_time", ControlKind::Label, Page::PositionReports, {}, "Time:", {}},
        {"Button_special_strings", ControlKind::Button, Page::Beacons, {}, "Special strings", {}},
    };
    for (int k = 1; k <= kAnalogChannels; ++k) {
        rows.push_back({familyName("Button_teleanalog", k, "_default"), ControlKind::Button,
                        Page::TelemetryReports, "Analog channels", "Default parameters",
                        "Default parameters for analog channel."});
    }
    for (int k = 1; k <= kDigitalChannels; ++k) {
        rows.push_back({familyName("Button_teledigital", k, "_default"), ControlKind::Button,
                        Page::TelemetryReports,
                        k <= 4 ? "Digital channels 1-4" : "Digital channels 5-8",
                        "Default parameters", "Default parameters for digital channel."});
    }
    return rows;
}

template <typename Row>
const std::unordered_map<std::string_view, const Row*> indexByName(const std::vector<Row>& rows) {
    std::unordered_map<std::string_view, const Row*> byName;
    for (const Row& row : rows) {
        byName.emplace(row.name, &row);
    }
    return byName;
}

}  // namespace

const std::vector<SettingDef>& settings() {
    static const std::vector<SettingDef> rows = buildSettings();
    return rows;
}

const SettingDef* findSetting(std::string_view name) {
    static const auto byName = indexByName(settings());
    const auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
}

const SettingDef& setting(std::string_view name) {
    const SettingDef* row = findSetting(name);
    if (row == nullptr) {
        throw std::out_of_range("no setting named " + std::string(name));
    }
    return *row;
}

const std::vector<ControlDef>& controls() {
    static const std::vector<ControlDef> rows = buildControls();
    return rows;
}

const ControlDef* findControl(std::string_view name) {
    static const auto byName = indexByName(controls());
    const auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
}

QString pageCaption(Page page) {
    switch (page) {
        case Page::Radio:
            return "Radio";
        case Page::PositionReports:
            return "Position reports";
        case Page::Digipeater:
            return "Digipeater";
        case Page::Beacons:
            return "Beacons";
        case Page::TelemetryReports:
            return "Telemetry reports";
        case Page::WeatherReports:
            return "Weather reports";
        case Page::ExternalInterfaces:
            return "External interfaces";
    }
    return {};
}

QString settingTitle(const SettingDef& def) {
    QString title = def.label.trimmed();
    if (title.endsWith(u':')) {
        title.chop(1);
    }
    if (title.isEmpty()) {
        title = def.hint.trimmed();
        if (title.endsWith(u'.')) {
            title.chop(1);
        }
    }
    if (title.isEmpty()) {
        // A field shown under another one's label: its name without the page word, the
        // member number apart ("Position_path2" is "Path 2").
        QString name = QString::fromStdString(def.name);
        name = name.mid(name.indexOf(u'_') + 1);
        qsizetype digits = name.size();
        while (digits > 0 && name[digits - 1].isDigit()) {
            --digits;
        }
        if (digits < name.size()) {
            name.insert(digits, u' ');
        }
        title = name.left(1).toUpper() + name.mid(1).replace(u'_', u' ');
    }
    return title.trimmed();
}

QString settingPlace(const SettingDef& def) {
    QStringList parts{pageCaption(def.page)};
    if (!def.subPage.empty()) {
        parts << QString::fromStdString(def.subPage);
    }
    if (!def.group.isEmpty()) {
        parts << def.group;
    }
    parts << (def.title.isEmpty() ? settingTitle(def) : def.title);
    return parts.join(QStringLiteral(" \u203A "));
}
