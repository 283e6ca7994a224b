#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "gps/nmea_log.h"
#include "operation_fixture.h"
#include "operations/gps_memory.h"
#include "window_wording.h"

namespace {

using Fault = SimulatedTracker::Fault;

class GpsDownload : public OperationTest {
  protected:
    bool run() {
        return host
            .run([&] { return downloadGpsMemory(link, host, windowWords(), target, buffer); })
            .ok;
    }

    QByteArray written() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    void put(int block, int slot, const GpsRecord& r) {
        const GpsSlot bytes = encodeGpsSlot(r);
        std::copy(bytes.begin(), bytes.end(), sim.gpsMemory().begin() + block * 256 + slot * 24);
    }

    QTemporaryDir dir;
    QString path = dir.filePath("track.log");
    QString target = path;
    GpsBuffer buffer;
};

TEST_F(GpsDownload, WritesTheWorkedExamplesByteForByte) {
    std::fill(sim.gpsMemory().begin(), sim.gpsMemory().end(), 0xFF);
    put(0, 0, {52135000, 21004500, 123519, 230394, 1234, 8450, 1105});
    put(2047, 9, {-3351234, -7012345, 5, 10120, 0, 0, 0});
    EXPECT_TRUE(run());
    EXPECT_EQ(written(),
              "$GPRMC,123519.000,A,5213.5000,N,02100.4500,E,12.34,84.50,230394,,,A*63\r\n"
              "$GPGGA,123519.000,5213.5000,N,02100.4500,E,1,0,0,110.5,M,0.0,M,,*48\r\n"
              "$GPRMC,000005.000,A,0335.1234,S,00701.2345,W,0.00,0.00,010120,,,A*61\r\n"
              "$GPGGA,000005.000,0335.1234,S,00701.2345,W,1,0,0,0.0,M,0.0,M,,*4F\r\n");
    QStringList want;
    want << kFound << pageLines("Page read", 1, 16384, 16384) << "Tracker GPS memory read success.";
    EXPECT_EQ(host.logLines, want);
    // The bar ends full on the block pass.
    EXPECT_EQ(host.progressMaximum, 2048);
    EXPECT_EQ(host.progressPosition, 2048);
    EXPECT_EQ(host.processEventsCalls, 16384);
    expectClosed();
}

TEST_F(GpsDownload, ErasedMemoryGivesAnEmptyLog) {
    std::fill(sim.gpsMemory().begin(), sim.gpsMemory().end(), 0xFF);
    run();
    EXPECT_EQ(written(), "");
    EXPECT_EQ(host.logLines.size(), 1 + 16384 + 1);
    EXPECT_EQ(host.logLines.last(), "Tracker GPS memory read success.");
}

TEST_F(GpsDownload, SampleTrackComesOutInMemoryOrder) {
    run();
    QByteArray want;
    for (const GpsRecord& r : sampleTrack()) {
        want += nmeaSentences(r);
    }
    EXPECT_EQ(written(), want);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), sim.gpsMemory().begin()));
}

TEST_F(GpsDownload, FailureMidwayKeepsWhatWasReadAndSaysSo) {
    sim.injectFault(fault(Fault::NoReply, Command::GpsPageRead, 100));
    EXPECT_FALSE(run());  // the log holds what was read, but not the whole memory
    QStringList want;
    want << kFound << pageLines("Page read", 1, 100, 16384) << "Page read error: 101/16384"
         << "Tracker GPS memory read incomplete.";
    EXPECT_EQ(host.logLines, want);
    std::vector<std::uint8_t> readPart = sim.gpsMemory();
    std::fill(readPart.begin() + 100 * 32, readPart.end(), 0);
    const QByteArray expected = nmeaLog(readPart.data(), readPart.size());
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(written(), expected);
    EXPECT_EQ(sim.requests().size(), 101u);
    expectClosed();
}

