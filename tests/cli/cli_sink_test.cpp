#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <csignal>

#include "cli/cli_sink.h"
#include "cli/command_line.h"
#include "cli/stop_signal.h"
#include "recording_sink.h"

namespace {

// What a terminal shows after the bytes the host wrote: "\r\033[K" clears the line being
// written, "\n" ends it.
QStringList screen(const QByteArray& bytes) {
    QStringList lines{QString()};
    const QByteArray clear = "\r\033[K";
    for (qsizetype i = 0; i < bytes.size();) {
        if (bytes.mid(i, clear.size()) == clear) {
            lines.last().clear();
            i += clear.size();
        } else if (bytes[i] == '\n') {
            lines << QString();
            ++i;
        } else {
            lines.last() += QLatin1Char(bytes[i]);
            ++i;
        }
    }
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

struct Terminal {
    explicit Terminal(bool isTerminal, int width = 80)
        : host([this](const QByteArray& b) { bytes += b; }, isTerminal, width) {
        host.setClock([this] { return now; });
    }
    // One page loop as the operations run it: a line, then a step, per page; the page with
    // number `failAt` fails (0: none).
    void loop(const char* what, int pages, int failAt = 0, int msPerPage = 10) {
        host.progressStart(pages);
        for (int p = 1; p <= pages; ++p) {
            now += msPerPage;
            if (p == failAt) {
                host.log(QStringLiteral("%1 error: %2/%3").arg(what).arg(p).arg(pages));
                return;
            }
            host.log(QStringLiteral("%1: %2/%3").arg(what).arg(p).arg(pages));
            host.progressStep();
        }
        host.progressReset();
    }

    QByteArray bytes;
    std::int64_t now = 5000;
    CliSink host;
};

TEST(CliSink, PlainOutputIsTheLogLineByLine) {
    Terminal t(false);
    t.host.log("Veltromark found, vid: Vid_0483, pid: A04D");
    t.loop("Page read", 3, 3);
    t.host.show({informationBox("Uncompatible firmware version:\nDevice: 1.06")});
    t.host.show({informationBox("RS-232 port 2 changed to None.\rReason:\r\nGPS only once.\r")});
    t.host.show({{"Blad otwarcia pliku", "Nie mozna otworzyc pliku docelowego."}});
    t.host.show({errorBox("'x' is not a valid integer value.")});
    t.host.log("Status: \x1B]0;x\x07 \x7F \u009B");  // from a file: no control reaches the terminal
    EXPECT_EQ(t.bytes,
              "Veltromark found, vid: Vid_0483, pid: A04D\n"
              "Page read: 1/3\nPage read: 2/3\nPage read error: 3/3\n"
              "Uncompatible firmware version:\nDevice: 1.06\n"
              "RS-232 port 2 changed to None.\nReason:\nGPS only once.\n\n"
              "Blad otwarcia pliku: Nie mozna otworzyc pliku docelowego.\n"
              "'x' is not a valid integer value.\n"
              "Status: \\x1B]0;x\\x07 \\x7F \\x9B\n");
}

TEST(CliSink, TerminalShowsOneUpdatingLinePerLoop) {
    Terminal t(true);
    t.host.log("Veltromark found, vid: Vid_0483, pid: A04D");
    t.loop("Page read", 256);
    t.host.log("Eeprom read success.");
    t.host.finish();
    EXPECT_EQ(screen(t.bytes),
              (QStringList{"Veltromark found, vid: Vid_0483, pid: A04D",
                           "Page read: 256/256  [####################] 100%  100 pages/s",
                           "Eeprom read success."}));
    // Redrawn now and then, not once per page.
    EXPECT_LT(t.bytes.count("\r\033[K"), 60);
}

TEST(CliSink, TerminalKeepsWhereALoopStoppedAndWhy) {
    Terminal t(true);
    t.loop("Page read", 256, 17, 20);
    t.host.log("Eeprom checksum error. Please reload configuration.");
    t.host.finish();
    EXPECT_EQ(screen(t.bytes),
              (QStringList{"Page read: 16/256  [#...................]   6%  47 pages/s",
                           "Page read error: 17/256",
                           "Eeprom checksum error. Please reload configuration."}));
}

TEST(CliSink, TerminalLineAfterTheLastStepStaysBelowTheLoop) {
    // The write loops log their closing line before the bar is reset.
    Terminal t(true);
    t.host.progressStart(2);
    for (int p = 1; p <= 2; ++p) {
        t.now += 500;
        t.host.log(QStringLiteral("Page written: %1/2").arg(p));
        t.host.progressStep();
    }
    t.host.log("Eeprom write success");
    t.host.progressReset();
    t.host.show({informationBox("Firmware version: 1.07")});
    EXPECT_EQ(screen(t.bytes), (QStringList{"Page written: 2/2  [####################] 100%  2 "
                                            "pages/s",
                                            "Eeprom write success", "Firmware version: 1.07"}));
}

TEST(CliSink, TerminalLoopWithoutLinesDrawsNothing) {
    // The GPS record pass steps the bar without logging; its closing line comes after.
    Terminal t(true);
    t.host.progressStart(2048);
    for (int b = 0; b < 2048; ++b) {
        t.host.progressStep();
    }
    t.host.log("Tracker GPS memory read success.");
    t.host.finish();
    EXPECT_EQ(screen(t.bytes), QStringList{"Tracker GPS memory read success."});
}

TEST(CliSink, TerminalLineNeverWraps) {
    Terminal t(true, 30);
    t.loop("Page read", 4);
    const QStringList shown = screen(t.bytes);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], QString("Page read: 4/4  [############"));
    EXPECT_EQ(shown[0].size(), 29);
}

}  // namespace

