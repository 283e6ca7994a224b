#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

// The settings of the main window as one table: every setting is one control, and the
// control's name is the setting's name everywhere in the program.

enum class Kind {
    Text,            // one-line text field, typing limited to maxLength
    Message,         // beacon message: one line, 96 characters typed
    Choice,          // fixed drop-down list, value is the item index
    EditableChoice,  // drop-down list the user may also type into (Weather_stationtype)
};

enum class Page {
    Radio,
    PositionReports,
    Digipeater,
    Beacons,
    TelemetryReports,
    WeatherReports,
    ExternalInterfaces,
};

struct ItemList {
    std::string_view name;
    std::vector<QString> items;
};

struct SettingDef {
    std::string name;  // control name, e.g. "Beacon3_txrate"
    Kind kind;
    Page page;
    std::string subPage;    // sub-page caption, empty when the page has none
    QString label;          // label left of the control, or the column heading of a table
    QString hint;           // tooltip, empty when the setting has none
    int maxLength;          // typing limit of text fields, 0 for choices
    const ItemList* items;  // item list of choices, nullptr for text fields
    QString defaultText;    // start-up text of text fields
    int defaultIndex;       // start-up item of choices, -1 for text fields
    int number;             // number within its family (alias, beacon, channel), 0 otherwise
    QString group;  // the family member or report the setting belongs to ("Beacon 2"), or empty
    QString title;  // how people name it where the label would not tell it apart, or empty
    // The start-up value is put in by the telemetry channel preset, not set directly.
    bool presetDefault;

    bool isText() const { return kind == Kind::Text || kind == Kind::Message; }
    bool isChoice() const { return !isText(); }
};

// Controls that are not settings but that the program addresses by name.
enum class ControlKind { Label, Button };
struct ControlDef {
    std::string name;
    ControlKind kind;
    Page page;
    std::string subPage;
    QString caption;
    QString hint;
};

namespace lists {
extern const ItemList NoYes;
extern const ItemList NeverAlways;
extern const ItemList BeaconCondition;
extern const ItemList DisabledEnabled;
extern const ItemList OffOn;
extern const ItemList SerialSpeeds;
extern const ItemList QuiettimeRandomize;
extern const ItemList Ptt;
extern const ItemList Squelch;
extern const ItemList Busydetect;
extern const ItemList ConsecutivePackets;
extern const ItemList PositionReportMode;
extern const ItemList PositionReportEncoding;
extern const ItemList MiceMessage;
extern const ItemList PositionTime;
extern const ItemList AnalogSources;
extern const ItemList DigitalSources;
extern const ItemList WeatherEnable;
extern const ItemList WeatherPosition;
extern const ItemList SerialRoles;
extern const ItemList Rs485Roles;
extern const ItemList WeatherStations;
extern const ItemList GpsBaudrates;
extern const ItemList KissDirection;
extern const ItemList GpspassthroughBaudrates;
}  // namespace lists

// Name and maximum length of the analog (1-5) and digital (1-8) channel name and unit
// fields: the APRS telemetry limits per channel.
inline constexpr int kAnalogChannels = 5;
inline constexpr int kDigitalChannels = 8;
inline constexpr int kAliases = 8;
inline constexpr int kBeacons = 4;
inline constexpr int kZemborOutputs = 4;
inline constexpr int kAnalogWidths[kAnalogChannels] = {7, 7, 6, 6, 5};
inline constexpr int kDigitalWidths[kDigitalChannels] = {6, 5, 4, 4, 4, 3, 3, 3};

// Every setting, in the order the start-up defaults are applied.
const std::vector<SettingDef>& settings();

// The setting with this name, or nullptr.
const SettingDef* findSetting(std::string_view name);

// The setting with this name; throws std::out_of_range for a name that is not a setting.
const SettingDef& setting(std::string_view name);

// Labels and page buttons addressed by name.
const std::vector<ControlDef>& controls();
const ControlDef* findControl(std::string_view name);

// Family member names: familyName("Beacon", 3, "_txrate") is "Beacon3_txrate".
std::string familyName(std::string_view prefix, int number, std::string_view suffix);

// Caption of a page tab.
QString pageCaption(Page page);

// How messages name a setting: its label without the colon ("TX delay [ms]"), else its
// tooltip without the full stop, else its name.
QString settingTitle(const SettingDef& def);
// The setting's name for people, unique among the settings: page, sub-page, the family member
// or report, and its title ("Beacons › Beacon 2 › Path element 1", "Digipeater › Simple
// aliases › Alias 3 › SSID"). Lists of problems and differences, the marks and the Compare
// list name settings by it.
QString settingPlace(const SettingDef& def);
