#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <map>

#include "image/encoder.h"
#include "operation_fixture.h"
#include "operations/config_backup.h"
#include "operations/config_transfer.h"
#include "settings/number.h"
#include "window_wording.h"

namespace {

using Fault = SimulatedTracker::Fault;

class ReadConfig : public OperationTest {
  protected:
    bool run() {
        return host
            .run([&] { return readConfiguration(link, host, windowWords(), form, readImage); })
            .ok;
    }
    ConfigImage readImage{};
};

TEST_F(ReadConfig, FullReadDecodesAndShowsTheVersion) {
    readImage.fill(0xAA);
    EXPECT_TRUE(run());
    QStringList want;
    want << kFound << pageLines("Page read", 1, 256, 256) << "Eeprom read success." << kFound;
    EXPECT_EQ(host.logLines, want);
    EXPECT_EQ(host.informations, QStringList{"Firmware version: 1.07"});
    EXPECT_EQ(host.events.last(), "information: Firmware version: 1.07");
    EXPECT_TRUE(std::equal(readImage.begin(), readImage.end(), sim.eeprom().begin()));
    EXPECT_EQ(form.text("Callsign"), "SQ3VTM");  // the simulated tracker's own settings
    EXPECT_EQ(host.progressPosition, 0);
    EXPECT_EQ(host.progressMaximum, 256);
    expectClosed();
}

TEST_F(ReadConfig, PageFailures) {
    const struct {
        int page;  // 1-based page that fails
    } cases[] = {{1}, {17}, {40}, {41}, {256}};
    for (const auto& c : cases) {
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        MemoryForm form;
        applyStartupDefaults(form);
        ConfigImage image{};
        sim.injectFault(fault(Fault::BadPageSum, Command::EepromPageRead, c.page - 1));
        EXPECT_FALSE(
            host.run([&] { return readConfiguration(link, host, windowWords(), form, image); }).ok)
            << "page " << c.page;

        QStringList want;
        want << kFound << pageLines("Page read", 1, c.page - 1, 256)
             << QString("Page read error: %1/256").arg(c.page)
             << "Eeprom read error. Please reload configuration.";
        EXPECT_EQ(host.logLines, want) << "page " << c.page;
        EXPECT_EQ(form.text("Callsign"), "NOCALL") << "page " << c.page;
        EXPECT_EQ(host.progressPosition, c.page - 1);
        // The pages after the failing one were never asked for and stay zero.
        EXPECT_EQ(sim.requests().size(), static_cast<size_t>(c.page));
        EXPECT_TRUE(std::all_of(image.begin() + (c.page - 1) * 32, image.end(),
                                [](std::uint8_t b) { return b == 0; }));
        EXPECT_FALSE(link.isOpen());
    }
}

TEST_F(ReadConfig, DamagedImagesLeaveTheSettings) {
    const struct {
        const char* what;
        int offset;
        std::uint8_t value;
        bool fixChecksum;
    } cases[] = {
        {"sum wrong", 500, 0x55, false},
        {"no end marker", 1259, 'X', true},
    };
    for (const auto& c : cases) {
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        MemoryForm form;
        applyStartupDefaults(form);
        auto& e = sim.eeprom();
        e[c.offset] = c.value;
        if (c.fixChecksum) {
            writeU32(e, 0, imageChecksum(e));
        }
        ConfigImage image{};
        EXPECT_FALSE(
            host.run([&] { return readConfiguration(link, host, windowWords(), form, image); }).ok)
            << c.what;
        EXPECT_EQ(host.logLines.last(), "Eeprom checksum error. Please reload configuration.")
            << c.what;
        EXPECT_EQ(host.logLines.size(), 258) << c.what;
        EXPECT_EQ(form.text("Callsign"), "NOCALL") << c.what;
        EXPECT_TRUE(host.informations.isEmpty()) << c.what;
    }
}

TEST_F(ReadConfig, OtherConfigurationVersionIsRefused) {
    std::memcpy(sim.eeprom().data() + 6, "v1.06", 5);
    writeU32(sim.eeprom(), 0, imageChecksum(sim.eeprom()));
    EXPECT_FALSE(run());
    EXPECT_EQ(host.logLines.last(), "Eeprom read error. Please reload configuration.");
    ASSERT_EQ(host.informations.size(), 1);
    // The box comes up before the read error line.
    EXPECT_TRUE(host.events.at(host.events.size() - 2).startsWith("information: Uncompatible"));
    EXPECT_EQ(form.text("Callsign"), "NOCALL");
    expectClosed();
}

TEST_F(ReadConfig, DeviceGoneAtTheSecondOpen) {
    sim.unplugAfterExchange(256);
    EXPECT_TRUE(run());  // the settings were loaded
    EXPECT_EQ(host.logLines.mid(257),
              (QStringList{"Eeprom read success.", kNotFound, kNotFoundHint}));
    EXPECT_TRUE(host.informations.isEmpty());
    EXPECT_EQ(form.text("Callsign"), "SQ3VTM");
    EXPECT_FALSE(link.isOpen());
}

TEST_F(ReadConfig, NoDeviceNoVersionAnswer) {
    sim.setPresent(false);
    EXPECT_FALSE(run());
    EXPECT_EQ(host.logLines, (QStringList{kNotFound, kNotFoundHint}));
    EXPECT_EQ(form.text("Callsign"), "NOCALL");

    SimulatedTracker sim2;
    DeviceLink link2{sim2};
    RecordingSink host2;
    sim2.injectFault(fault(Fault::NoReply, Command::FirmwareVersionQuery));
    host2.run([&] { return readConfiguration(link2, host2, {}, form, readImage); }).ok;
    EXPECT_EQ(host2.logLines.last(), kFound);
    EXPECT_TRUE(host2.informations.isEmpty());
    EXPECT_FALSE(link2.isOpen());
}

class WriteConfig : public OperationTest {
  protected:
    bool run() {
        return host
            .run([&] {
                return writeConfiguration(link, host, windowWords(), form, writeImage, plan);
            })
            .ok;
    }
    std::vector<Backup> backups() const { return listBackups(folder.path()); }
    static ConfigImage stored(const Backup& backup) {
        QString failure;
        return loadBackup(backup.path, &failure).value_or(ConfigImage{});
    }
    QString wayBack(const Backup& b) const {
        return "Its configuration from before the write is in the backup " +
               QDir::toNativeSeparators(b.path) + "; \"Restore\u2026\" writes it back.";
    }

