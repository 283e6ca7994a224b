#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <memory>

#include "gps/gps_record.h"
#include "gps/nmea_log.h"
#include "image/image.h"
#include "operations/firmware_resource.h"
#include "recording_sink.h"
#include "sim/sample_contents.h"

namespace {

// One run of veltromark-cli.
struct CliRun {
    int status = -1;
    QByteArray out;   // standard output
    QStringList err;  // standard error, line by line
    QByteArray errRaw;
};

class CliTest : public ::testing::Test {
  protected:
    CliRun cli(const QStringList& arguments) {
        QProcess process;
        // Backups go to the test's folder, not the user's data folder.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());  // relative names are the test's files
        process.start(VELTROMARK_CLI, arguments);
        EXPECT_TRUE(process.waitForFinished(120'000)) << arguments.join(' ').toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        CliRun run;
        run.status = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.errRaw = process.readAllStandardError();
        QString errText = QString::fromLocal8Bit(run.errRaw);
#ifdef Q_OS_WIN
        // Both are text streams there: lines end in CR LF.
        run.out.replace("\r\n", "\n");
        run.errRaw.replace("\r\n", "\n");
        errText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
#endif
        run.err = errText.split('\n');
        if (run.err.last().isEmpty()) {
            run.err.removeLast();
        }
        return run;
    }

    QString path(const char* name) const {
        return dir.filePath(name);
    }

    QByteArray read(const QString& file) const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    // A configuration file from "defaults" with one line changed.
    QString editedDefaults(const char* name, const QByteArray& from, const QByteArray& to) {
        const QString file = path(name);
        EXPECT_EQ(cli({"defaults", file}).status, 0);
        QByteArray text = read(file);
        EXPECT_TRUE(text.contains(from)) << from.toStdString();
        write(file, text.replace(from, to));
        return file;
    }

    static QStringList pageLines(const char* what, int total) {
        QStringList lines;
        for (int n = 1; n <= total; ++n) {
            lines << QStringLiteral("%1: %2/%3").arg(what).arg(n).arg(total);
        }
        return lines;
    }

    // The GPX track points of a file, as "lat lon ele time", or the parse error.
    static QStringList gpxPoints(const QByteArray& gpx) {
        QXmlStreamReader xml(gpx);
        QStringList points;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.name() == QString("trkpt")) {
                points << QString("%1 %2").arg(xml.attributes().value("lat"),
                                               xml.attributes().value("lon"));
            } else if (!points.isEmpty() &&
                       (xml.name() == QString("ele") || xml.name() == QString("time"))) {
                points.last() += " " + xml.readElementText();
            }
        }
        if (xml.hasError()) {
            return {"error: " + xml.errorString()};
        }
        return points;
    }

    static constexpr const char* kFound = "Veltromark found, vid: Vid_0483, pid: A04D";

