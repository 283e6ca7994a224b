// Every file the program writes, written when it cannot be: each case runs in a child process
// whose file size limit stands in for a full disk (writes past it fail with EFBIG), or against
// a tracker that fails, over targets that already exist. A failed command must leave every
// existing target with its old bytes, no temporary file beside them, and say why.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <functional>

#include "cli/cli_sink.h"
#include "cli/command_line.h"
#include "configfile/config_file.h"
#include "recording_sink.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "sim/simulated_tracker.h"

namespace {

struct Outcome {
    int status = -1;
    QString said;
};

// Runs `body` in a child process with at most `limit` bytes per file (none when 0) and
// returns its exit status and what it said.
Outcome inChild(rlim_t limit, const std::function<int(QString& said)>& body) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        if (limit > 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit rl{limit, limit};
            setrlimit(RLIMIT_FSIZE, &rl);
        }
        QString said;
        const int status = body(said);
        const QByteArray bytes = said.toUtf8();
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(pipeFds[1], bytes.constData() + done,
                                      static_cast<std::size_t>(bytes.size() - done));
            if (n <= 0) {
                break;
            }
            done += n;
        }
        _exit(status);
    }
    close(pipeFds[1]);
    QByteArray bytes;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0) {
        bytes.append(chunk, n);
    }
    close(pipeFds[0]);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, QString::fromUtf8(bytes)};
}

