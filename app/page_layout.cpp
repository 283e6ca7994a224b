#include "app/page_layout.h"

#include <stdexcept>

namespace layout {

Field withLabels(std::initializer_list<std::string_view> parts,
                 std::initializer_list<std::string_view> labelControls) {
    Field field(parts);
    field.labelControls = labelControls;
    return field;
}

Node column(std::vector<Node> children) {
    Node n{Node::Type::Column, {}, std::move(children), {}, true, {}, {}, {}};
    return n;
}

Node row(std::vector<Node> children) {
    Node n{Node::Type::Row, {}, std::move(children), {}, true, {}, {}, {}};
    return n;
}

Node group(QString title, Node child) {
    Node n{Node::Type::Group, std::move(title), {std::move(child)}, {}, true, {}, {}, {}};
    return n;
}

Node fields(std::initializer_list<std::string_view> settings) {
    std::vector<std::vector<Field>> rows;
    for (std::string_view s : settings) {
        rows.push_back({Field{s}});
    }
    return fieldRows(std::move(rows), true);
}

Node fieldRows(std::vector<std::vector<Field>> rows, bool aligned) {
    Node n{Node::Type::Fields, {}, {}, std::move(rows), aligned, {}, {}, {}};
    return n;
}

Node table(std::vector<std::vector<std::string_view>> rows, std::vector<QString> rowLabels,
           std::string_view cornerButton) {
    Node n{Node::Type::Table, {},          {}, {}, true, std::move(rowLabels),
           std::move(rows),   cornerButton};
    return n;
}

Node note(QString text) {
    Node n{Node::Type::Note, std::move(text), {}, {}, true, {}, {}, {}};
    return n;
}

Node stretch() {
    Node n{Node::Type::Stretch, {}, {}, {}, true, {}, {}, {}};
    return n;
}

namespace {

// The stable name of a family member ("Beacon3_txrate"), checked against the tables.
std::string_view member(std::string_view prefix, int k, std::string_view suffix) {
    const std::string name = familyName(prefix, k, suffix);
    if (const SettingDef* s = findSetting(name)) {
        return s->name;
    }
    if (const ControlDef* c = findControl(name)) {
        return c->name;
    }
    throw std::out_of_range("no setting or control named " + name);
}

QString numbered(const char* pattern, int k) {
    return QString(pattern).arg(k);
}

// A call or path element: its text, "-", its SSID.
void addCall(std::vector<std::string_view>& parts, std::string_view call, std::string_view ssid) {
    parts.insert(parts.end(), {call, kDash, ssid});
}

// Destination and two path elements of a report row: dest-ssid,path-ssid,path-ssid.
std::vector<std::string_view> reportRow(std::string_view prefix, int k = -1) {
    const auto name = [&](std::string_view suffix) {
        return k < 0 ? setting(std::string(prefix) + std::string(suffix)).name
                     : member(prefix, k, suffix);
    };
    std::vector<std::string_view> parts;
    addCall(parts, name("_dest_string"), name("_dest_ssid"));
    parts.push_back(kComma);
    addCall(parts, name("_path1_string"), name("_path1_ssid"));
    parts.push_back(kComma);
    addCall(parts, name("_path2_string"), name("_path2_ssid"));
    return parts;
}

const QString kWs23xxNotes[] = {
    "Warning. If you select weather station on one of RS-232 ports and you want to use WS-23XX "
    "station, the other port will work in RX-only mode.",
    "This is done because other port's TXD line is needed as negative voltage polarization for "
    "these kind of stations.",
    "See the Veltromark user manual, chapter \"Weather stations\", for the wiring of WS-23XX "
    "stations.",
};

Node radio() {
    return row(
        {fieldRows({{Field{"Callsign", kDash, "Ssid"}}, {Field{"Latitude"}}, {Field{"Longitude"}}},
                   true),
         fields({"Txdelay", "Quiettime", "Quiettime_randomize", "Ptt", "Squelch", "Busydetect",
                 "Consecutive_packets"})});
}

Node positionReports() {
    Node smartBeaconing =
        row({fields({"Smartbeaconing_min_turn_angle", "Smartbeaconing_turn_slope",
                     "Smartbeaconing_min_turn_time"}),
             fields({"Smartbeaconing_slow_speed", "Smartbeaconing_slow_period",
                     "Smartbeaconing_fast_speed", "Smartbeaconing_fast_period"})});
    Node encoding = fieldRows(
        {
            {Field{"Position_symbol_code"}, Field{"Position_symbol_table"},
             withLabels({"Mice_message"}, {"Label_mice", "Label_mice_message"})},
            {Field{"Position_path1", kDash, "Position_ssid1", kComma, "Position_path2", kDash,
                   "Position_ssid2", kComma, "Position_path3", kDash, "Position_ssid3"}},
            {Field{"Position_status_text"}},
            {withLabels({"Position_time"}, {"Label_position_time"}), Field{"Position_coursespeed"}},
            {Field{"Position_reportonfixlost"}, Field{"Position_altitude"}},
            {Field{"Position_fixlost_interval"}},
        },
        false);
    return column({
        row({fields({"Position_report_mode"}), fields({"Position_report_encoding"})}),
        row({column({group("SmartBeaconing:", std::move(smartBeaconing)),
                     group("Fixed time interval:", fields({"Position_report_interval"})),
                     stretch()}),
             column({group("Report encoding settings:", std::move(encoding)), stretch()})}),
    });
}

Node simpleAliases() {
    std::vector<Node> blocks;
    for (int first : {1, 5}) {
        std::vector<std::vector<std::string_view>> rows;
        for (int k = first; k < first + 4; ++k) {
            rows.push_back({member("Alias", k, "_name"), kDash, member("Alias", k, "_ssid"),
                            member("Alias", k, "_traceable"), member("Alias", k, "_enable")});
        }
        blocks.push_back(table(std::move(rows)));
    }
    blocks.push_back(stretch());
    return row(std::move(blocks));
}

Node beacons() {
    std::vector<std::vector<std::string_view>> rows;
    for (int k = 1; k <= kBeacons; ++k) {
        std::vector<std::string_view> parts = reportRow("Beacon", k);
        parts.insert(parts.end(), {member("Beacon", k, "_txrate"), member("Beacon", k, "_enable"),
                                   member("Beacon", k, "_message")});
        rows.push_back(std::move(parts));
    }
    return table(std::move(rows), {}, "Button_special_strings");
}

Node reportSettings() {
    std::vector<std::vector<std::string_view>> rows;
    for (const char* prefix : {"Teleparams", "Teledata"}) {
        std::vector<std::string_view> parts = reportRow(prefix);
        parts.push_back(setting(std::string(prefix) + "_txrate_rf").name);
        rows.push_back(std::move(parts));
    }
    return column({
        table(std::move(rows), {"Telemetry parameters:", "Telemetry data:"}),
        fields({"Teletitle", "Tele_holdoff", "Tele_enable"}),
        stretch(),
        note("Please refer to APRS protocol reference v1.0.1, chapter 13, for more info about "
             "telemetry reports, messages, and protocol limitations (\"aprs protocol "
             "reference\" in google)."),
    });
}

Node analogChannels() {
    std::vector<std::vector<std::string_view>> rows;
    std::vector<QString> labels;
    for (int k = 1; k <= kAnalogChannels; ++k) {
        rows.push_back({member("Teleanalog", k, "_name"), member("Teleanalog", k, "_units"),
                        member("Teleanalog", k, "_source"), member("Teleanalog", k, "_coefa"),
                        member("Teleanalog", k, "_coefb"), member("Teleanalog", k, "_coefc"),
                        member("Teleanalog", k, "_average"),
                        member("Button_teleanalog", k, "_default")});
        labels.push_back(numbered("Analog %1:", k));
    }
    return column({table(std::move(rows), std::move(labels)), stretch(),
                   note("Note: types of telemetry sources are: (M) - from Dravensholt, (E) - "
                        "from external devices, (I) - device internal sources.")});
}

Node digitalChannels(int first) {
    std::vector<std::vector<std::string_view>> rows;
    std::vector<QString> labels;
    for (int k = first; k < first + 4; ++k) {
        rows.push_back({member("Teledigital", k, "_name"), member("Teledigital", k, "_units"),
                        member("Teledigital", k, "_source"), member("Teledigital", k, "_inverted"),
                        member("Button_teledigital", k, "_default")});
        labels.push_back(numbered("Digital %1:", k));
    }
    return table(std::move(rows), std::move(labels));
}

Node zemborOutputs() {
    return fields({"Zembor_output1", "Zembor_output2", "Zembor_output3", "Zembor_output4"});
}

Node weatherReports() {
    std::vector<std::string_view> parts = reportRow("Weather");
    parts.insert(parts.end(), {"Weather_txrate", "Weather_enable", "Weather_position"});
    return column({table({parts}, {"Weather report:"}), fields({"Weather_comment"})});
}

Node notes(std::vector<Node> settings, std::initializer_list<QString> lines) {
    std::vector<Node> children = std::move(settings);
    children.push_back(stretch());
    for (const QString& line : lines) {
        children.push_back(note(line));
    }
    return column(std::move(children));
}

Node serialConsole() {
    return column({
        fields({"Console_baudrate"}),
        row({group("Console debug messages:",
                   fieldRows({{Field{"Debug_rf"}, Field{"Debug_ax25"}, Field{"Debug_weather"},
                               Field{"Debug_telemetry"}},
                              {Field{"Debug_gps"}, Field{"Debug_kiss"}, Field{"Debug_thermo"}}},
                             true)),
             stretch()}),
    });
}

std::vector<PageLayout> buildPages() {
    using P = Page;
    std::vector<PageLayout> rows;
    rows.push_back({P::Radio, {}, radio()});
    rows.push_back({P::PositionReports, {}, positionReports()});
    rows.push_back({P::Digipeater, "Common settings", fields({"Digion", "Floodtimeout"})});
    rows.push_back({P::Digipeater, "Simple aliases", simpleAliases()});
    rows.push_back({P::Beacons, {}, beacons()});
    rows.push_back({P::TelemetryReports, "Report settings", reportSettings()});
    rows.push_back({P::TelemetryReports, "Analog channels", analogChannels()});
    rows.push_back({P::TelemetryReports, "Digital channels 1-4", digitalChannels(1)});
    rows.push_back({P::TelemetryReports, "Digital channels 5-8", digitalChannels(5)});
    rows.push_back({P::TelemetryReports, "Zembor outputs", zemborOutputs()});
    rows.push_back({P::WeatherReports, {}, weatherReports()});
    rows.push_back({P::ExternalInterfaces, "RS-232 ports",
                    notes({fields({"Serial1_mode", "Serial2_mode"})},
                          {kWs23xxNotes[0], kWs23xxNotes[1], kWs23xxNotes[2]})});
    rows.push_back(
        {P::ExternalInterfaces, "RS-485 port",
         notes({fields({"RS485_mode", "Telemodule_enable", "Bitsmodule_enable"})},
               {"Starting with firmware version 1.04, you can directly connect DS18B20/DS18S20 "
                "thermometer to RS-485 port instead of telemetry module.",
                // One sentence over two lines: shown as one paragraph, wrapped to the page.
                "Connect thermometer VDD/GND to Veltromark ground (pin 2, 3 or 5), thermometer DQ "
                "to Veltromark RS-485 A+ (pin 6), and also connect 10kOhm "
                "resistor between RS-485 B- (pin 7) and Vin (pin 9). Do not use other resistor "
                "value than 10kOhm and avoid short-circuit or you will damage your device.",
                "Ready-made thermometer cables are listed in the Veltromark user manual, chapter "
                "\"RS-485 port\"."})});
    rows.push_back({P::ExternalInterfaces, "Weather station",
                    notes({fields({"Weather_stationtype"})},
                          {kWs23xxNotes[0], kWs23xxNotes[1], kWs23xxNotes[2]})});
    rows.push_back({P::ExternalInterfaces, "Serial console", serialConsole()});
    rows.push_back(
        {P::ExternalInterfaces, "GPS receiver",
         fields({"GPS_baudrate", "Position_store_interval", "Position_store_minspeed"})});
    rows.push_back(
        {P::ExternalInterfaces, "KISS", fields({"Kiss_baudrate", "Kiss_direction", "Kiss_check"})});
    rows.push_back({P::ExternalInterfaces, "GPS passthrough", fields({"Gpspassthrough_baudrate"})});
    return rows;
}

}  // namespace

const std::vector<PageLayout>& pages() {
    static const std::vector<PageLayout> rows = buildPages();
    return rows;
}

std::vector<std::string> subPages(Page page) {
    std::vector<std::string> names;
    for (const PageLayout& p : pages()) {
        if (p.page == page && !p.subPage.empty()) {
            names.push_back(p.subPage);
        }
    }
    return names;
}

QString subPageControlName(Page page) {
    switch (page) {
        case Page::Digipeater:
            return "DigipeaterSubPages";
        case Page::TelemetryReports:
            return "TelemetrySubPages";
        case Page::ExternalInterfaces:
            return "InterfaceSubPages";
        default:
            return {};
    }
}

}  // namespace layout