    QTemporaryDir dir;
};

TEST_F(CliTest, BadUsageExitsWith2) {
    write(path("x.cfg"), "");
    const struct {
        QStringList arguments;
        QString says;  // first line on standard error
    } cases[] = {
        {{}, "veltromark-cli: no command given"},
        {{"--simulate"}, "veltromark-cli: unknown option '--simulate'"},
        {{"frobnicate"}, "veltromark-cli: unknown command 'frobnicate'"},
        {{"decode", "a.bin"}, "veltromark-cli: decode: missing OUT.cfg"},
        {{"erase-gps", "--simulate", "now"},
         "veltromark-cli: erase-gps: unexpected argument 'now'"},
        {{"defaults", "a.cfg", "--simulate"},
         "veltromark-cli: defaults: Unknown option 'simulate'."},
        {{"nmea", "a.bin", "a.log", "--gpx"}, "veltromark-cli: nmea: Missing value after '--gpx'."},
        {{"read-config", "--simulate", "x.cfg", "--image", "x.cfg"},
         "veltromark-cli: read-config: 'x.cfg' and 'x.cfg' name the same file"},
        {{"list", "--device", "/dev/hidraw0"}, "veltromark-cli: list: Unknown option 'device'."},
        {{"erase-gps", "--device="}, "veltromark-cli: erase-gps: --device needs a device path"},
        {{"encode", path("x.cfg"), dir.path() + "/./x.cfg"},
         "veltromark-cli: encode: '" + path("x.cfg") + "' and '" + dir.path() +
             "/./x.cfg' name the same file"},
    };
    for (const auto& c : cases) {
        const CliRun run = cli(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments.join(' ').toStdString();
        ASSERT_FALSE(run.err.isEmpty());
        EXPECT_EQ(run.err[0], c.says);
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(read(path("x.cfg")), "");  // nothing was written over the input
}

TEST_F(CliTest, HelpForTheToolAndEveryCommand) {
    const CliRun tool = cli({"--help"});
    EXPECT_EQ(tool.status, 0);
    EXPECT_TRUE(tool.err.isEmpty());
    const QStringList commands{"defaults", "encode",      "decode",
                               "nmea",     "read-config", "write-config",
                               "read-gps", "erase-gps",   "upload-firmware"};
    for (const QString& command : commands) {
        EXPECT_TRUE(tool.out.contains("\n  " + command.toLatin1() + " ")) << command.toStdString();
        const CliRun help = cli({command, "--help"});
        EXPECT_EQ(help.status, 0) << command.toStdString();
        EXPECT_TRUE(help.out.startsWith("Usage: veltromark-cli " + command.toLatin1() + " "))
            << help.out.toStdString();
        EXPECT_EQ(help.out.contains("--simulate"), command.contains('-')) << command.toStdString();
    }
    EXPECT_EQ(cli({"--version"}).out, "veltromark-cli v1.07\n");
}

TEST_F(CliTest, EncodeThenDecodeGivesTheSameFile) {
    // The start-up settings: the image holds SSID 0 beside every empty call, so the first
    // decode settles those; from then on the file comes back byte for byte.
    ASSERT_EQ(cli({"defaults", path("start.cfg")}).status, 0);
    EXPECT_TRUE(read(path("start.cfg")).startsWith("[!WARNING]\r\nWARNING=Please do not try"));
    ASSERT_EQ(cli({"encode", path("start.cfg"), path("start.bin")}).status, 0);
    ASSERT_EQ(cli({"decode", path("start.bin"), path("a.cfg")}).status, 0);
    ASSERT_EQ(cli({"encode", path("a.cfg"), path("a.bin")}).status, 0);
    ASSERT_EQ(cli({"decode", path("a.bin"), path("b.cfg")}).status, 0);
    EXPECT_EQ(read(path("a.cfg")), read(path("b.cfg")));

    const QByteArray image = read(path("a.bin"));
    ASSERT_EQ(image.size(), 8192);
    ConfigImage bytes{};
    std::copy(image.begin(), image.end(), bytes.begin());
    EXPECT_TRUE(CheckImage(bytes));
    // Only the stamp and the checksum differ between two encodings of the same settings.
    EXPECT_EQ(image.mid(6), read(path("start.bin")).mid(6));

    // A tracker's own configuration, read and written back through files.
    const CliRun readConfig =
        cli({"read-config", "--simulate", path("tracker.cfg"), "--image", path("tracker.bin")});
    ASSERT_EQ(readConfig.status, 0);
    const auto sample = sampleConfigurationImage();
    EXPECT_EQ(read(path("tracker.bin")),
              QByteArray(reinterpret_cast<const char*>(sample.data()), sample.size()));
    ASSERT_EQ(cli({"encode", path("tracker.cfg"), path("again.bin")}).status, 0);
    ASSERT_EQ(cli({"decode", path("again.bin"), path("again.cfg")}).status, 0);
    EXPECT_EQ(read(path("again.cfg")), read(path("tracker.cfg")));
    EXPECT_TRUE(read(path("tracker.cfg")).contains("\r\nCallsign=SQ3VTM\r\n"));
}

TEST_F(CliTest, EncodeRefusesWhatWriteConfigRefuses) {
    const QString bad = editedDefaults("bad.cfg", "TXdelay=250", "TXdelay=199");
    write(path("out.bin"), "previous");
    const CliRun run = cli({"encode", bad, path("out.bin")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QStringList{"Preamble len - range error (200 - 1000)."});
    EXPECT_EQ(read(path("out.bin")), "previous");

    // Against a tracker the same rule stops the write before the tracker is looked for.
    const CliRun write = cli({"write-config", "--simulate", bad});
    EXPECT_EQ(write.status, 1);
    EXPECT_EQ(write.err, QStringList{"Preamble len - range error (200 - 1000)."});

    // "check" lists that problem and every other one, each at its place in the window.
    QByteArray three = read(bad);
    three.replace("Digi1_SSID=1", "Digi1_SSID=16")
        .replace("Latitude=5223.08N", "Latitude=5223.08X");
    CliTest::write(path("three.cfg"), three);
    const CliRun check = cli({"check", path("three.cfg")});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.err, QStringList{});
    EXPECT_EQ(QString::fromUtf8(check.out).split('\n', Qt::SkipEmptyParts),
              (QStringList{"Radio \u203A Latitude: Our latitude - syntax error (ex. 5221.60N, "
                           "format: DDMM.MM).",
                           "Radio \u203A TX delay [ms]: Preamble len - range error (200 - 1000).",
                           "Digipeater \u203A Simple aliases \u203A Alias 1 \u203A Ssid: "
                           "Digipeater alias 1 - SSID range error (0 - 15)."}));
    const CliRun clean = cli({"check", editedDefaults("clean.cfg", "TXdelay=250", "TXdelay=200")});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.err, QStringList{});
    EXPECT_EQ(clean.out, "");
}

// "diff" names exactly the settings that differ, each kind of value as the window shows it,
// between files, images and the tracker alike.
TEST_F(CliTest, DiffListsExactlyTheChangedSettings) {
    ASSERT_EQ(cli({"defaults", path("a.cfg")}).status, 0);
    ASSERT_EQ(cli({"encode", path("a.cfg"), path("a.bin")}).status, 0);
    // Alike are: a file and its image, two names of one file, and a file of an image's size.
    QByteArray padded = read(path("a.cfg"));
    padded.append(8192 - padded.size(), '\n');
    write(path("padded.cfg"), padded);
    for (const QString& other : {path("a.bin"), path("./a.cfg"), path("padded.cfg")}) {
        const CliRun same = cli({"diff", path("a.cfg"), other});
        EXPECT_EQ(same.status, 0) << other.toStdString() << same.err.join('\n').toStdString();
        EXPECT_EQ(same.out, "");
    }

    const struct {
        QByteArray from;
        QByteArray to;
        QString line;  // "" when the value stays the same
    } cases[] = {
        {"Callsign=NOCALL", "Callsign=OK1ABC",
         "Radio \u203A Callsign: \"NOCALL\" \u2192 \"OK1ABC\""},
        {"\r\nSSID=0\r\n", "\r\nSSID=9\r\n", "Radio \u203A Station SSID: \"0\" \u2192 \"9\""},
        {"TXdelay=250", "TXdelay=300", "Radio \u203A TX delay [ms]: \"250\" \u2192 \"300\""},
        {"TXdelay=250", "TXdelay=0250", ""},  // the same number
        {"PTT=0", "PTT=1", "Radio \u203A PTT: separate output \u2192 2k2 resistor"},
        {"Digi1_alias=WIDE1", "Digi1_alias=",
         "Digipeater \u203A Simple aliases \u203A Alias 1 \u203A Alias: "
         "\"WIDE1\" \u2192 \"\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to.toStdString());
        const QString edited = editedDefaults("b.cfg", c.from, c.to);
        const CliRun run = cli({"diff", path("a.bin"), edited});
        EXPECT_EQ(run.status, c.line.isEmpty() ? 0 : 1);
        EXPECT_EQ(QString::fromUtf8(run.out), c.line.isEmpty() ? QString() : c.line + "\n");
    }

    // The tracker's own configuration against the start-up settings.
    const CliRun tracker = cli({"diff", "tracker", path("a.cfg"), "--simulate"});
    EXPECT_EQ(tracker.status, 1);
    EXPECT_TRUE(QString::fromUtf8(tracker.out).startsWith("Radio \u203A Callsign: "))
        << tracker.out.toStdString();
}

// What a file could not give: "check" names it and fails; "diff" marks it even where the default
// equals the other side. Neither writes a control character of a file to the terminal.
TEST_F(CliTest, CheckAndDiffTellWhatAFileCouldNotGive) {
    ASSERT_EQ(cli({"defaults", path("a.cfg")}).status, 0);
    const QString bad = editedDefaults("bad.cfg", "TXdelay=250", "TXdelay=5OO");
    const CliRun check = cli({"check", bad});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(QString::fromUtf8(check.out),
              "Radio \u203A TX delay [ms]: line 10: TXdelay=5OO is not a whole number; the "
              "default 250 is used instead.\n");
    const CliRun diff = cli({"diff", path("a.cfg"), bad});
    EXPECT_EQ(diff.status, 1);
    EXPECT_EQ(QString::fromUtf8(diff.out),
              "Radio \u203A TX delay [ms]: \"250\" \u2192 \"250\" (default: line 10 not read)\n");

    const QString hostile =
        editedDefaults("esc.cfg", "Status=", "Status=\x1B]0;owned\x07\xC2\x85\x7F");
    const CliRun escaped = cli({"diff", path("a.cfg"), hostile});
    EXPECT_EQ(
        QString::fromUtf8(escaped.out),
        "Position reports \u203A Status text: \"\" \u2192 \"\\x1B]0;owned\\x07\\x85\\x7F\"\n");
    // In JSON too, every control character is escaped, DEL and C1 included.
    EXPECT_TRUE(
        cli({"diff", path("a.cfg"), hostile, "--json"}).out.contains("owned\\u0007\\u0085\\u007f"));
}

// "beacons" prints each beacon's packet and its reading, and exits 1 when one has a problem;
// with --gps the GPS samples are the dump's last record.
TEST_F(CliTest, BeaconsShowEachPacketAndItsProblems) {
    const QString start = editedDefaults("start.cfg", "TXdelay=250", "TXdelay=250");
    const CliRun run = cli({"beacons", start});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(QString::fromUtf8(run.out).count("NOCALL>APVQ05,WIDE1-1,WIDE2-1:"), 4);
    const CliRun noZ = cli({"beacons", editedDefaults("noz.cfg", "<gpsdate>z", "<gpsdate>")});
    EXPECT_EQ(noZ.status, 1);
    EXPECT_TRUE(noZ.out.contains("  problem: the position does not parse: the time stamp"));

    QByteArray dump(2 * kGpsBlockSize, '\xFF');
    for (const GpsRecord& r : {GpsRecord{1, 1, 1, 10101, 0, 0, 0},
                               GpsRecord{52135000, -21004500, 123519, 230394, 0, 0, 0}}) {
        const GpsSlot slot = encodeGpsSlot(r);
        dump.replace(r.time == 1 ? 0 : kGpsBlockSize, slot.size(),
                     QByteArray(reinterpret_cast<const char*>(slot.data()), slot.size()));
    }
    write(path("gps.bin"), dump);
    const CliRun gps = cli({"beacons", start, "--gps", path("gps.bin")});
    EXPECT_TRUE(gps.out.contains(":/231235z5213.50N/02100.45W>")) << gps.out.toStdString();
}

TEST_F(CliTest, ConfigurationFileRecognition) {
    // Another version: the box is said and the import goes on.
    const QString older = editedDefaults("older.cfg", "Version=v1.07", "Version=v1.06");
    const CliRun run = cli({"encode", older, path("older.bin")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err.join('\n'),
              "Imported configuration file version is different than your current application "
              "version. \nPlease double-check configuration fields after import. \nSome "
              "configuration fields my change between firmware versions.");
    EXPECT_EQ(read(path("older.bin")).size(), 8192);

    // Not a configuration file at all.
    write(path("notes.cfg"), "[Radio]\r\nCallsign=SP3ABC\r\n");
    const CliRun foreign = cli({"write-config", "--simulate", path("notes.cfg")});
    EXPECT_EQ(foreign.status, 1);
    EXPECT_EQ(foreign.err.join('\n'),
              "Imported configuration file is not a Veltromark configuration file. \nOperation "
              "aborted.");

    // Roles in conflict: the port's message, on lines of their own and nothing besides.
    const QString twoConsoles = editedDefaults("consoles.cfg", "Serial2=4", "Serial2=2");
    const CliRun corrected = cli({"encode", twoConsoles, path("consoles.bin")});
    EXPECT_EQ(corrected.status, 0);
    EXPECT_EQ(corrected.errRaw,
              "RS-232 port 1 changed to None.\nReason:\nSerial console can be selected on one "
              "port only.\n");

    // Far too large: said so, with the size.
    write(path("big.cfg"), QByteArray(16 * 1024 * 1024 + 1, ' '));
    const CliRun big = cli({"encode", path("big.cfg"), path("big.bin")});
    EXPECT_EQ(big.status, 1);
    EXPECT_EQ(big.err.join('\n'),
              "Imported configuration file is too large: 16777217 bytes, more than the 16 MiB a "
              "configuration file may have. \nOperation aborted.");
    EXPECT_FALSE(QFile::exists(path("big.bin")));

    const CliRun missing = cli({"encode", path("none.cfg"), path("none.bin")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              QStringList{"veltromark-cli: cannot read " + path("none.cfg") + ": no such file"});
    EXPECT_FALSE(QFile::exists(path("none.bin")));
}

TEST_F(CliTest, DecodeRefusesWhatReadConfigRefuses) {
    ASSERT_EQ(cli({"read-config", "--simulate", path("t.cfg"), "--image", path("t.bin")}).status,
              0);
    const QByteArray good = read(path("t.bin"));
    // Another version with its checksum right, so that only the version is wrong.
    ConfigImage image{};
    std::copy(good.begin(), good.end(), image.begin());
    image[10] = '6';  // "v1.07" at offset 6
    writeU32(image, 0, imageChecksum(image));
    const QByteArray otherVersion(reinterpret_cast<const char*>(image.data()), image.size());
    QByteArray noEnd = good;
    noEnd[1259] = 'X';

    const struct {
        const char* name;
        QByteArray bytes;
        QString says;
    } cases[] = {
        {"short.bin", good.left(8191),
         "veltromark-cli: " + path("short.bin") +
             " is 8191 bytes; a configuration image is 8192 bytes."},
        {"long.bin", good + '\0',
         "veltromark-cli: " + path("long.bin") +
             " is 8193 bytes; a configuration image is 8192 bytes."},
        {"noend.bin", noEnd,
         "veltromark-cli: " + path("noend.bin") +
             ": image checksum or end marker wrong; not a configuration image."},
        {"version.bin", otherVersion, ""},  // the decoder's own box
    };
    write(path("out.cfg"), "[Mine]\r\nkept=1\r\n");
    for (const auto& c : cases) {
        write(path(c.name), c.bytes);
        const CliRun run = cli({"decode", path(c.name), path("out.cfg")});
        EXPECT_EQ(run.status, 1) << c.name;
        ASSERT_EQ(run.err.size() >= 1, true) << c.name;
        if (!c.says.isEmpty()) {
            EXPECT_EQ(run.err, QStringList{c.says}) << c.name;
        } else {
            EXPECT_EQ(run.err.mid(0, 3), (QStringList{"Uncompatible configuration version:",
                                                      "Device: v1.06", "Configurator: v1.07"}));
        }
    }
    EXPECT_EQ(read(path("out.cfg")), "[Mine]\r\nkept=1\r\n");

    // "Save to file" updates a file in place: entries of its own stay.
    ASSERT_EQ(cli({"decode", path("t.bin"), path("out.cfg")}).status, 0);
    EXPECT_TRUE(read(path("out.cfg")).startsWith("[Mine]\r\nkept=1\r\n[!WARNING]\r\n"));
}

TEST_F(CliTest, NmeaFromADumpWithTheWorkedExamples) {
    QByteArray dump(2 * 256, '\xFF');
    const GpsSlot first = encodeGpsSlot({52135000, 21004500, 123519, 230394, 1234, 8450, 1105});
    const GpsSlot second = encodeGpsSlot({-3351234, -7012345, 5, 10120, 0, 0, 0});
    std::copy(first.begin(), first.end(), dump.begin());
    std::copy(second.begin(), second.end(), dump.begin() + 256 + 9 * 24);
    write(path("dump.bin"), dump);

    const CliRun run = cli({"nmea", path("dump.bin"), path("out.log"), "--gpx", path("out.gpx")});
    EXPECT_EQ(run.status, 0) << run.errRaw.toStdString();
    EXPECT_EQ(read(path("out.log")),
              "$GPRMC,123519.000,A,5213.5000,N,02100.4500,E,12.34,84.50,230394,,,A*63\r\n"
              "$GPGGA,123519.000,5213.5000,N,02100.4500,E,1,0,0,110.5,M,0.0,M,,*48\r\n"
              "$GPRMC,000005.000,A,0335.1234,S,00701.2345,W,0.00,0.00,010120,,,A*61\r\n"
              "$GPGGA,000005.000,0335.1234,S,00701.2345,W,1,0,0,0.0,M,0.0,M,,*4F\r\n");
    EXPECT_EQ(gpxPoints(read(path("out.gpx"))),
              (QStringList{"52.2250000 21.0075000 110.5 1994-03-23T12:35:19Z",
                           "-3.5853900 -7.0205750 0.0 2020-01-01T00:00:05Z"}));
}

TEST_F(CliTest, NmeaRefusesWhatIsNotADump) {
    const struct {
        const char* name;
        int size;  // -1: no file
        const char* says;
    } cases[] = {
        {"odd.bin", 300, " is 300 bytes; a GPS memory dump is a whole number of 256-byte blocks."},
        {"empty.bin", 0, " is 0 bytes; a GPS memory dump is a whole number of 256-byte blocks."},
        {"none.bin", -1, ": no such file"},
    };
    for (const auto& c : cases) {
        if (c.size >= 0) {
            write(path(c.name), QByteArray(c.size, '\xFF'));
        }
        write(path("out.log"), "kept");
        const CliRun run = cli({"nmea", path(c.name), path("out.log"), "--gpx", path("out.gpx")});
        EXPECT_EQ(run.status, 1) << c.name;
        const QString prefix = c.size >= 0 ? "veltromark-cli: " : "veltromark-cli: cannot read ";
        EXPECT_EQ(run.err, QStringList{prefix + path(c.name) + c.says});
        EXPECT_EQ(read(path("out.log")), "kept");
        EXPECT_FALSE(QFile::exists(path("out.gpx")));
    }
}

TEST_F(CliTest, ReadGpsDownloadsLogDumpAndTrack) {
    const CliRun run = cli(
        {"read-gps", "--simulate", path("t.log"), "--dump", path("t.bin"), "--gpx", path("t.gpx")});
    EXPECT_EQ(run.status, 0);
    // Not a terminal: the activity log as the window shows it, line by line.
    QStringList want;
    want << kFound << pageLines("Page read", 16384) << "Tracker GPS memory read success.";
    EXPECT_EQ(run.err, want);

    const std::vector<std::uint8_t> memory = sampleGpsMemory();
    EXPECT_EQ(read(path("t.log")), nmeaLog(memory.data(), memory.size()));
    EXPECT_EQ(read(path("t.bin")),
              QByteArray(reinterpret_cast<const char*>(memory.data()), memory.size()));
    const QStringList points = gpxPoints(read(path("t.gpx")));
    EXPECT_EQ(points.size(), static_cast<qsizetype>(sampleTrack().size()));
    EXPECT_FALSE(points.first().startsWith("error")) << points.first().toStdString();

    // The dump gives the same log and track offline.
    ASSERT_EQ(cli({"nmea", path("t.bin"), path("u.log"), "--gpx", path("t2.gpx")}).status, 0);
    EXPECT_EQ(read(path("u.log")), read(path("t.log")));
    EXPECT_EQ(gpxPoints(read(path("t2.gpx"))), points);
}

// --quiet leaves the results, the boxes and errors; a failing command adds its log, but for
// the pages that went through.
TEST_F(CliTest, QuietLeavesOnlyErrorsAndResults) {
    const QString bad = editedDefaults("bad.cfg", "TXdelay=250", "TXdelay=199");
    const struct {
        QStringList arguments;
        int status;
        QStringList err;
    } cases[] = {
        {{"--quiet", "read-gps", "--simulate", path("t.log")}, 0, {}},
        {{"read-gps", "-q", "--simulate-fault=badsum@100", path("u.log")},
         1,
         {kFound, "Page read error: 100/16384", "Tracker GPS memory read incomplete."}},
        {{"-q", "write-config", "--simulate", bad},
         1,
         {"Preamble len - range error (200 - 1000)."}},
    };
    for (const auto& c : cases) {
        const CliRun run = cli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.err, c.err) << c.arguments.join(' ').toStdString();
    }
    const std::vector<std::uint8_t> memory = sampleGpsMemory();
    EXPECT_EQ(read(path("t.log")), nmeaLog(memory.data(), memory.size()));
}

// --json prints one document that parses, holding what the lines would say.
TEST_F(CliTest, JsonResultsParse) {
    ASSERT_EQ(cli({"defaults", path("a.cfg")}).status, 0);
    const QString bad = editedDefaults("bad.cfg", "TXdelay=250", "TXdelay=199");

    const QString place = "Radio \u203A TX delay [ms]";
    const struct {
        QStringList arguments;
        int status;
        const char* list;
        QJsonObject first;
    } cases[] = {
        {{"check", "--json", bad},
         1,
         "problems",
         {{"setting", "Txdelay"},
          {"place", place},
          {"message", "Preamble len - range error (200 - 1000)."}}},
        {{"diff", path("a.cfg"), bad, "--json"},
         1,
         "differences",
         {{"setting", "Txdelay"}, {"place", place}, {"a", "250"}, {"b", "199"}}},
        {{"list", "--json", "--simulate-fault=noopen"},
         0,
         "trackers",
         {{"path", "sim:veltromark-1"},
          {"serialNumber", ""},
          {"product", ""},
          {"canOpen", false},
          {"reason", "permission denied"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliRun run = cli(c.arguments);
        EXPECT_EQ(run.status, c.status);
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(run.out, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
        const QJsonArray list = document.object().value(c.list).toArray();
        ASSERT_EQ(list.size(), 1);
        EXPECT_EQ(list.first().toObject(), c.first);
    }
}

// An output that cannot be written stops the command before the tracker is looked for.
TEST_F(CliTest, OutputsAreCheckedBeforeTheTracker) {
    const struct {
        QStringList arguments;
        QString output;
        const char* reason;
    } cases[] = {
        {{"read-config", "--simulate", dir.path()}, dir.path(), "a folder has that name"},
        {{"read-gps", "--simulate", path("t.log"), "--dump", path("no/t.bin")},
         path("no/t.bin"),
         "the folder does not exist"},
    };
    for (const auto& c : cases) {
        const CliRun run = cli(c.arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, QStringList{"veltromark-cli: cannot write " +
                                       QDir::toNativeSeparators(c.output) + ": " + c.reason});
    }
    EXPECT_FALSE(QFile::exists(path("t.log")));
}

TEST_F(CliTest, EraseGps) {
    const CliRun run = cli({"erase-gps", "--simulate", "--yes"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              (QStringList{kFound, "Erasing tracker GPS memory. Please wait a few seconds.",
                           "waiting for chip erase...", "Erase complete."}));

    const CliRun unasked = cli({"erase-gps", "--simulate"});  // no terminal, no --yes
    EXPECT_EQ(unasked.status, 1);
    EXPECT_EQ(unasked.err.last(), "Erase cancelled.");
}

TEST_F(CliTest, WriteConfigBacksUpAndRestoreWritesTheBackupBack) {
    ASSERT_EQ(cli({"defaults", path("d.cfg")}).status, 0);
    const CliRun run = cli({"write-config", path("d.cfg"), "--simulate"});
    EXPECT_EQ(run.status, 0);
    const CliRun listed = cli({"backups"});
    const QStringList fields = QString::fromUtf8(listed.out).trimmed().split('\t');
    ASSERT_EQ(fields.size(), 6) << listed.out.toStdString();
    EXPECT_EQ(fields.mid(1, 4), (QStringList{"SQ3VTM-9", "1.07", "-", "good"}));
    const QString backup = fields[5];
    EXPECT_TRUE(backup.startsWith(path("data/veltromark/backups/")));
    QStringList want;
    want << kFound << "Backup: reading the tracker's configuration." << pageLines("Page read", 256)
         << "Backup saved: " + backup << pageLines("Page written", 256)
         << "Verify: reading the configuration back." << pageLines("Page read", 256)
         << "Eeprom write success";
    EXPECT_EQ(run.err, want);

    // Without a terminal to ask on, only --yes writes; a file name from the list will do.
    const QString name = QFileInfo(backup).fileName();
    const CliRun refused = cli({"restore", name, "--simulate"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err.mid(refused.err.size() - 2),
              (QStringList{"veltromark-cli: no terminal to ask whether to restore " + name +
                               ": give --yes to go ahead",
                           "Restore cancelled."}));
    // Nothing is asked before the tracker is found.
    const CliRun absent = cli({"restore", name, "--simulate-fault", "absent"});
    EXPECT_EQ(absent.err.mid(1, 1), QStringList{"Veltromark not found."});
    EXPECT_EQ(absent.err.size(), 3);
    const CliRun restored = cli({"restore", name, "--simulate", "--yes"});
    EXPECT_EQ(restored.status, 0);
    EXPECT_EQ(restored.err.first(), "Restoring the backup " + backup + ".");
    EXPECT_EQ(restored.err.last(), "Eeprom write success");

    // Cut at page 20: the way back is named.
    const CliRun cut = cli({"write-config", path("d.cfg"), "--simulate-fault", "unplug@276"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(cut.err.last().startsWith("The tracker now holds a partly written configuration."));
    EXPECT_TRUE(cut.err.last().contains("\"veltromark-cli restore 000003-20"))
        << cut.err.last().toStdString();
}

// Programs writing at the same time into one backups folder each keep their own backup.
TEST_F(CliTest, ConcurrentWritersEachKeepABackup) {
    ASSERT_EQ(cli({"defaults", path("d.cfg")}).status, 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", path("data"));
    std::vector<std::unique_ptr<QProcess>> writers(8);
    for (auto& writer : writers) {
        writer = std::make_unique<QProcess>();
        writer->setProcessEnvironment(env);
        writer->start(VELTROMARK_CLI, {"write-config", path("d.cfg"), "--simulate"});
    }
    for (auto& writer : writers) {
        EXPECT_TRUE(writer->waitForFinished(120'000) && writer->exitCode() == 0);
    }
    const QDir backups(path("data/veltromark/backups"));
    const QStringList files =
        backups.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    ASSERT_EQ(files.size(), 8) << files.join(' ').toStdString();
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(files[i].startsWith(QString("00000%1-").arg(i + 1)));
        EXPECT_EQ(read(backups.filePath(files[i])).size(), 8192);
    }
}

TEST_F(CliTest, UploadFirmware) {
    // The simulated run's own test image.
    const CliRun builtIn = cli({"upload-firmware", "--simulate", "--yes"});
    EXPECT_EQ(builtIn.status, 0);
    QStringList want;
    want << kFound << pageLines("Page written", 1408) << "Firmware upgrade success";
    EXPECT_EQ(builtIn.err, want);

    const struct {
        const char* name;
        int size;
        int status;
        QStringList after;  // what follows the size line
    } cases[] = {
        {"small.bin",
         33,
         0,
         {kFound, "Page written: 1/2", "Page written: 2/2", "Firmware upgrade success"}},
        {"huge.bin", 112641, 1, {kFound, "Firmware file too long."}},
    };
    for (const auto& c : cases) {
        write(path(c.name), QByteArray(c.size, 'f'));
        const CliRun run = cli({"upload-firmware", "--simulate", path(c.name), "--yes"});
        EXPECT_EQ(run.status, c.status) << c.name;
        const QString sizeLine = QString("%1: %2 bytes, %3 pages.")
                                     .arg(path(c.name))
                                     .arg(c.size)
                                     .arg((c.size + 31) / 32);
        EXPECT_EQ(run.err, QStringList{sizeLine} + c.after) << c.name;
    }

    write(path("empty.bin"), "");
    const CliRun empty = cli({"upload-firmware", "--simulate", path("empty.bin")});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err, QStringList{"veltromark-cli: " + path("empty.bin") +
                                     " is empty; there is nothing to upload."});
}

TEST_F(CliTest, WithoutTheSimulatorTheFirstRealTrackerIsUsed) {
    const CliRun run = cli({"read-config", path("real.cfg")});
    if (!run.err.isEmpty() && run.err[0] == kFound) {
        GTEST_SKIP() << "a tracker is attached to this machine";
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.value(0), "Veltromark not found.");
    EXPECT_FALSE(QFile::exists(path("real.cfg")));
}

}  // namespace

// A stop signal at an exact exchange (the simulated tracker raises it): a read, a download or
// the erase wait stops there and writes no file; a write, a restore or an upload is finished,
// and one not yet begun never begins; each ends with 130, and no temporary file is left.
TEST_F(CliTest, StopSignalsStopReadsFinishWritesAndLeaveNoTemporaryFile) {
    ASSERT_EQ(cli({"defaults", path("in.cfg")}).status, 0);
    ASSERT_EQ(cli({"write-config", path("in.cfg"), "--simulate"}).status, 0);  // a backup
    const QString backups = path("data/veltromark/backups");
    const QString backup = QDir(backups).entryList(QDir::Files).value(0);
    const struct {
        QString command;
        const char* fault;
        QString last;  // what the last line said holds
    } cases[] = {
        {"read-config out.cfg", "sigterm@100", "Configuration read stopped before page 101/256."},
        {"read-gps out.log", "sigterm@100", "GPS memory download stopped before page 101/16384."},
        {"erase-gps --yes", "sigterm@2", "Erase wait stopped after poll 1/20."},
        {"erase-gps --yes", "sigterm@0", "Erase cancelled."},
        {"write-config in.cfg", "sigterm@300", "interrupted; write-config was completed first."},
        {"write-config in.cfg", "sigterm@100", "Configuration write stopped before page 1/256;"},
        {"upload-firmware --yes", "sigterm@5", "interrupted; upload-firmware was completed first."},
        {"restore --yes " + backup, "sigterm@300", "interrupted; restore was completed first."},
#ifndef Q_OS_WIN
        {"write-config in.cfg", "sighup@300", "interrupted; write-config was completed first."},
        {"upload-firmware --yes", "sigquit@3", "interrupted; upload-firmware was completed first."},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.command + " " + c.fault).toStdString());
        const CliRun run =
            cli(c.command.split(' ') + QStringList{"--simulate", "--simulate-fault", c.fault});
        EXPECT_EQ(run.status, 130);
        EXPECT_TRUE(run.err.last().contains(c.last)) << run.err.last().toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"in.cfg"});
        EXPECT_EQ(QDir(backups).entryList(QDir::Files), QDir(backups).entryList({"*.bin"}));
    }
#ifndef Q_OS_WIN
    // A closed standard error stops the printing, not the write (SIGPIPE would end the tool).
    QProcess pipe;
    pipe.setWorkingDirectory(dir.path());
    pipe.start("bash", {"-c",
                        "set -o pipefail; XDG_DATA_HOME=\"$PWD/data\" \"$0\" write-config in.cfg "
                        "--simulate 2>&1 | head -1",
                        VELTROMARK_CLI});
    ASSERT_TRUE(pipe.waitForFinished(120'000));
    EXPECT_EQ(pipe.exitCode(), 0);
#endif
}

// A file that lacks keys or holds a value that cannot be read: check names each and exits 1,
// write-config refuses it (saying so also with --quiet) and --accept-defaults writes it. A
// file of another version may lack keys: they are named, and it is written. Characters and
// calls "Write config" refuses are refused all the same.
TEST_F(CliTest, FilesThatLackValuesAreRefusedUnlessDefaultsAreAccepted) {
    ASSERT_EQ(cli({"defaults", path("full.cfg")}).status, 0);
    const QByteArray full = read(path("full.cfg"));
    const struct {
        QByteArray text;
        QString named;  // in the first line of check
        bool refused;
    } cases[] = {
        {full.left(2500), "[Telemetry] Teledata_path1_string is not in the file;", true},
        {full.left(full.indexOf("[Radio]")), "[Radio] Callsign is not in the file;", true},
        {full.left(2500).replace("Version=v1.07", "Version=v1.06"), "Teledata_path1_string", false},
        {QByteArray(full).replace("TXdelay=250", "TXdelay=5OO"), "TXdelay=5OO is not a", true},
        {QByteArray(full).replace("Status=", "Status=Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"),
         "Status text - characters the tracker cannot store: \u017C \u0142 \u0107", true},
        {QByteArray(full).replace("Callsign=NOCALL", "Callsign=A>B:C"),
         "Callsign - not a call (A-Z, 0-9, up to 6).", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named.toStdString());
        write(path("f.cfg"), c.text);
        const CliRun check = cli({"check", path("f.cfg")});
        EXPECT_EQ(check.status, c.refused ? 1 : 0);
        EXPECT_TRUE(QString::fromUtf8(check.out).section('\n', 0, 0).contains(c.named));
        const CliRun quiet = cli({"write-config", "--quiet", path("f.cfg"), "--simulate"});
        EXPECT_EQ(quiet.status, c.refused ? 1 : 0);
        EXPECT_TRUE(quiet.errRaw.contains(c.named.toUtf8()));
        // Defaults taken for what the file lacks; what "Write config" refuses stays refused.
        const CliRun accepted =
            cli({"write-config", path("f.cfg"), "--simulate", "--accept-defaults"});
        EXPECT_EQ(accepted.status, c.named.contains(" - ") ? 1 : 0);
    }
}
