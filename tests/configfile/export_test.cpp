#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "configfile/config_file.h"
#include "file_helpers.h"
#include "recording_sink.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/number.h"
#include "settings/schema.h"

namespace {

class Export : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        applyStartupDefaults(form);
        host.events.clear();
    }
    QString path(const char* name = "veltromark.cfg") const { return dir.filePath(name); }
    QStringList exported() {
        EXPECT_TRUE(host.shown(exportConfiguration(form, path())));
        EXPECT_TRUE(host.events.isEmpty()) << host.events.join("\n").toStdString();
        return crlfLines(readBytes(path()));
    }

    QTemporaryDir dir;
    MemoryForm form;
    RecordingSink host;
};

TEST_F(Export, NewFileHoldsTenSectionsAnd228Entries) {
    const QStringList lines = exported();
    EXPECT_EQ(sectionLines(lines),
              (QStringList{"!WARNING", "Radio", "PositionReports", "Digipeater", "Beacons",
                           "Telemetry", "Weather", "SerialPorts", "Debug", "GPSMemory"}));
    EXPECT_EQ(lines.size(), 10 + 228);  // no blank lines
    EXPECT_EQ(lines.mid(0, 4),
              (QStringList{"[!WARNING]",
                           "WARNING=Please do not try to modify this file. It should be managed "
                           "with Veltromark configurator program.",
                           "Application=Veltromark Configurator", "Version=v1.07"}));
    EXPECT_EQ(lines[4], "[Radio]");
    EXPECT_EQ(lines[5], "Callsign=NOCALL");

    // Late steps write into sections begun earlier.
    EXPECT_EQ(keysOf(lines, "Telemetry").mid(keysOf(lines, "Telemetry").size() - 3),
              (QStringList{"Zembor_output4", "Telemodule_enable", "Bitsmodule_enable"}));
    EXPECT_EQ(keysOf(lines, "Weather").mid(keysOf(lines, "Weather").size() - 2),
              (QStringList{"Weather_comment", "Weather_stationtype"}));
    EXPECT_EQ(
        keysOf(lines, "SerialPorts"),
        (QStringList{"Serial1", "Serial2", "RS485", "ConsoleBaudrate", "GPSBaudrate",
                     "KISSBaudrate", "KISSDirection", "KISSCheck", "GPSPassthroughBaudrate"}));
    EXPECT_EQ(keysOf(lines, "Debug"),
              (QStringList{"Debug_rf", "Debug_ax25", "Debug_weather", "Debug_telemetry",
                           "Debug_gps", "Debug_kiss", "Debug_thermo"}));
    EXPECT_EQ(keysOf(lines, "GPSMemory"), (QStringList{"StoreInterval", "StoreMinspeed"}));
}

TEST_F(Export, ExportingAgainChangesNothing) {
    exported();
    const QByteArray first = readBytes(path());
    exported();
    EXPECT_EQ(readBytes(path()), first);

    // Other settings in between, then the first ones again: every entry was updated in place.
    form.setText("Callsign", "SP3XYZ");
    form.setIndex("Serial2_mode", 5);
    form.setText("Beacon4_message", "hello");
    EXPECT_NE(exported(), crlfLines(first));
    form.setText("Callsign", "NOCALL");
    form.setIndex("Serial2_mode", 4);
    form.setText("Beacon4_message", "");
    exported();
    EXPECT_EQ(readBytes(path()), first);
}

TEST_F(Export, HeaderIsTheSameWhateverTheSettings) {
    const QStringList before = exported().mid(0, 4);
    for (const SettingDef& s : settings()) {
        if (s.isChoice()) {
            form.setIndex(s.name, -1);
        } else {
            form.setText(s.name, "1");
        }
    }
    EXPECT_EQ(exported().mid(0, 4), before);
}

TEST_F(Export, ForeignSectionsKeysAndCommentsSurvive) {
    writeBytes(path(),
               "; my notes\n"
               "[radio]\n"
               "callsign = OLD\n"
               "MyOwnKey=keep me\n"
               "\n"
               "[Foreign]\n"
               "a=1\n"
               "\n"
               "[Digipeater]\n"
               "DIGION=0\n");
    const QStringList lines = exported();
    EXPECT_EQ(lines.mid(0, 5), (QStringList{"; my notes", "[radio]", "callsign = NOCALL",
                                            "MyOwnKey=keep me", "SSID=0"}));
    EXPECT_EQ(keysOf(lines, "radio"),
              (QStringList{"callsign ", "MyOwnKey", "SSID", "Latitude", "Longitude", "TXdelay",
                           "Quiettime", "Quiettime_randomize", "PTT", "Squelch", "Busydetect",
                           "Consecutive_packets"}));
    const qsizetype foreign = lines.indexOf("[Foreign]");
    ASSERT_GT(foreign, 0);
    EXPECT_EQ(lines.mid(foreign - 1, 5), (QStringList{"", "[Foreign]", "a=1", "", "[Digipeater]"}));
    EXPECT_EQ(lines[foreign + 4], "DIGION=1");
    EXPECT_EQ(lines[foreign + 5], "Floodtimeout=60");
    // New sections follow the old ones, the header included.
    EXPECT_EQ(sectionLines(lines), (QStringList{"radio", "Foreign", "Digipeater", "!WARNING",
                                                "PositionReports", "Beacons", "Telemetry",
                                                "Weather", "SerialPorts", "Debug", "GPSMemory"}));
    EXPECT_EQ(lines.size(), 1 + 11 + 2 + 228 + 2);  // comment, headers, blanks, ours, foreign
}

