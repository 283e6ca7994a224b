// The unchanged programs against emulated trackers on /dev/hidraw*: hidapi's hidraw backend
// enumerates them through libudev (umockdev's sysfs), opens them, and exchanges reports with
// them through the kernel-facing calls (open, ioctl, write, poll, read, close).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

namespace {

struct Outcome {
    int status = -1;
    QStringList out;  // standard output, line by line
    QStringList log;  // standard error, or the window's activity log and message boxes
};

QStringList lines(const QByteArray& text) {
    QStringList list = QString::fromUtf8(text).split('\n');
    if (!list.isEmpty() && list.last().isEmpty()) {
        list.removeLast();
    }
    return list;
}

class HidrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QString(VM_UMOCKDEV_RUN).isEmpty()) {
            GTEST_SKIP() << "umockdev-run is not installed (Debian package umockdev; "
                            "scripts/install-deps.sh installs it): the hidraw tests do not run";
        }
        ASSERT_TRUE(QDir(dir.path()).mkpath("records"));
    }

    // Runs `program` with `arguments` on a machine whose USB bus holds `devices`.
    Outcome run(const QStringList& devices, const QString& faults, const QString& program,
                const QStringList& arguments, const QString& windowButton = {}) {
        QStringList command;
        for (const QString& d : devices) {
            command << "-d" << QStringLiteral(VM_DEVICES_DIR "/%1.umockdev").arg(d);
        }
        // umockdev's own library stays in LD_PRELOAD, after ours.
        command << "--"
                << "sh"
                << "-c"
                << "LD_PRELOAD=\"$VM_HIDRAW_TRACKER${LD_PRELOAD:+:$LD_PRELOAD}\" exec \"$@\""
                << "sh" << program << arguments;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VM_HIDRAW_TRACKER", VM_HIDRAW_TRACKER);
        env.insert("VM_HIDRAW_RECORDS", path("records"));
        env.insert("VM_HIDRAW_FAULTS", faults);
        env.insert("XDG_DATA_HOME", path("data"));  // the backups of writes
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // Under the sanitizers the preloaded libraries come before their runtime.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") +
                                       (env.contains("ASAN_OPTIONS") ? ":" : "") +
                                       "verify_asan_link_order=0");
        if (!windowButton.isEmpty()) {
            env.insert("QT_PLUGIN_PATH", VM_QT_PLUGINS);
            env.insert("QT_QPA_GENERIC_PLUGINS", "vmwindowdriver");
            env.insert("VM_DRIVE_BUTTON", windowButton);
            env.insert("VM_DRIVE_REPORT", path("window.log"));
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(VM_UMOCKDEV_RUN, command);
        EXPECT_TRUE(process.waitForFinished(300'000));
        Outcome result;
        result.status = process.exitCode();
        result.out = lines(process.readAllStandardOutput());
        const QByteArray err = process.readAllStandardError();
        result.log = windowButton.isEmpty() ? lines(err) : lines(read(path("window.log")));
        if (!windowButton.isEmpty()) {
            result.out << lines(err);  // for the failure message only
        }
        return result;
    }

    Outcome cli(const QStringList& devices, const QString& faults, const QStringList& arguments) {
        return run(devices, faults, VELTROMARK_CLI, arguments);
    }

    // What the simulated tracker gives without USB: the reference for the files.
    QByteArray simulated(const QStringList& arguments, const QString& output) {
        QProcess process;
        process.start(VELTROMARK_CLI, QStringList(arguments) << "--simulate");
        EXPECT_TRUE(process.waitForFinished(300'000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return read(output);
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString record(const QString& name) const { return path("records/" + name); }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
};

// `block` appears in `all` as consecutive lines.
bool holds(const QStringList& all, const QStringList& block) {
    for (qsizetype i = 0; i + block.size() <= all.size(); ++i) {
        if (all.mid(i, block.size()) == block) {
            return true;
        }
    }
    return block.isEmpty();
}

constexpr const char* kFound = "Veltromark found, vid: Vid_0483, pid: A04D";

TEST_F(HidrawTest, EveryOperationThroughHidapi) {
    const QString cfg = path("out.cfg");
    const QString gps = path("out.log");
    const QString firmware = path("firmware.bin");
    const QString defaults = path("defaults.cfg");
    {
        QFile f(firmware);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(33, '\x5A'));  // two pages: the second is one byte and 31 zeros
    }
    QProcess::execute(VELTROMARK_CLI, {"defaults", defaults});

    const QStringList one{"tracker0"};
    const QStringList two{"tracker0", "tracker1"};
    using Check = std::function<void(const Outcome&)>;
    const struct Case {
        const char* name;
        QStringList devices;
        QString faults;
        QStringList arguments;  // "window" first: the window with that button pressed
        int status;
        QStringList log;     // consecutive lines of the log
        QStringList opened;  // nodes the program opened, each "hidrawN"
        Check check;         // files written, the tracker's memories
    } cases[] = {
        {"read-config: 256 pages, the version, the same file as the simulator gives",
         one,
         "",
         {"read-config", cfg},
         0,
         {"Page read: 256/256", "Eeprom read success.", kFound, "Firmware version: 1.07"},
         {"hidraw0"},
         [&](const Outcome&) {
             const QByteArray got = read(cfg);
             EXPECT_EQ(got, simulated({"read-config", path("sim.cfg")}, path("sim.cfg")));
             EXPECT_EQ(read(record("hidraw0.events")), "open\nclose\nopen\nclose\n");
         }},
        {"write-config: the tracker stores what the file holds",
         one,
         "",
         {"write-config", defaults},
         0,
         {"Page written: 256/256", "Verify: reading the configuration back."},
         {"hidraw0"},
         [&](const Outcome& r) {
             EXPECT_EQ(r.log.last(), "Eeprom write success");
             // The image carries a random part, so compare what it decodes to with what the
             // file's own image decodes to.
             ASSERT_EQ(QProcess::execute(VELTROMARK_CLI, {"encode", defaults, path("own.bin")}), 0);
             ASSERT_EQ(
                 QProcess::execute(VELTROMARK_CLI, {"decode", path("own.bin"), path("own.cfg")}),
                 0);
             ASSERT_EQ(QProcess::execute(VELTROMARK_CLI,
                                         {"decode", record("hidraw0.eeprom"), path("back.cfg")}),
                       0);
             EXPECT_EQ(read(path("back.cfg")), read(path("own.cfg")));
         }},
        {"read-gps: the whole memory, the same log as the simulator gives",
         one,
         "",
         {"read-gps", gps},
         0,
         {kFound, "Page read: 1/16384"},
         {"hidraw0"},
         [&](const Outcome& r) {
             EXPECT_EQ(r.log.size(), 16386);
             EXPECT_EQ(r.log.mid(r.log.size() - 2),
                       (QStringList{"Page read: 16384/16384", "Tracker GPS memory read success."}));
             EXPECT_EQ(read(gps), simulated({"read-gps", path("sim.log")}, path("sim.log")));
         }},
        {"erase-gps",
         one,
         "",
         {"erase-gps", "--yes"},
         0,
         {kFound, "Erasing tracker GPS memory. Please wait a few seconds.", "Erase complete."},
         {"hidraw0"},
         [&](const Outcome&) {
             EXPECT_EQ(read(record("hidraw0.gps")), QByteArray(512 * 1024, '\xFF'));
         }},
        {"upload-firmware FILE: every byte arrives, the last page padded",
         one,
         "",
         {"upload-firmware", firmware, "--yes"},
         0,
         {kFound, "Page written: 1/2", "Page written: 2/2", "Firmware upgrade success"},
         {"hidraw0"},
         [&](const Outcome&) {
             EXPECT_EQ(read(record("hidraw0.firmware")),
                       QByteArray(33, '\x5A') + QByteArray(31, '\0'));
         }},
        {"open refused: permission denied",
         one,
         "open=EACCES",
         {"read-config", cfg},
         1,
         {kFound, "Cannot open the device: permission denied."},
         {},
         [&](const Outcome&) { EXPECT_FALSE(QFile::exists(cfg)); }},
        {"open refused: busy",
         one,
         "open=EBUSY",
         {"erase-gps"},
         1,
         {kFound, "Cannot open the device: it is in use by another program.",
          "Close the other program that has the tracker open, then try again."},
         {},
         {}},
        {"no reply once: the wait is bounded at 1000 ms",
         one,
         "noreply=3",
         {"read-config", cfg},
         1,
         {"Page read: 2/256", "Page read error: 3/256",
          "Eeprom read error. Please reload configuration."},
         {"hidraw0"},
         [&](const Outcome&) {
             EXPECT_TRUE(read(record("hidraw0.events"))
                             .contains("no reply; the program waited at most 1000 ms\n"));
         }},
        {"a wait cut short by a signal goes on for the time left: no page error",
         one,
         "eintr=3",
         {"read-config", cfg},
         0,
         {"Page read: 3/256", "Page read: 4/256"},
         {"hidraw0"},
         {}},
        {"a short reply",
         one,
         "short=5",
         {"read-gps", gps},
         1,
         {"Page read: 4/16384", "Page read error: 5/16384", "Tracker GPS memory read incomplete."},
         {"hidraw0"},
         {}},
        {"a wrong code (exchange 266: the ninth page written, after the version and the backup)",
         one,
         "wrongcode=266",
         {"write-config", defaults},
         1,
         {"Page written: 8/256", "Page write error: 9/256"},
         {"hidraw0"},
         {}},
        {"a page stored wrongly is caught by the read-back",
         one,
         "wrongpage=270",
         {"write-config", defaults},
         1,
         {"Page written: 256/256", "Verify: reading the configuration back."},
         {"hidraw0"},
         [](const Outcome& r) {
             EXPECT_TRUE(
                 r.log.last().startsWith("Verify error: the tracker holds other bytes "
                                         "than were written in page 13 of 256."));
             EXPECT_FALSE(r.log.contains("Eeprom write success"));
         }},
        {"a bad page sum past the checked region",
         one,
         "badsum=41",
         {"read-config", cfg},
         1,
         {"Page read: 40/256", "Page read error: 41/256",
          "Eeprom read error. Please reload configuration."},
         {"hidraw0"},
         {}},
        {"unplugged during the download",
         one,
         "unplug=100",
         {"read-gps", gps},
         1,
         {"Page read: 100/16384", "Page read error: 101/16384",
          "Tracker GPS memory read incomplete."},
         {"hidraw0"},
         {}},
        {"two trackers: the first in enumeration order",
         two,
         "",
         {"erase-gps", "--yes"},
         0,
         {kFound, "Erasing tracker GPS memory. Please wait a few seconds.", "Erase complete."},
         {"hidraw0"},
         {}},
        {"two trackers: --device picks the second",
         two,
         "",
         {"erase-gps", "--device", "/dev/hidraw1", "--yes"},
         0,
         {kFound, "Erasing tracker GPS memory. Please wait a few seconds.", "Erase complete."},
         {"hidraw1"},
         {}},
        {"--device names no tracker",
         {"other0", "tracker1"},
         "",
         {"erase-gps", "--device", "/dev/hidraw0"},
         1,
         {"Veltromark not found."},
         {},
         {}},
        {"another product id comes first and is left alone",
         {"other0", "tracker1"},
         "",
         {"read-config", cfg},
         0,
         {kFound, "Page read: 1/256"},
         {"hidraw1"},
         {}},
        {"list: every tracker, whether it opens and why not",
         two,
         "hidraw1:open=EACCES",
         {"list"},
         0,
         {},
         {"hidraw0"},
         [&](const Outcome& r) {
             EXPECT_EQ(r.out, (QStringList{
                                  "/dev/hidraw0\tVM-0001\tAPRS Tracker\tcan be opened",
                                  "/dev/hidraw1\tVM-0002\tAPRS Tracker\tcannot be opened: "
                                  "permission denied",
                              }));
         }},
        {"list: none",
         {"other0"},
         "",
         {"list"},
         1,
         {"Veltromark not found."},
         {},
         [&](const Outcome& r) { EXPECT_TRUE(r.out.isEmpty()); }},
        {"the window: Read config",
         two,
         "",
         {"window", "Button_read_config"},
         0,
         {"Page read: 256/256", "Eeprom read success.", kFound,
          "dialog: Information: Firmware version: 1.07"},
         {"hidraw0"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(cfg);
        for (const QFileInfo& f : QDir(path("records")).entryInfoList(QDir::Files)) {
            QFile::remove(f.filePath());
        }
        const bool window = c.arguments.first() == "window";
        const Outcome r = window ? run(c.devices, c.faults, VELTROMARK_WINDOW, {}, c.arguments[1])
                                 : cli(c.devices, c.faults, c.arguments);
        EXPECT_EQ(r.status, c.status) << r.out.join('\n').toStdString();
        EXPECT_TRUE(holds(r.log, c.log)) << r.log.mid(0, 8).join('\n').toStdString() << "\n...\n"
                                         << r.log.mid(r.log.size() - 8).join('\n').toStdString();
        for (const QString node : {"hidraw0", "hidraw1"}) {
            const bool opened = read(record(node + ".events")).startsWith("open\n");
            EXPECT_EQ(opened, c.opened.contains(node)) << node.toStdString();
        }
        const QByteArray events = read(record("hidraw0.events")) + read(record("hidraw1.events"));
        EXPECT_FALSE(events.contains("violation")) << events.toStdString();
        if (c.check) {
            c.check(r);
        }
    }
}

}  // namespace
