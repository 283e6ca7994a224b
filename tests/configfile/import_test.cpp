#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <map>

#include "configfile/config_file.h"
#include "configfile/key_table.h"
#include "file_helpers.h"
#include "recording_sink.h"
#include "rules/choice_handlers.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/schema.h"

namespace {

const QByteArray kHeader = "[!WARNING]\r\nApplication=Veltromark Configurator\r\nVersion=v1.07\r\n";
const QString kNotConfigurationFile =
    "Imported configuration file is not a Veltromark configuration file. \nOperation aborted.";
const QString kOtherVersion =
    "Imported configuration file version is different than your current application version. "
    "\nPlease double-check configuration fields after import. \nSome configuration fields my "
    "change between firmware versions.";

// Every setting's value: the text of a field, "#<index>" for a list.
using Snapshot = std::map<std::string, QString>;
Snapshot snapshot(const Form& form) {
    Snapshot out;
    for (const SettingDef& s : settings()) {
        out[s.name] =
            s.isChoice() ? QStringLiteral("#%1").arg(form.index(s.name)) : form.text(s.name);
    }
    return out;
}

// A value differing from the start-up one for every setting, with serial roles that break no
// rule.
void putOtherValues(Form& form) {
    for (const KeyRow& row : keyTable()) {
        if (row.kind == ValueKind::Text) {
            form.setText(row.setting, QStringLiteral("t%1").arg(row.step));
        } else if (row.kind == ValueKind::Number) {
            form.setText(row.setting, QString::number(row.step * 3));
        } else if (row.kind != ValueKind::Fixed) {
            const SettingDef& s = setting(row.setting);
            form.setIndex(row.setting,
                          (s.defaultIndex + 1) % static_cast<int>(s.items->items.size()));
        }
    }
}

class Import : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        applyStartupDefaults(form);
        host.events.clear();
    }
    QString path(const char* name = "in.cfg") const { return dir.filePath(name); }
    bool importBytes(const QByteArray& bytes) {
        writeBytes(path(), bytes);
        return host.shown(importConfiguration(form, path()));
    }

    QTemporaryDir dir;
    MemoryForm form;
    RecordingSink host;
};

TEST_F(Import, WhatIsNotAConfigurationFileChangesNothing) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.cfg"));
    const QString written = path("written.cfg");
    const struct {
        const char* what;
        std::optional<QByteArray> bytes;  // nothing: use `pathOf` as it is
        QString pathOf;
    } cases[] = {
        {"missing file", std::nullopt, path("missing.cfg")},
        {"a folder", std::nullopt, path("folder.cfg")},
        {"empty file", "", written},
        {"no header", "[Radio]\r\nCallsign=SP3XYZ\r\n", written},
        {"application in other letter case",
         "[!WARNING]\r\nApplication=veltromark configurator\r\n[Radio]\r\nCallsign=X\r\n", written},
        {"application in another section", "[Radio]\r\nApplication=Veltromark Configurator\r\n",
         written},
        {"another application", "[!WARNING]\r\nApplication=Veltromark\r\n", written},
        {"bytes of no text", QByteArray("\x00\xFF[\x80=\n\r\x01", 9), written},
    };
    const Snapshot before = snapshot(form);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.bytes) {
            writeBytes(c.pathOf, *c.bytes);
        }
        host.events.clear();
        EXPECT_FALSE(host.shown(importConfiguration(form, c.pathOf)));
        EXPECT_EQ(host.events, QStringList{"information: " + kNotConfigurationFile});
        EXPECT_EQ(snapshot(form), before);
    }
}

TEST_F(Import, FarTooLargeFileIsNotRead) {
    constexpr int kLimit = 16 * 1024 * 1024;
    // A file of exactly the limit is read (padded with one long comment line).
    const QByteArray head = kHeader + "[Radio]\r\nCallsign=SP3BIG\r\n;";
    EXPECT_TRUE(importBytes(head + QByteArray(kLimit - head.size(), 'x')));
    EXPECT_EQ(form.text("Callsign"), "SP3BIG");
    EXPECT_EQ(host.informations, QStringList());

    // One byte more is refused for its size.
    form.setText("Callsign", "NOCALL");
    EXPECT_FALSE(importBytes(head + QByteArray(kLimit + 1 - head.size(), 'x')));
    EXPECT_EQ(host.informations,
              QStringList{"Imported configuration file is too large: 16777217 bytes, more than "
                          "the 16 MiB a configuration file may have. \nOperation aborted."});
    EXPECT_EQ(form.text("Callsign"), "NOCALL");
}