TEST_F(GpsDownload, ExistingFileSurvivesAMissingDevice) {
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("yesterday's drive\r\n");
    }
    sim.setPresent(false);
    EXPECT_FALSE(run());
    EXPECT_EQ(host.logLines, (QStringList{kNotFound, kNotFoundHint}));
    EXPECT_EQ(written(), "yesterday's drive\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"track.log"});
}

TEST_F(GpsDownload, UnwritableTargetStopsBeforeTheDevice) {
    target = dir.filePath("no-such-folder/track.log");
    run();
    EXPECT_EQ(host.messageBoxes,
              QStringList{"Blad otwarcia pliku: Nie mozna otworzyc pliku docelowego.\n" +
                          QDir::toNativeSeparators(target) + ": the folder does not exist"});
    EXPECT_TRUE(host.logLines.isEmpty());
    EXPECT_TRUE(sim.openedPaths().empty());
#ifdef Q_OS_LINUX
    target = "/proc/veltro.log";  // a folder that exists and takes no file, even from root
    run();
    EXPECT_EQ(host.messageBoxes.value(1).section('\n', 1),
              "/proc/veltro.log: files cannot be created in /proc");
#endif
}

class GpsErase : public OperationTest {
  protected:
    bool run() {
        return host.run([&] { return eraseGpsMemory(link, host, windowWords(), yes); }).ok;
    }
    static constexpr const char* kErasing =
        "Erasing tracker GPS memory. Please wait a few seconds.";
};

TEST_F(GpsErase, DoneAtPollN) {
    const struct {
        int doneAt;  // 0: never
        int waitingLines;
        const char* outcome;
    } cases[] = {{1, 0, "Erase complete."},
                 {3, 2, "Erase complete."},
                 {20, 19, "Erase complete."},
                 {0, 20, "Erase error."},
                 {21, 20, "Erase error."}};
    for (const auto& c : cases) {
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        sim.setErasePollsUntilDone(c.doneAt);
        EXPECT_EQ(host.run([&] { return eraseGpsMemory(link, host, windowWords(), yes); }).ok,
                  c.outcome == std::string("Erase complete."))
            << c.doneAt;
        QStringList want{kFound, kErasing};
        for (int i = 0; i < c.waitingLines; ++i) {
            want << "waiting for chip erase...";
        }
        want << c.outcome;
        EXPECT_EQ(host.logLines, want) << c.doneAt;
        EXPECT_EQ(host.sleptMilliseconds, 1000 * c.waitingLines) << c.doneAt;
        EXPECT_EQ(host.sleepCalls, c.waitingLines);
        EXPECT_EQ(sim.erasePolls(), std::min(c.doneAt > 0 ? c.doneAt : 20, 20));
        EXPECT_FALSE(link.isOpen());
    }
}

TEST_F(GpsErase, RefusedOrFailingExchanges) {
    const struct {
        SimulatedTracker::FaultRule rule;
        int polls;
    } cases[] = {
        {fault(Fault::WrongCode, Command::GpsMemoryErase), 0},
        {fault(Fault::NoReply, Command::GpsMemoryErase), 0},
        {fault(Fault::ShortRead, Command::GpsEraseStatus), 1},
    };
    for (const auto& c : cases) {
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        sim.setErasePollsUntilDone(3);
        sim.injectFault(c.rule);
        EXPECT_FALSE(host.run([&] { return eraseGpsMemory(link, host, windowWords(), yes); }).ok);
        EXPECT_EQ(host.logLines, (QStringList{kFound, kErasing, "Erase error."}));
        EXPECT_EQ(static_cast<int>(sim.requests().size()), 1 + c.polls);
        EXPECT_EQ(host.sleptMilliseconds, 0);
        EXPECT_FALSE(link.isOpen());
    }
}

TEST_F(GpsErase, NoDevice) {
    sim.setPresent(false);
    run();
    EXPECT_EQ(host.events,
              (QStringList{"log: " + QString(kNotFound), "log: " + QString(kNotFoundHint)}));
}

}  // namespace