// Ctrl+C (here raised when the tool logs a given line) while the tracker is busy: a read or
// the erase wait stops before its next step and leaves no file behind, a write is finished
// first; each exits with 130.
TEST(CliStopSignal, StopsReadsAndWaitsAndFinishesWrites) {
    QTemporaryDir dir;
    const QString log = dir.filePath("track.log");
    const QString cfg = dir.filePath("mine.cfg");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));  // the write's backup goes there
    QFile old(log);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("yesterday\r\n") == 11);
    old.close();
    QByteArray err;
    QByteArray signalAt;
    CliSink sink(
        [&](const QByteArray& b) {
            err += b;
            if (b == signalAt) {
                std::raise(SIGINT);
            }
        },
        false);
    ASSERT_EQ(runCli({"veltromark-cli", "defaults", cfg}, sink, {}), 0);
    const struct {
        QStringList arguments;
        const char* signalAt;
        QString tail;
    } cases[] = {
        {{"veltromark-cli", "read-gps", "--simulate", log},
         "Page read: 100/16384",
         "Page read: 100/16384\nGPS memory download stopped before page 101/16384.\n"
         "Existing log left as it was: " +
             QDir::toNativeSeparators(log) + ".\n"},
        {{"veltromark-cli", "erase-gps", "--simulate", "--yes"},
         "waiting for chip erase...",
         "waiting for chip erase...\nErase wait stopped after poll 1/20. The tracker may still "
         "be erasing; its GPS memory is not usable until it has finished.\n"},
        {{"veltromark-cli", "write-config", "--simulate", cfg},
         "Page written: 10/256",
         "Eeprom write success\n"
         "veltromark-cli: interrupted; write-config was completed first.\n"},
    };
    for (const auto& c : cases) {
        err.clear();
        clearStopSignal();  // a noted signal stays noted: the tool runs once in its process
        signalAt = QByteArray(c.signalAt) + '\n';
        EXPECT_EQ(runCli(c.arguments, sink, {}), 130) << c.signalAt;
        EXPECT_TRUE(err.endsWith(c.tail.toLocal8Bit())) << err.right(300).toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"mine.cfg", "track.log"}));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "yesterday\r\n");
    qputenv("XDG_DATA_HOME", dataHome);
    clearStopSignal();
}