TEST(FailedOutput, LeavesEveryExistingTargetAsItWas) {
    QTemporaryDir dir;
    const auto at = [&dir](const QString& name) { return dir.filePath(name); };

    // Inputs: a configuration file, a configuration image and a GPS memory dump.
    {
        MemoryForm form;
        RecordingSink host;
        applyStartupDefaults(form);
        ASSERT_TRUE(host.shown(exportConfiguration(form, at("in.cfg"))));
        const SimulatedTracker tracker;
        QFile image(at("in.bin"));
        ASSERT_TRUE(image.open(QIODevice::WriteOnly));
        image.write(reinterpret_cast<const char*>(tracker.eeprom().data()),
                    static_cast<qint64>(tracker.eeprom().size()));
        QFile dump(at("gps.bin"));
        ASSERT_TRUE(dump.open(QIODevice::WriteOnly));
        dump.write(reinterpret_cast<const char*>(tracker.gpsMemory().data()),
                   static_cast<qint64>(tracker.gpsMemory().size()));
    }
    const QStringList inputs{"in.cfg", "in.bin", "gps.bin"};

    // The window's "Save to file".
    const auto saveToFile = [&](QString& said) {
        MemoryForm form;
        RecordingSink host;
        applyStartupDefaults(form);
        host.shown(exportConfiguration(form, at("out.cfg")));
        said = host.applicationErrors.join('\n');
        return host.applicationErrors.isEmpty() ? 0 : 1;
    };

    const QString kept = "Existing log left as it was: ";
    const QString noRoom =
        "not enough room: the disk is full or the file is larger than the "
        "system allows";
    const struct {
        QStringList command;  // veltromark-cli's arguments; empty for "Save to file"
        QStringList outputs;  // existing targets of the command
        rlim_t limit;         // bytes a file may hold, 0 for no limit
        int status;
        QString said;   // part of what the command says
        bool replaced;  // the outputs get new contents
    } cases[] = {
        {{}, {"out.cfg"}, 1024, 1, "Unable to write to " + at("out.cfg") + ".", false},
        {{"defaults", "out.cfg"}, {"out.cfg"}, 1024, 1, at("out.cfg") + ": " + noRoom, false},
        {{"decode", "in.bin", "out.cfg"}, {"out.cfg"}, 1024, 1, noRoom, false},
        {{"encode", "in.cfg", "out.bin"},
         {"out.bin"},
         1024,
         1,
         "veltromark-cli: cannot write " + at("out.bin") + ": " + noRoom,
         false},
        {{"nmea", "gps.bin", "out.log", "--gpx", "out.gpx"},
         {"out.log", "out.gpx"},
         40'000,  // the track fits, the log does not
         1,
         "cannot write " + at("out.log") + ": " + noRoom,
         false},
        {{"read-config", "out.cfg", "--image", "out.bin", "--simulate"},
         {"out.cfg", "out.bin"},
         6000,  // the configuration file fits, the image does not
         1,
         "cannot write " + at("out.bin") + ": " + noRoom,
         false},
        {{"read-config", "out.cfg", "--image", "missing/out.bin", "--simulate"},
         {"out.cfg"},
         0,
         1,
         "cannot write " + at("missing/out.bin") + ": the folder does not exist",
         false},
        {{"read-gps", "out.log", "--simulate"},
         {"out.log"},
         1024,
         1,
         "Cannot write " + at("out.log") + ": " + noRoom,
         false},
        {{"read-gps", "out.log", "--dump", "out.bin", "--gpx", "out.gpx", "--simulate"},
         {"out.log", "out.bin", "out.gpx"},
         100'000,  // the log and the track fit, the dump does not
         1,
         "cannot write " + at("out.bin") + ": " + noRoom,
         false},
        {{"read-gps", "out.log", "--gpx", "missing/out.gpx", "--simulate"},
         {"out.log"},
         0,
         1,
         "cannot write " + at("missing/out.gpx"),
         false},
        // A tracker that cannot be opened: nothing is read, every target stays.
        {{"read-gps", "out.log", "--dump", "out.bin", "--simulate-fault=noopen"},
         {"out.log", "out.bin"},
         0,
         1,
         "Cannot open the device: permission denied.\nThe udev rule 70-veltromark.rules",
         false},
        {{"read-gps", "out.log", "--simulate-fault=noreply@1"},
         {"out.log"},
         0,
         1,
         "Page read error: 1/16384\nTracker GPS memory read incomplete.\n" + kept,
         false},
        {{"read-gps", "out.log", "--simulate-fault=badsum@100"},
         {"out.log"},
         0,
         1,
         "Page read: 99/16384\nPage read error: 100/16384\nTracker GPS memory read "
         "incomplete.\n" +
             kept,
         false},
        {{"read-gps", "out.log", "--simulate-fault=unplug@100", "--gpx", "out.gpx"},
         {"out.log", "out.gpx"},
         0,
         1,
         "Page read error: 101/16384\nTracker GPS memory read incomplete.\n" + kept,
         false},
        {{"read-gps", "out.log", "--dump", "out.bin", "--gpx", "out.gpx", "--simulate"},
         {"out.log", "out.bin", "out.gpx"},
         0,
         0,
         "Tracker GPS memory read success.",
         true},
    };
    for (const auto& c : cases) {
        const QString name = c.command.isEmpty() ? "Save to file" : c.command.join(' ');
        SCOPED_TRACE(name.toStdString());
        for (const QString& output : c.outputs) {
            QFile file(at(output));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("old " + output.toUtf8() + "\r\n");
        }
        const Outcome outcome = inChild(c.limit, [&](QString& said) {
            if (c.command.isEmpty()) {
                return saveToFile(said);
            }
            QStringList arguments{"veltromark-cli"};
            for (const QString& a : c.command) {
                arguments << (a.startsWith('-') || !a.contains('.') ? a : at(a));
            }
            QByteArray text;
            CliSink host([&text](const QByteArray& chunk) { text += chunk; }, false);
            const int status = runCli(arguments, host, [](const QByteArray&) {});
            host.finish();
            said = QString::fromLocal8Bit(text);
            return status;
        });
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_TRUE(outcome.said.contains(c.said)) << outcome.said.right(600).toStdString();
        for (const QString& output : c.outputs) {
            QFile file(at(output));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << output.toStdString();
            const bool old = file.readAll() == "old " + output.toUtf8() + "\r\n";
            EXPECT_EQ(old, !c.replaced) << output.toStdString();
        }
        // Nothing but the inputs and the targets: no temporary file left behind.
        QStringList expected = inputs + c.outputs;
        expected.sort();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), expected);
        for (const QString& output : c.outputs) {
            QFile::remove(at(output));
        }
    }
}

// Run as root (sudo, for the tracker), the program replaces a user's file and leaves it theirs:
// owner, group and mode as they were.
TEST(ReplacedOutput, KeepsItsOwnerGroupAndMode) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to another user";
    }
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("out.cfg"));
    QFile old(dir.filePath("out.cfg"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    ASSERT_EQ(chown(path.constData(), 4321, 4322), 0);
    ASSERT_EQ(chmod(path.constData(), 0640), 0);

    CliSink host([](const QByteArray&) {}, false);
    ASSERT_EQ(runCli({"veltromark-cli", "defaults", dir.filePath("out.cfg")}, host,
                     [](const QByteArray&) {}),
              0);
    struct stat st {};
    ASSERT_EQ(stat(path.constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