TEST_F(Import, HeaderKeysAreFoundInAnyLetterCase) {
    EXPECT_TRUE(
        importBytes("[!warning]\r\nAPPLICATION=Veltromark Configurator\r\n"
                    "version=v1.07\r\n[RADIO]\r\ncallsign=SP3XYZ\r\n"));
    EXPECT_EQ(form.text("Callsign"), "SP3XYZ");
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(Import, OtherOrMissingVersionWarnsAndImportsEverything) {
    for (const QByteArray version : {"Version=v1.06\r\n", "Version=V1.07\r\n", ""}) {
        host.events.clear();
        form.setText("Callsign", "NOCALL");
        form.setIndex("Debug_thermo", 0);
        EXPECT_TRUE(importBytes("[!WARNING]\r\nApplication=Veltromark Configurator\r\n" + version +
                                "[Radio]\r\nCallsign=SP3XYZ\r\n"));
        EXPECT_EQ(host.events, QStringList{"information: " + kOtherVersion});
        EXPECT_EQ(form.text("Callsign"), "SP3XYZ");
        EXPECT_EQ(form.index("Debug_thermo"), 1);  // the last but one row
    }
}

TEST_F(Import, HeaderOnlyFileGivesEveryDefault) {
    putOtherValues(form);
    EXPECT_TRUE(importBytes(kHeader));
    EXPECT_TRUE(host.events.isEmpty()) << host.events.join("\n").toStdString();
    int applied = 0;
    for (const KeyRow& row : keyTable()) {
        switch (row.kind) {
            case ValueKind::Fixed:
                continue;
            case ValueKind::Text:
                EXPECT_EQ(form.text(row.setting), row.defaultText) << row.setting;
                break;
            case ValueKind::Number:
                EXPECT_EQ(form.text(row.setting), QString::number(row.defaultNumber))
                    << row.setting;
                break;
            case ValueKind::Index:
            case ValueKind::Flag:
                EXPECT_EQ(form.index(row.setting), row.defaultNumber) << row.setting;
                break;
        }
        ++applied;
    }
    EXPECT_EQ(applied, 225);
    // The import's own defaults, where they are not the start-up values.
    EXPECT_EQ(form.text("Teleanalog1_name"), "A1");
    EXPECT_EQ(form.index("Teleanalog1_source"), 0);
    EXPECT_EQ(form.text("Teledigital5_units"), "None");
    EXPECT_EQ(form.text("Teledigital6_units"), "Non");
    EXPECT_EQ(form.index("Teledigital8_source"), 0);
    EXPECT_EQ(form.text("Alias1_name"), "WIDE1");
    EXPECT_EQ(form.index("Alias1_enable"), 1);
    EXPECT_EQ(form.text("Alias2_name"), "");
}

struct ValueCase {
    const char* what;
    QByteArray entries;  // section lines and entries after the header
    const char* setting;
    QString want;  // text, or "#<index>" for a list
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.what;
}

class ImportValue : public Import, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ImportValue, Gives) {
    const ValueCase& c = GetParam();
    EXPECT_TRUE(importBytes(kHeader + c.entries));
    EXPECT_EQ(snapshot(form)[c.setting], c.want);
    EXPECT_TRUE(host.events.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ImportValue,
    ::testing::Values(
        ValueCase{"hexadecimal number", "[Radio]\r\nTXdelay=0x1F\r\n", "Txdelay", "31"},
        ValueCase{"dollar hexadecimal", "[Radio]\r\nTXdelay=$10\r\n", "Txdelay", "16"},
        ValueCase{"number with letters", "[Radio]\r\nTXdelay=12a\r\n", "Txdelay", "250"},
        ValueCase{"fraction", "[Radio]\r\nTXdelay=2.5\r\n", "Txdelay", "250"},
        ValueCase{"empty number", "[Radio]\r\nTXdelay=\r\n", "Txdelay", "250"},
        ValueCase{"number beyond 32 bits", "[Radio]\r\nTXdelay=4294967296\r\n", "Txdelay", "250"},
        ValueCase{"leading zero", "[Radio]\r\nTXdelay=0250\r\n", "Txdelay", "250"},
        ValueCase{"negative number put in as it is", "[Radio]\r\nTXdelay=-5\r\n", "Txdelay", "-5"},
        ValueCase{"index beyond the list: the default", "[Radio]\r\nSquelch=99\r\n", "Squelch",
                  "#0"},
        ValueCase{"negative index", "[Radio]\r\nSquelch=-1\r\n", "Squelch", "#-1"},
        ValueCase{"index that is no number", "[Radio]\r\nSquelch=high\r\n", "Squelch", "#0"},
        ValueCase{"rule index", "[Digipeater]\r\nDigi2_enable=1\r\n", "Alias2_enable", "#1"},
        ValueCase{"rule beyond its list: the default", "[Digipeater]\r\nDigi2_enable=5\r\n",
                  "Alias2_enable", "#0"},
        ValueCase{"empty text is not the default", "[Radio]\r\nCallsign=\r\n", "Callsign", ""},
        ValueCase{"quoted text keeps inner blanks", "[Radio]\r\nCallsign=\" A B \"\r\n", "Callsign",
                  " A B "},
        ValueCase{"text longer than its field put in whole",
                  "[Radio]\r\nCallsign=ABCDEFGHIJKLMNOP\r\n", "Callsign", "ABCDEFGHIJKLMNOP"},
        ValueCase{"text the device would refuse", "[Radio]\r\nCallsign=sp3 ż!\r\n", "Callsign",
                  QString::fromUtf8("sp3 ż!")},
        ValueCase{"key named after the file, not the control",
                  "[Telemetry]\r\nTeledigital7_label=Up\r\nTeledigital7_units=no\r\n",
                  "Teledigital7_units", "Up"},
        ValueCase{"editable list", "[Weather]\r\nWeather_stationtype=7\r\n", "Weather_stationtype",
                  "#7"}));

// A value the import cannot take as written gives the default, and the line that `check` prints
// and "Read from file" logs says so. The header takes lines 1 to 3.
TEST_F(Import, NamesEveryValueItCouldNotTake) {
    const struct {
        QByteArray entries;
        const char* setting;
        QString want;  // the setting's value afterwards: text, or "#<index>" for a list
        QString line;  // empty: taken as written
    } cases[] = {
        {"[Radio]\r\nTXdelay=5OO\r\n", "Txdelay", "250",
         "Radio \u203A TX delay [ms]: line 5: TXdelay=5OO is not a whole number; the default 250 "
         "is used instead."},
        {"[Radio]\r\nTXdelay=500.0\r\n", "Txdelay", "250",
         "Radio \u203A TX delay [ms]: line 5: TXdelay=500.0 is not a whole number; the default "
         "250 is used instead."},
        {"[Radio]\r\n\r\nTXdelay = 500 ms\r\n", "Txdelay", "250",
         "Radio \u203A TX delay [ms]: line 6: TXdelay=500 ms is not a whole number; the default "
         "250 is used instead."},
        {"[Radio]\r\nPTT=99\r\n", "Ptt", "#0",
         "Radio \u203A PTT: line 5: PTT=99 is not an item of its list (0 - 1); the default 0 "
         "(separate output) is used instead."},
        {"[Digipeater]\r\nDigi1_enable=-2\r\n", "Alias1_enable", "#1",
         "Digipeater \u203A Simple aliases \u203A Alias 1 \u203A Enable if: line 5: "
         "Digi1_enable=-2 "
         "is not an item of its list (0 - 1); the default 1 (Always) is used instead."},
        {QByteArray("[Ra") + '\0' + "dio]\r\nCallsign=SP3X\r\n", "Callsign", "NOCALL",
         "Radio \u203A Callsign: line 5: Callsign=SP3X stands under the damaged section line 4 "
         "\"[Ra\\x00dio]\"; the default \"NOCALL\" is used instead."},
        {"[Radio]\r\nTX\x1B"
         "delay=300\r\n",
         "Txdelay", "250",
         "Radio \u203A TX delay [ms]: line 5: the key of \"TX\\x1Bdelay=300\" is damaged; the "
         "default 250 is used instead."},
        {"[Radio]\r\nSquelch=-1\r\nTXdelay=0x1F\r\n", "Squelch", "#-1", ""},  // as exported
        {"[PositionReports]\r\nStatus=\x1B[2J\r\n", "Position_status_text", "\x1B[2J",
         ""},  // a text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries.toStdString());
        writeBytes(path(), kHeader + c.entries);
        const ImportOutcome imported = importConfiguration(form, path());
        EXPECT_TRUE(imported.ok);
        EXPECT_EQ(snapshot(form)[c.setting], c.want);
        QStringList lines;
        for (const UnreadValue& u : imported.unread) {
            if (u.lineNumber > 0) {  // not the keys the short file lacks
                lines << u.line();
            }
        }
        EXPECT_EQ(lines, c.line.isEmpty() ? QStringList() : QStringList{c.line});
    }
}

TEST_F(Import, EachDigitalSourceGetsItsOwnKey) {
    QByteArray entries = "[Telemetry]\r\n";
    for (int k = 1; k <= kDigitalChannels; ++k) {
        entries += QStringLiteral("Teledigital%1_source=%2\r\n").arg(k).arg(9 - k).toUtf8();
    }
    EXPECT_TRUE(importBytes(kHeader + entries));
    for (int k = 1; k <= kDigitalChannels; ++k) {
        EXPECT_EQ(form.index(familyName("Teledigital", k, "_source")), 9 - k) << k;
    }
}

TEST_F(Import, ChoiceHandlersOtherThanTheSerialPortsDoNotRun) {
    form.setIndex("Position_report_encoding", 0);
    Position_report_encodingChange(form);
    std::map<std::string, bool> enabled;
    for (const SettingDef& s : settings()) {
        enabled[s.name] = form.isEnabled(s.name);
    }
    for (const ControlDef& c : controls()) {
        enabled[c.name] = form.isEnabled(c.name);
    }
    EXPECT_TRUE(importBytes(kHeader + "[PositionReports]\r\nReportEncoding=2\r\nReportMode=0\r\n"));
    EXPECT_EQ(form.index("Position_report_encoding"), 2);
    for (const auto& [name, on] : enabled) {
        EXPECT_EQ(form.isEnabled(name), on) << name;
    }
}

// Serial roles and weather stations by item index.
constexpr int None = 0, Wx = 1, Kiss = 5, Passthrough = 6, Gps = 4, Ws2300 = 5;

struct SerialCase {
    const char* what;
    int port2Before, stationBefore;  // what the form holds before the import
    int port1, port2, station;       // what the file holds
    QStringList messages;
    int wantPort1, wantPort2;
};

void PrintTo(const SerialCase& c, std::ostream* os) {
    *os << c.what;
}

class ImportSerial : public Import, public ::testing::WithParamInterface<SerialCase> {};

TEST_P(ImportSerial, HandlersRunAfterEachRoleAndAtTheEnd) {
    const SerialCase& c = GetParam();
    form.setIndex("Serial2_mode", c.port2Before);
    form.setIndex("Weather_stationtype", c.stationBefore);
    const QByteArray entries = QStringLiteral(
                                   "[SerialPorts]\r\nSerial1=%1\r\nSerial2=%2\r\n"
                                   "[Weather]\r\nWeather_stationtype=%3\r\n")
                                   .arg(c.port1)
                                   .arg(c.port2)
                                   .arg(c.station)
                                   .toUtf8();
    EXPECT_TRUE(importBytes(kHeader + entries));
    EXPECT_EQ(host.informations, c.messages);
    EXPECT_EQ(form.index("Serial1_mode"), c.wantPort1);
    EXPECT_EQ(form.index("Serial2_mode"), c.wantPort2);
}

const QString kPassthroughNeedsGps =
    "RS-232 port 2 changed to GPS.\rReason:\rGPS passthrough function on port 1 needs a GPS "
    "connected to port 2.";
const QString kPort1RxOnly =
    "RS-232 port 1 changed to None.\rReason:\rIf WS-2300 or WS-2350 station is selected on "
    "port 2, then port 1 can work in RX-only mode (e.g. GPS).";
const QString kOneKiss =
    "RS-232 port 1 changed to None.\rReason:\rKISS packet output can be selected on one port "
    "only.";

INSTANTIATE_TEST_SUITE_P(
    Roles, ImportSerial,
    ::testing::Values(
        SerialCase{"consistent roles: no message", Gps, None, 2, Gps, None, {}, 2, Gps},
        // Port 1 is judged against the old port 2 (None) and again at the end (KISS).
        SerialCase{"passthrough without GPS: corrected twice",
                   None,
                   None,
                   Passthrough,
                   Kiss,
                   None,
                   {kPassthroughNeedsGps, kPassthroughNeedsGps},
                   Passthrough,
                   Gps},
        SerialCase{"two KISS ports: the port 2 run corrects port 1",
                   None,
                   None,
                   Kiss,
                   Kiss,
                   None,
                   {kOneKiss},
                   None,
                   Kiss},
        // The first run of port 1 sees the station chosen before the import.
        SerialCase{"old WS-2300 makes port 1 receive-only",
                   Wx,
                   Ws2300,
                   Kiss,
                   Wx,
                   None,
                   {kPort1RxOnly},
                   None,
                   Wx},
        SerialCase{"new WS-2300 caught by the final run",
                   Wx,
                   None,
                   Kiss,
                   Wx,
                   Ws2300,
                   {kPort1RxOnly},
                   None,
                   Wx},
        SerialCase{"no station before or after", Wx, None, Kiss, Wx, None, {}, Kiss, Wx},
        // No item (-1) leaves the port without a role, which no rule judges.
        SerialCase{"no role on port 1 beside passthrough",
                   Gps,
                   None,
                   -1,
                   Passthrough,
                   None,
                   {},
                   -1,
                   Passthrough},
        SerialCase{"passthrough beside no role on port 2",
                   Gps,
                   None,
                   Passthrough,
                   -1,
                   None,
                   {},
                   Passthrough,
                   -1}));

// Export then import gives the controls back, whatever they held before the import.
TEST_F(Import, RoundTripGivesTheSameControls) {
    MemoryForm varied;
    putOtherValues(varied);
    for (Form* source : {static_cast<Form*>(&form), static_cast<Form*>(&varied)}) {
        const Snapshot want = snapshot(*source);
        ASSERT_TRUE(host.shown(exportConfiguration(*source, path("round.cfg"))));
        MemoryForm target;
        applyStartupDefaults(target);
        if (source == &form) {
            putOtherValues(target);
        }
        ASSERT_NE(snapshot(target), want);
        EXPECT_TRUE(host.shown(importConfiguration(target, path("round.cfg"))));
        EXPECT_EQ(snapshot(target), want);
        EXPECT_TRUE(host.events.isEmpty()) << host.events.join("\n").toStdString();
    }
}

TEST_F(Import, RoundTripExceptions) {
    const struct {
        const char* setting;
        std::optional<QString> text;
        int index;
        QString want;
    } cases[] = {
        {"Callsign", "  SP3 ", 0, "SP3"},
        {"Beacon1_message", "\"quoted\"", 0, "quoted"},
        {"Teletitle", "'single'", 0, "single"},
        {"Beacon2_message", "one\r\ntwo", 0, "onetwo"},
        {"Txdelay", "0250", 0, "250"},
        {"Quiettime", "+40", 0, "40"},
        {"Alias3_enable", std::nullopt, -1, "#1"},
        {"Squelch", std::nullopt, -1, "#-1"},
    };
    for (const auto& c : cases) {
        if (c.text) {
            form.setText(c.setting, *c.text);
        } else {
            form.setIndex(c.setting, c.index);
        }
    }
    ASSERT_TRUE(host.shown(exportConfiguration(form, path())));
    MemoryForm target;
    EXPECT_TRUE(host.shown(importConfiguration(target, path())));
    const Snapshot got = snapshot(target);
    for (const auto& c : cases) {
        EXPECT_EQ(got.at(c.setting), c.want) << c.setting;
    }
}

// A file as an editor or another program leaves it.
const QByteArray kHandWritten =
    "; Veltromark settings, edited by hand\n"
    "[!warning]\n"
    "  application = \"Veltromark Configurator\"\n"
    "VERSION = 'v1.07'\n"
    "\n"
    "[RADIO]\n"
    "callsign = SP3ABC\n"
    "Callsign = SP3DUP\n"
    "txdelay=  0x1F\n"
    "Quiettime =\n"
    "SSID = \"\"\n"
    "Squelch= 4\n"
    "\n"
    "[PositionReports]\n"
    "Status = \"  spaced out  \"\n"
    "SymbolCode=  -  \n"
    "\n"
    "[Radio]\n"
    "Latitude = 5000.00N\n"
    "TXdelay = 999\n"
    "\n"
    "[digipeater]\n"
    "Digi2_alias = RELAY\n"
    "Digi2_enable = 1\n"
    "Digi3_enable=yes";

TEST_F(Import, HandWrittenFile) {
    putOtherValues(form);
    EXPECT_TRUE(importBytes(kHandWritten));
    EXPECT_TRUE(host.events.isEmpty()) << host.events.join("\n").toStdString();
    const Snapshot got = snapshot(form);
    const std::map<std::string, QString> want = {
        {"Callsign", "SP3ABC"},  // the first of two entries
        {"Txdelay", "31"},       // hexadecimal; the later entry in the repeated section loses
        {"Quiettime", "400"},    // empty: the default
        {"Ssid", ""},            // quotes removed: an empty text, not the default
        {"Squelch", "#4"},       //
        {"Position_status_text", "  spaced out  "},
        {"Position_symbol_code", "-"},
        {"Latitude", "5000.00N"},    // from the second [Radio]
        {"Longitude", "01658.14E"},  // missing: the default
        {"Alias2_name", "RELAY"},
        {"Alias2_enable", "#1"},
        {"Alias3_enable", "#0"},  // "yes" is no number: the default
        {"Beacon1_txrate", "30"},
    };
    for (const auto& [name, value] : want) {
        EXPECT_EQ(got.at(name), value) << name;
    }
}

TEST_F(Import, ExportOntoHandWrittenFileUpdatesItInPlace) {
    EXPECT_TRUE(importBytes(kHandWritten));
    const Snapshot imported = snapshot(form);
    ASSERT_TRUE(host.shown(exportConfiguration(form, path())));
    const QStringList lines = crlfLines(readBytes(path()));
    EXPECT_EQ(lines.mid(0, 23),
              (QStringList{"; Veltromark settings, edited by hand",
                           "[!warning]",
                           "  application = Veltromark Configurator",
                           "VERSION = v1.07",
                           "WARNING=Please do not try to modify this file. It should be managed "
                           "with Veltromark configurator program.",
                           "",
                           "[RADIO]",
                           "callsign = SP3ABC",
                           "Callsign = SP3DUP",
                           "txdelay=  31",
                           "Quiettime =400",
                           "SSID = ",
                           "Squelch= 4",
                           "Longitude=01658.14E",
                           "Quiettime_randomize=3",
                           "PTT=0",
                           "Busydetect=0",
                           "Consecutive_packets=0",
                           "",
                           "[PositionReports]",
                           "Status =  spaced out  ",
                           "SymbolCode=  -",
                           "ReportMode=2"}));
    EXPECT_TRUE(lines.contains("Latitude = 5000.00N"));
    EXPECT_TRUE(lines.contains("TXdelay = 999"));  // not the first match: left alone
    EXPECT_EQ(sectionLines(lines),
              (QStringList{"!warning", "RADIO", "PositionReports", "Radio", "digipeater", "Beacons",
                           "Telemetry", "Weather", "SerialPorts", "Debug", "GPSMemory"}));

    // Read back, the export gives what the import gave, but for the blanks the status loses.
    MemoryForm again;
    EXPECT_TRUE(host.shown(importConfiguration(again, path())));
    Snapshot want = imported;
    want["Position_status_text"] = "spaced out";
    EXPECT_EQ(snapshot(again), want);
}

}  // namespace