    ConfigImage writeImage{};
    QTemporaryDir folder;
    BackupPlan plan{folder.path(), "\"Restore\u2026\""};
    bool restore(const RestoreSource& backup) {
        return host
            .run([&] { return restoreConfiguration(link, host, windowWords(), backup, plan, yes); })
            .ok;
    }
    static bool yes(const RestoreCheck&) { return true; }
};

TEST_F(WriteConfig, FullWriteBacksUpWritesAndVerifies) {
    const ConfigImage before = sim.eeprom();
    host.clock = 1'800'000'000;  // 2027-01-15 08:00:00 UTC
    EXPECT_TRUE(run());
    ASSERT_EQ(backups().size(), 1u);
    const Backup backup = backups()[0];
    EXPECT_EQ(backup.fileName(), "000001-20270115T080000Z-SQ3VTM-9-fw107.bin");
    EXPECT_EQ(stored(backup), before);
    QStringList want;
    want << kFound << "Backup: reading the tracker's configuration."
         << pageLines("Page read", 1, 256, 256)
         << "Backup saved: " + QDir::toNativeSeparators(backup.path)
         << pageLines("Page written", 1, 256, 256) << "Verify: reading the configuration back."
         << pageLines("Page read", 1, 256, 256) << "Eeprom write success";
    EXPECT_EQ(host.logLines, want);
    EXPECT_TRUE(std::equal(writeImage.begin(), writeImage.end(), sim.eeprom().begin()));
    EXPECT_TRUE(CheckImage(writeImage));
    EXPECT_EQ(host.progressPosition, 0);
    expectClosed();
    // The version query, the backup, the pages in ascending order, the read-back.
    ASSERT_EQ(sim.requests().size(), 1u + 3 * 256);
    EXPECT_EQ(sim.requests()[0][1], 0xFB);
    EXPECT_EQ(sim.requests()[257][1], 0xFD);
    EXPECT_EQ(sim.requests()[257][2], 0);
    EXPECT_EQ(sim.requests()[512][2], 255);
}

// The faults of a write and what the tracker and the log are left with.
TEST_F(WriteConfig, FaultsNameTheBackupAndNeverClaimSuccess) {
    const struct {
        const char* name;
        Fault fault;
        Command command;
        int page;
        const char* lastLine;  // up to the sentence that names the backup
        std::size_t requests;
        bool written;  // the tracker holds what was sent
    } cases[] = {
        {"a page refused", Fault::WrongCode, Command::EepromPageWrite, 16,
         "The tracker now holds a partly written configuration. ", 1 + 256 + 17, false},
        {"a page stored wrongly", Fault::StoredWrongly, Command::EepromPageWrite, 6,
         "Verify error: the tracker holds other bytes than were written in page 7 of 256. ",
         1 + 3 * 256, false},
        {"the read-back cut", Fault::NoReply, Command::EepromPageRead, 255,
         "Verify read error: the configuration was written but could not be read back to check "
         "it. ",
         1 + 3 * 256, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        QTemporaryDir folder;
        const BackupPlan plan{folder.path(), "\"Restore\u2026\""};
        // Page reads of the backup pass; the rule hits the read-back.
        SimulatedTracker::FaultRule rule = fault(c.fault, c.command, c.page);
        rule.exchange = c.command == Command::EepromPageRead ? 1 + 2 * 256 + 256 : 0;
        sim.injectFault(rule);
        EXPECT_FALSE(host.run([&] {
                             return writeConfiguration(link, host, windowWords(), form, writeImage,
                                                       plan);
                         })
                         .ok);
        const std::vector<Backup> made = listBackups(folder.path());
        ASSERT_EQ(made.size(), 1u);
        EXPECT_EQ(host.logLines.last(), c.lastLine + wayBack(made[0]));
        EXPECT_FALSE(host.logLines.contains("Eeprom write success"));
        EXPECT_EQ(sim.requests().size(), c.requests);
        EXPECT_EQ(sim.eeprom() == writeImage, c.written);
        EXPECT_FALSE(link.isOpen());
    }
}

TEST_F(WriteConfig, UnplugAtPage20ThenRestoreGivesBackTheTrackersBytes) {
    const ConfigImage before = sim.eeprom();
    sim.injectFault(fault(Fault::Unplug, Command::EepromPageWrite, 19));
    EXPECT_FALSE(run());
    EXPECT_TRUE(host.logLines.contains("Page write error: 20/256"));
    EXPECT_FALSE(CheckImage(sim.eeprom()));  // new pages 1 to 19, old ones after

    sim.replug();
    host.clock += 60;
    ASSERT_EQ(backups().size(), 1u);
    const ConfigImage image = stored(backups()[0]);
    EXPECT_TRUE(restore({backups()[0].path, image}));
    EXPECT_EQ(sim.eeprom(), before);
    EXPECT_EQ(host.logLines.last(), "Eeprom write success");
    // The half-written image was kept too before the restore wrote over it.
    ASSERT_EQ(backups().size(), 2u);
    EXPECT_TRUE(backups()[1].damaged);
    expectClosed();
}

TEST_F(WriteConfig, ADamagedTrackerIsBackedUpAndWritten) {
    sim.eeprom()[100] ^= 0xFF;  // the checksum no longer matches
    const ConfigImage damaged = sim.eeprom();
    EXPECT_TRUE(run());
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_TRUE(backups()[0].damaged);
    EXPECT_TRUE(backups()[0].fileName().endsWith("-fw107-damaged.bin"));
    EXPECT_EQ(stored(backups()[0]), damaged);
    EXPECT_TRUE(host.logLines.contains(
        "Backup saved, marked damaged (the tracker's configuration fails its checksum): " +
        QDir::toNativeSeparators(backups()[0].path)));
    EXPECT_EQ(sim.eeprom(), writeImage);
}

TEST_F(WriteConfig, ABackupThatCannotBeMadeStopsTheWrite) {
    const ConfigImage before = sim.eeprom();
    sim.injectFault(fault(Fault::NoReply, Command::EepromPageRead, 30));
    EXPECT_FALSE(run());
    EXPECT_EQ(host.logLines.mid(host.logLines.size() - 2),
              (QStringList{"Page read error: 31/256",
                           "Backup read error: the tracker's configuration could not be read, so "
                           "nothing was written."}));
    EXPECT_TRUE(backups().empty());

    // A folder that cannot be made: a file stands in its place.
    QFile blocker(folder.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    plan.folder = blocker.fileName() + "/backups";
    EXPECT_FALSE(run());
    EXPECT_TRUE(host.logLines.last().startsWith("Backup error: "));
    EXPECT_TRUE(host.logLines.last().endsWith(". Nothing was written."));
    EXPECT_EQ(sim.eeprom(), before);
    expectClosed();
}

TEST_F(WriteConfig, RestoreWritesOnlyThisProgramsConfigurationVersion) {
    ConfigImage other = sim.eeprom();
    other[10] = '6';  // "v1.06"
    EXPECT_FALSE(restore({"x.bin", other}));
    EXPECT_EQ(host.informations,
              QStringList{"The backup holds configuration version \"v1.06\"; this program "
                          "writes only version \"v1.07\". Nothing was written."});
    EXPECT_TRUE(sim.requests().empty());
}

// What a folder holds: each name with its bytes' SHA-256, a link as "-> <target>".
std::string sha256(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

std::map<std::string, std::string> folderState(const QString& folder) {
    std::map<std::string, std::string> state;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot)) {
        QFile file(f.filePath());
        state[f.fileName().toStdString()] =
            f.isSymLink() ? "-> " + f.symLinkTarget().toStdString()
                          : (file.open(QIODevice::ReadOnly) ? sha256(file.readAll()) : "?");
    }
    return state;
}

// 50 backups of the simulated tracker and a write or a restore of the oldest: which files are
// there afterwards, byte for byte; and what a restore asked, once the tracker was read.
TEST_F(WriteConfig, BackupFolderStates) {
    enum Kind {
        Numbered,
        Future,
        OlderForm,
        Absent,
        Declined,
        Link,
        Clash,
        OtherSerial,
        NoVersion,
        NoBackupRead,
        WriteCut,
        BadReadBack
    };
    const std::map<Kind, SimulatedTracker::FaultRule> faults = {
        {NoVersion, fault(Fault::NoReply, Command::FirmwareVersionQuery)},
        {NoBackupRead, fault(Fault::NoReply, Command::EepromPageRead, 30)},
        {WriteCut, fault(Fault::Unplug, Command::EepromPageWrite, 19)},
        {BadReadBack, fault(Fault::StoredWrongly, Command::EepromPageWrite, 6)},
    };
    const auto name = [](std::int64_t n, std::int64_t t, const char* station = "SQ3VTM-9") {
        Backup b = *parseBackupName(QString("20000101T000000Z-%1-fw107.bin").arg(station));
        b.number = n;
        b.time = QDateTime::fromSecsSinceEpoch(t, Qt::UTC);
        return b.fileName();
    };
    const std::int64_t now = host.clock;
    form.setText("Callsign", "SQ3VTM");  // a write keeps the tracker's station
    form.setText("Ssid", "9");
    const struct {
        const char* name;
        Kind kind;
        int writes;  // 0: restore the oldest backup
        bool ok;
        QList<int> removed = {};         // which of the 50, 1-based
        QList<std::int64_t> added = {};  // the new backups' numbers
    } cases[] = {
        {"restore the oldest", Numbered, 0, true, {}, {51}},
        {"tracker absent", Absent, 0, false},
        {"version query fails", NoVersion, 0, false},
        {"backup read fails", NoBackupRead, 0, false},
        {"restore declined", Declined, 0, false},
        {"write cut", WriteCut, 0, false, {}, {51}},
        {"read-back differs", BadReadBack, 0, false, {}, {51}},
        {"clock set back", Future, 2, true, {1, 2}, {51, 52}},
        {"summer time names", OlderForm, 1, true, {1}, {1}},
        {"dangling link", Link, 1, true, {1}, {52}},
        {"name clash", Clash, 1, true, {1}, {53}},
        {"another tracker's", OtherSerial, 0, true, {}, {51}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        QTemporaryDir top;
        const QDir dir(top.filePath("backups"));
        ASSERT_TRUE(dir.mkpath("."));
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");  // 2026-03-29 02:30 is not a local time there
        QStringList made;
        std::vector<ConfigImage> images(50, sim.eeprom());
        for (int i = 0; i < 50; ++i) {
            images[i][4000] = static_cast<std::uint8_t>(i + 1);
            const std::int64_t t = c.kind == Future ? now + 86400 * 365 + i : now - 3600 * 50 + i;
            made << dir.filePath(
                c.kind == OlderForm
                    ? name(0, 1'774'751'400 + 3600 * i)  // 20260329T023000Z
                    : name(i + 1, t,
                           c.kind == OtherSerial ? "SQ3VTM-9-snVM0001-hb4058e67" : "SQ3VTM-9"));
            QFile file(made.last());
            ASSERT_TRUE(file.open(QIODevice::NewOnly) &&
                        file.write(reinterpret_cast<const char*>(images[i].data()), 8192));
        }
        sim.setPresent(c.kind != Absent);
        if (faults.contains(c.kind)) {
            sim.injectFault(faults.at(c.kind));
        }
        // A link where the next backup would go; another program's backup and claim.
        if (c.kind == Link) {
            ASSERT_TRUE(QFile::link(top.filePath("elsewhere.bin"), dir.filePath(name(51, now))));
        }
        for (const QString& taken : {name(51, now, "OTHER-1"), QString("000052.claim")}) {
            QFile file(dir.filePath(taken));
            ASSERT_TRUE(c.kind != Clash || (file.open(QIODevice::NewOnly) && file.write("x")));
        }
        auto want = folderState(dir.path());
        QString asked;
        for (int r : c.removed) {
            want.erase(QFileInfo(made[r - 1]).fileName().toStdString());
        }
        for (int i = 0; i < std::max(c.writes, 1); ++i) {
            if (i < c.added.size()) {
                want[name(c.added[i], now).toStdString()] =
                    sha256(QByteArrayView(sim.eeprom().data(), 8192));
            }
            const BackupPlan plan{dir.path(), "R"};
            const Outcome outcome = host.run([&] {
                return c.writes > 0
                           ? writeConfiguration(link, host, windowWords(), form, writeImage, plan)
                           : restoreConfiguration(link, host, windowWords(), {made[0], images[0]},
                                                  plan, [&](const RestoreCheck& check) {
                                                      asked = check.question.text;
                                                      return c.kind != Declined;
                                                  });
            });
            EXPECT_EQ(outcome.ok, c.ok);
            EXPECT_EQ(sim.eeprom() == images[0], c.ok && c.writes == 0);
            sim.replug();
        }
        EXPECT_EQ(folderState(dir.path()), want);
        EXPECT_EQ(!asked.isEmpty(), c.writes == 0 && (!c.added.empty() || c.kind == Declined));
        EXPECT_EQ(asked.contains("\nWarning: it was made of another tracker; this one has no USB "
                                 "serial number.\n"),
                  c.kind == OtherSerial);
        EXPECT_EQ(asked.startsWith("The backup " + QFileInfo(made[0]).fileName() +
                                   " was made of SQ3VTM-9 (no USB serial number) at "),
                  !asked.isEmpty() && c.kind != OtherSerial);
        // The log names each backup removed.
        for (int r : c.removed) {
            EXPECT_TRUE(host.logLines.contains(
                "Backup removed to make room (the newest 50 of each tracker are kept): " +
                QDir::toNativeSeparators(made[r - 1])));
        }
        EXPECT_FALSE(QFileInfo::exists(top.filePath("elsewhere.bin")));
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    }
}

TEST_F(WriteConfig, OtherFirmwareVersionsGetNothing) {
    for (std::uint32_t version : {106u, 1070u, 108u}) {
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        const auto before = sim.eeprom();
        sim.setFirmwareVersion(version);
        EXPECT_FALSE(host.run([&] {
                             return writeConfiguration(link, host, windowWords(), form, writeImage,
                                                       plan);
                         })
                         .ok);
        EXPECT_EQ(host.logLines, QStringList{kFound});
        ASSERT_EQ(host.informations.size(), 1);
        EXPECT_EQ(host.informations[0],
                  QString("Uncompatible firmware version:\nDevice: %1\nConfigurator: 1.07\n\nYou "
                          "need to upload new firmware using \"Upload firmware\" button.")
                      .arg(version / 100.0, 0, 'f', 2));
        EXPECT_EQ(sim.eeprom(), before);
        EXPECT_FALSE(link.isOpen());
    }
}

TEST_F(WriteConfig, InvalidSettingNeverContactsTheDevice) {
    form.setText("Txdelay", "199");
    EXPECT_FALSE(run());
    EXPECT_TRUE(host.logLines.isEmpty());
    EXPECT_EQ(host.informations, QStringList{"Preamble len - range error (200 - 1000)."});
    EXPECT_TRUE(sim.requests().empty());
    EXPECT_TRUE(sim.openedPaths().empty());

    form.setText("Txdelay", "2o0");
    EXPECT_THROW(run(), ConversionError);
    EXPECT_TRUE(sim.openedPaths().empty());
}

TEST_F(WriteConfig, FailingPageStopsTheWrite) {
    sim.injectFault(fault(Fault::WrongCode, Command::EepromPageWrite, 16));
    EXPECT_FALSE(run());
    QStringList want;
    want << pageLines("Page written", 1, 16, 256) << "Page write error: 17/256";
    EXPECT_EQ(host.logLines.mid(259, 17), want);
    EXPECT_EQ(host.progressPosition, 16);
    expectClosed();
}

TEST_F(WriteConfig, NoDeviceAndNoVersionAnswer) {
    sim.setPresent(false);
    EXPECT_FALSE(run());
    EXPECT_EQ(host.logLines, (QStringList{kNotFound, kNotFoundHint}));

    SimulatedTracker sim2;
    DeviceLink link2{sim2};
    RecordingSink host2;
    const auto before = sim2.eeprom();
    sim2.injectFault(fault(Fault::NoReply, Command::FirmwareVersionQuery));
    EXPECT_FALSE(
        host2.run([&] { return writeConfiguration(link2, host2, {}, form, writeImage, plan); }).ok);
    EXPECT_EQ(host2.logLines, (QStringList{kFound, "Firmware version read error."}));
    EXPECT_EQ(sim2.eeprom(), before);
    EXPECT_FALSE(link2.isOpen());
}

// What one program writes, the next read brings back.
TEST_F(WriteConfig, WriteThenReadRoundTrips) {
    form.setText("Callsign", "sp3abc");
    form.setIndex("Serial1_mode", 5);
    run();
    MemoryForm other;
    RecordingSink otherHost;
    applyStartupDefaults(other);
    ConfigImage readImage{};
    otherHost.run([&] { return readConfiguration(link, otherHost, {}, other, readImage); }).ok;
    EXPECT_EQ(other.text("Callsign"), "SP3ABC");
    EXPECT_EQ(other.index("Serial1_mode"), 5);
    EXPECT_EQ(readImage, writeImage);
}

}  // namespace