struct ValueCase {
    const char* what;
    const char* setting;
    std::optional<QString> text;  // the text to put in, or
    int index;                    // the item to choose
    const char* section;
    const char* wantLine;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.what;
}

class ExportValue : public Export, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ExportValue, IsWrittenAs) {
    const ValueCase& c = GetParam();
    if (c.text) {
        form.setText(c.setting, *c.text);
    } else {
        form.setIndex(c.setting, c.index);
    }
    const QStringList lines = exported();
    const QString key = QString(c.wantLine).section('=', 0, 0);
    EXPECT_EQ(lineOf(lines, c.section, key), c.wantLine);
    EXPECT_EQ(lines.size(), 10 + 228);

    // Exported again onto the file it wrote, byte for byte the same.
    const QByteArray first = readBytes(path());
    exported();
    EXPECT_EQ(readBytes(path()), first);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ExportValue,
    ::testing::Values(
        ValueCase{"number with a leading zero", "Txdelay", "0250", 0, "Radio", "TXdelay=250"},
        ValueCase{"negative number", "Txdelay", "-5", 0, "Radio", "TXdelay=-5"},
        ValueCase{"number with a plus sign", "Position_store_minspeed", "+7", 0, "GPSMemory",
                  "StoreMinspeed=7"},
        ValueCase{"text with blanks at its ends", "Callsign", "  SP3 ", 0, "Radio",
                  "Callsign=  SP3 "},
        ValueCase{"text with a leading blank and brackets", "Teleanalog2_coefa", " ][I:n", 0,
                  "Telemetry", "Teleanalog2_coefa= ][I:n"},
        ValueCase{"text with a leading tab", "Callsign", "\tSP3", 0, "Radio", "Callsign=\tSP3"},
        ValueCase{"text of blanks only", "Callsign", "   ", 0, "Radio", "Callsign=   "},
        ValueCase{"text with trailing blanks", "Position_status_text", "on air  ", 0,
                  "PositionReports", "Status=on air  "},
        ValueCase{"quoted text", "Position_status_text", " \"quoted\" ", 0, "PositionReports",
                  "Status= \"quoted\" "},
        ValueCase{"text with equals signs", "Beacon2_message", "=a=b= ", 0, "Beacons",
                  "Beacon2_msg==a=b= "},
        ValueCase{"text longer than the field", "Callsign", "ABCDEFGHIJ", 0, "Radio",
                  "Callsign=ABCDEFGHIJ"},
        ValueCase{"empty text", "Callsign", "", 0, "Radio", "Callsign="},
        ValueCase{"text holding line breaks", "Beacon1_message", "one\r\ntwo\nthree\r", 0,
                  "Beacons", "Beacon1_msg=onetwothree"},
        ValueCase{"list with no selection", "Squelch", std::nullopt, -1, "Radio", "Squelch=-1"},
        ValueCase{"index", "Squelch", std::nullopt, 9, "Radio", "Squelch=9"},
        ValueCase{"rule Never", "Alias3_enable", std::nullopt, 0, "Digipeater", "Digi3_enable=0"},
        ValueCase{"rule Always", "Alias3_enable", std::nullopt, 1, "Digipeater", "Digi3_enable=1"},
        ValueCase{"rule with no selection", "Alias3_enable", std::nullopt, -1, "Digipeater",
                  "Digi3_enable=1"}));

TEST_F(Export, FieldThatIsNoNumberStopsExportAndLeavesFileAlone) {
    const QByteArray original = "[Radio]\r\nCallsign=OLD\r\n; keep\r\n";
    writeBytes(path(), original);
    form.setText("Txdelay", "12a");
    form.setText("Position_store_minspeed", "x");  // a later step: not reported
    try {
        host.shown(exportConfiguration(form, path()));
        FAIL() << "no ConversionError";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.message(), "'12a' is not a valid integer value.");
    }
    EXPECT_EQ(readBytes(path()), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"veltromark.cfg"});
    EXPECT_TRUE(host.events.isEmpty());
}

TEST_F(Export, EmptyNumberFieldCreatesNoFile) {
    form.setText("Position_store_minspeed", "");  // the last number row
    EXPECT_THROW(host.shown(exportConfiguration(form, path())), ConversionError);
    EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(Export, UnwritablePathIsReportedWithItsFullPath) {
    // A folder that does not exist, a folder in place of the file, and a relative path.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.cfg"));
    const QString missing = dir.filePath("missing/veltromark.cfg");
    for (const QString& p : {missing, dir.filePath("taken.cfg")}) {
        host.applicationErrors.clear();
        EXPECT_FALSE(host.shown(exportConfiguration(form, p)));
        EXPECT_EQ(
            host.applicationErrors,
            QStringList{QStringLiteral("Unable to write to %1.").arg(QDir::toNativeSeparators(p))});
    }
    EXPECT_FALSE(QFileInfo::exists(missing));

    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    host.applicationErrors.clear();
    EXPECT_FALSE(host.shown(exportConfiguration(form, "missing/relative.cfg")));
    QDir::setCurrent(cwd);
    EXPECT_EQ(
        host.applicationErrors,
        QStringList{QStringLiteral("Unable to write to %1.")
                        .arg(QDir::toNativeSeparators(dir.filePath("missing/relative.cfg")))});
}

TEST_F(Export, ReplacedFileKeepsItsPermissions) {
    writeBytes(path(), "[Radio]\r\n");
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    ASSERT_TRUE(QFile::setPermissions(path(), permissions));
    exported();
    const QFileDevice::Permissions got = QFile::permissions(path());
    EXPECT_TRUE(got.testFlags(permissions));
    EXPECT_FALSE(got & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                        QFileDevice::WriteOther));
}

}  // namespace
