#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>
#include <csignal>

#include "app/device_commands.h"
#include "app/field_marks.h"
#include "app/sub_page_control.h"
#include "app/termination_signals.h"
#include "app/track_view_window.h"
#include "app_test_support.h"
#include "cli/cli_sink.h"
#include "cli/command_line.h"
#include "image/compare.h"
#include "image/decoder.h"
#include "image/encoder.h"
#include "operations/firmware_resource.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "sim/simulated_fault.h"
#include "sim/simulated_tracker.h"

namespace {

// The window with its operations attached to a simulated tracker.
class DeviceCommandsTest : public ::testing::Test {
  protected:
    DeviceCommandsTest() {
        attachCommands(w, session);
        session.firmwareSource = demoFirmware;
        session.backupFolder = backups.path();
        w.show();
    }

    // Presses `button` and waits until its operation, if it started one, has ended.
    void press(CommandButton button) {
        w.commandButton(button)->click();
        waitForOperation(w);
    }

    QStringList logLines() const {
        QStringList lines;
        for (QTextBlock b = w.activityLog()->document()->begin(); b.isValid(); b = b.next()) {
            lines << b.text();
        }
        return lines;
    }

    // The seven command buttons, "Track…", "Compare with file…", "Restore…" and the buttons
    // on the pages; `stop` is enabled.
    bool allButtonsEnabled(bool enabled, std::optional<CommandButton> stop = {}) const {
        for (QWidget* other :
             std::initializer_list<QWidget*>{w.trackButton(), w.compareButton(), w.restoreButton(),
                                             w.findChild<QWidget*>("Button_special_strings"),
                                             w.findChild<QWidget*>("Button_symbol_chooser")}) {
            if (other->isEnabled() != enabled) {
                return false;
            }
        }
        for (int i = 0; i < kCommandButtons; ++i) {
            const auto button = static_cast<CommandButton>(i);
            if (w.commandButton(button)->isEnabled() != (enabled || button == stop)) {
                return false;
            }
        }
        return true;
    }

    // Calls `check` on the window's thread at every exchange while an operation runs; the
    // operation waits meanwhile.
    void onEveryExchange(std::function<void()> check) {
        tracker.setLatency(std::chrono::microseconds(1));
        tracker.setWait([this, check = std::move(check)](std::chrono::microseconds) {
            QMetaObject::invokeMethod(&w, check, Qt::BlockingQueuedConnection);
        });
    }

    QTemporaryDir backups;
    TestWindow t;
    MainWindow& w = *t.window;
    RecordingDialogs& dialogs = *t.dialogs;
    SimulatedTracker tracker;
    DeviceSession session{tracker};
};

TEST_F(DeviceCommandsTest, ReadConfigFillsTheWindow) {
    session.simulated = true;
    press(CommandButton::ReadConfig);
    const QString found = "Veltromark found, vid: Vid_0483, pid: A04D";
    EXPECT_EQ(logLines(),
              (QStringList{found, "Page read: 256/256", "Eeprom read success.", found}));
    EXPECT_EQ(dialogs.informations, QStringList{"Firmware version: 1.07"});
    EXPECT_EQ(w.trackerStatus()->text(), "Tracker: simulated, firmware 1.07");
    EXPECT_EQ(w.form().text("Callsign"), "SQ3VTM");
    EXPECT_FALSE(w.settingsChanged());  // closing does not ask
    EXPECT_EQ(w.progressBar()->maximum(), 256);
    EXPECT_EQ(w.progressBar()->value(), 0);
    EXPECT_FALSE(session.link.isOpen());
}

// "Restore…" asks about changed settings first, then shows what the backup would change on
// the tracker and whose it is; on Yes the window shows the restored settings as kept.
TEST_F(DeviceCommandsTest, RestoreComparesWithTheTrackerAsksAndShowsWhatItWrote) {
    const ConfigImage before = tracker.eeprom();
    w.form().setText("Callsign", "SP3ABC");
    press(CommandButton::WriteConfig);  // the backup holds SQ3VTM; the tracker SP3ABC
    ASSERT_NE(tracker.eeprom(), before);
    QStringList shown;
    dialogs.onModal = [&](QDialog* window) {
        shown << window->objectName();
        if (auto* list = window->findChild<QTreeWidget*>("CompareList")) {
            shown << list->headerItem()->text(1) + " | " + list->headerItem()->text(2);
            shown << list->topLevelItem(0)->text(1) + " | " + list->topLevelItem(0)->text(2);
        }
        window->accept();  // the newest backup; the compare list closed
    };
    w.form().setText("Callsign", "SP9XYZ");
    for (const bool yes : {false, true}) {
        dialogs.questionAnswer = yes;
        dialogs.saveAnswer = SaveChoice::Discard;
        shown.clear();
        dialogs.events.clear();
        w.restoreButton()->click();
        waitForOperation(w);
        EXPECT_TRUE(dialogs.events.value(0).startsWith("ask to save: "));
        ASSERT_EQ(shown.size(), 4);
        EXPECT_EQ(shown[2], "On the tracker now | In " + listBackups(backups.path())[0].fileName());
        EXPECT_EQ(shown[3], "\"SP3ABC\" | \"SQ3VTM\"");
        ASSERT_EQ(dialogs.questions.size(), yes ? 2 : 1);
        EXPECT_TRUE(dialogs.questions.last().startsWith("Restore: The backup "));
        EXPECT_EQ(tracker.eeprom() == before, yes);
        EXPECT_EQ(logLines().last(), yes ? "Eeprom write success" : "Restore cancelled.");
        EXPECT_TRUE(dialogs.errors.isEmpty()) << "the user's No is no failure to tell of";
        EXPECT_EQ(w.form().text("Callsign"), yes ? "SQ3VTM" : "SP9XYZ");
        EXPECT_EQ(w.settingsChanged(), !yes);
        EXPECT_TRUE(allButtonsEnabled(true));
    }
}

TEST_F(DeviceCommandsTest, LogIsOnScreenBeforeADialogShows) {
    QStringList onScreen;
    dialogs.onInformation = [&] { onScreen = logLines(); };
    press(CommandButton::ReadConfig);
    EXPECT_EQ(dialogs.informations, QStringList{"Firmware version: 1.07"});
    ASSERT_EQ(onScreen.size(), 4);  // the page lines on one
    EXPECT_EQ(onScreen.last(), "Veltromark found, vid: Vid_0483, pid: A04D");

    tracker.setFirmwareVersion(106);
    press(CommandButton::WriteConfig);
    EXPECT_TRUE(dialogs.informations.last().startsWith("Uncompatible firmware version:"));
    EXPECT_EQ(onScreen.size(), 5);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << "the refusal's own box, and no other";
}

TEST_F(DeviceCommandsTest, LongOperationsDisableTheButtonsAndEnableThemAgain) {
    const struct {
        CommandButton button;
        const char* lastLine;
        std::optional<CommandButton> stop;
    } cases[] = {
        {CommandButton::ReadConfig, "Veltromark found, vid: Vid_0483, pid: A04D",
         CommandButton::ReadConfig},
        {CommandButton::WriteConfig, "Eeprom write success", {}},
        {CommandButton::UploadFirmware, "Firmware upgrade success", {}},
        {CommandButton::EraseMemory, "Erase complete.", CommandButton::EraseMemory},
    };
    dialogs.questionAnswer = true;
    for (const auto& c : cases) {
        int exchanges = 0;
        int disabledDuring = 0;
        onEveryExchange([&] {
            ++exchanges;
            disabledDuring += allButtonsEnabled(false, c.stop);
        });
        tracker.setErasePollsUntilDone(1);  // no real one-second sleep
        press(c.button);
        EXPECT_GT(exchanges, 0);
        EXPECT_EQ(disabledDuring, exchanges) << "buttons enabled while the tracker was busy";
        EXPECT_TRUE(allButtonsEnabled(true));
        EXPECT_EQ(logLines().last(), c.lastLine);
        EXPECT_FALSE(session.link.isOpen());
    }
}

// Stop pressed while the tracker answers an exchange ends the operation before its next page:
// one line says where, the settings and an existing log stay as they were, the tracker is
// closed and the buttons are back.
TEST_F(DeviceCommandsTest, StopEndsAReadADownloadOrTheEraseWaitAndChangesNothing) {
    const struct {
        CommandButton button;
        int stopAtExchange;
        const char* lastLine;
    } cases[] = {
        {CommandButton::ReadConfig, 10, "Configuration read stopped before page 11/256."},
        {CommandButton::ReadMemory, 100, "Existing log left as it was: %1."},
        {CommandButton::EraseMemory, 2,
         "Erase wait stopped after poll 1/20. The tracker may still be erasing; its GPS memory "
         "is not usable until it has finished."},
    };
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath("track.log"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("yesterday\r\n") == 11);
    old.close();
    dialogs.fileAnswer = path;
    dialogs.questionAnswer = true;  // yes, erase
    dialogs.saveAnswer = SaveChoice::Discard;
    tracker.setErasePollsUntilDone(0);
    w.form().setText("Callsign", "SP3ABC");
    for (const auto& c : cases) {
        QPushButton* button = w.commandButton(c.button);
        int exchanges = 0;
        QStringList during;
        onEveryExchange([&] {
            if (++exchanges == c.stopAtExchange) {
                during << button->text() << QString::number(button->isEnabled());
                button->click();
            }
        });
        press(c.button);
        EXPECT_EQ(during, (QStringList{"Sto&p", "1"}));
        EXPECT_EQ(w.progressBar()->value(), 0) << "the bar starts again";
        EXPECT_TRUE(dialogs.errors.isEmpty()) << "a stop is no failure to tell of";
        EXPECT_EQ(logLines().last(), QString(c.lastLine).replace("%1", path)) << int(c.button);
        EXPECT_EQ(exchanges, c.stopAtExchange) << "no exchange after the Stop";
        EXPECT_EQ(w.form().text("Callsign"), "SP3ABC");
        EXPECT_EQ(session.gps, GpsBuffer(kGpsMemorySize, 0)) << "the last download stays";
        EXPECT_FALSE(session.link.isOpen());
        EXPECT_TRUE(allButtonsEnabled(true));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"track.log"});
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "yesterday\r\n");
}

TEST_F(DeviceCommandsTest, GpsDownloadThroughTheWindowCountsUpOnOneLine) {
    QTemporaryDir dir;
    const QString path = dir.filePath("track.log");
    dialogs.fileAnswer = path;
    int disabledDuring = 0;
    onEveryExchange([&] { disabledDuring += allButtonsEnabled(false, CommandButton::ReadMemory); });
    press(CommandButton::ReadMemory);
    EXPECT_EQ(logLines(),
              (QStringList{"Veltromark found, vid: Vid_0483, pid: A04D", "Page read: 16384/16384",
                           "Tracker GPS memory read success."}));
    EXPECT_EQ(disabledDuring, 16384);
    EXPECT_TRUE(allButtonsEnabled(true));
    EXPECT_EQ(w.progressBar()->maximum(), 2048);
    EXPECT_EQ(w.progressBar()->value(), 2048);
    QFile log(path);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().startsWith("$GPRMC,"));
}

// After a download the track view offers itself and shows the drive; the log the download
// wrote and a dump of the same memory show the same points, and both exports write files.
TEST_F(DeviceCommandsTest, TrackViewAfterADownloadShowsTheSameDriveFromEachInput) {
    QTemporaryDir dir;
    const QString log = dir.filePath("track.log");
    dialogs.fileAnswer = log;
    dialogs.questionAnswer = true;
    press(CommandButton::ReadMemory);
    EXPECT_EQ(logLines().last(), "Tracker GPS memory read success.");
    EXPECT_EQ(dialogs.events,
              QStringList{"question: Tracker GPS memory: Show the track of the download?"});
    auto* view = w.findChild<TrackViewWindow*>("TrackView");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    const std::vector<TrackSample> downloaded = view->track().samples;
    EXPECT_EQ(downloaded.size(), 300u);
    EXPECT_TRUE(view->summary().startsWith("Last download: 300 points, "));
    EXPECT_TRUE(view->summary().endsWith("14.06.2024 08:30:00 – 14.06.2024 08:54:55 UTC"));

    const QString dump = dir.filePath("memory.bin");
    QFile dumpFile(dump);
    ASSERT_TRUE(dumpFile.open(QIODevice::WriteOnly));
    dumpFile.write(reinterpret_cast<const char*>(tracker.gpsMemory().data()),
                   static_cast<qint64>(tracker.gpsMemory().size()));
    dumpFile.close();
    const struct {
        TrackViewWindow::Action action;
        QString path;
    } inputs[] = {{TrackViewWindow::Action::OpenLog, log},
                  {TrackViewWindow::Action::OpenDump, dump}};
    for (const auto& input : inputs) {
        view->showLastDownload();
        dialogs.fileAnswer = input.path;
        view->button(input.action)->click();
        EXPECT_TRUE(view->summary().startsWith(QFileInfo(input.path).fileName() + ": 300 points"));
        EXPECT_TRUE(view->track().samples == downloaded) << input.path.toStdString();
    }

    dialogs.fileAnswer = dir.filePath("view.png");
    view->button(TrackViewWindow::Action::SavePng)->click();
    EXPECT_EQ(QImage(dir.filePath("view.png")).size(), view->content()->size());
    dialogs.fileAnswer = dir.filePath("drive.gpx");
    view->button(TrackViewWindow::Action::SaveGpx)->click();
    QFile gpx(dir.filePath("drive.gpx"));
    ASSERT_TRUE(gpx.open(QIODevice::ReadOnly));
    EXPECT_EQ(gpx.readAll().count("<trkpt "), 300);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("; ").toStdString();
}

// Closing during an operation: a read, a download or the erase wait stops as Stop does, a
// write or an upload finishes; a pending question is answered No; the window closes once the
// operation has ended, and only a close by the user then asks about changed settings.
TEST_F(DeviceCommandsTest, ClosingDuringAnOperationFollowsOneRule) {
    const QString waiting = "The window closes once the operation has ended.";
    enum class By { User, Terminate, HangUp, UserAtTheQuestion };
    const struct {
        CommandButton button;
        int closeAt;  // exchange
        By by;
        const char* lastLine;
        int asksAfter;  // questions about changed settings once the operation has ended
    } rows[] = {
        {CommandButton::ReadConfig, 10, By::User, "Configuration read stopped before page 11/256.",
         1},
        {CommandButton::ReadMemory, 100, By::Terminate,
         "GPS memory download stopped before page 101/16384.", 0},
        {CommandButton::ReadMemory, 16384, By::User, "Tracker GPS memory read success.", 1},
        {CommandButton::EraseMemory, 2, By::User,
         "Erase wait stopped after poll 1/20. The tracker may still be erasing; its GPS memory "
         "is not usable until it has finished.",
         1},
        {CommandButton::EraseMemory, 0, By::UserAtTheQuestion, "Erase cancelled.", 1},
        {CommandButton::WriteConfig, 300, By::HangUp, "Eeprom write success", 0},
        {CommandButton::WriteConfig, 300, By::User, "Eeprom write success", 0},  // kept
        {CommandButton::UploadFirmware, 10, By::User, "Firmware upgrade success", 1},
    };
    QTemporaryDir dir;
    dialogs.fileAnswer = dir.filePath("track.log");
    dialogs.saveAnswer = SaveChoice::Discard;
    tracker.setErasePollsUntilDone(0);
    const auto asks = [this] { return dialogs.events.filter("ask to save").size(); };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lastLine);
        w.show();
        w.keepSettings();
        w.form().setText("Position_status_text", QString("changed %1").arg(row.lastLine));
        QFile::remove(*dialogs.fileAnswer);
        dialogs.events.clear();
        dialogs.questionAnswer = true;
        dialogs.questionCancelled = false;
        const int exchangesBefore = tracker.exchanges();
        qsizetype asksAtClose = -1;
        const auto close = [&] {
            asksAtClose = asks();
            if (row.by == By::User || row.by == By::UserAtTheQuestion) {
                w.close();
            } else {
#ifdef Q_OS_UNIX
                watchTerminationSignals(&w, [this] { w.closeOnSignal(); });
                std::raise(row.by == By::Terminate ? SIGTERM : SIGHUP);
                QCoreApplication::processEvents();  // the signal's note reaches the window
#else
                w.closeOnSignal();
#endif
            }
        };
        int exchanges = 0;
        onEveryExchange([&] {
            if (++exchanges == row.closeAt) {
                close();
            }
        });
        dialogs.onQuestion = row.by == By::UserAtTheQuestion ? std::function<void()>(close)
                                                             : std::function<void()>();
        const qsizetype waitingBefore = logLines().count(waiting);
        qsizetype asksAtEnd = -1;
        QObject::connect(&w, &MainWindow::operationFinished, &w, [&] { asksAtEnd = asks(); });
        press(row.button);
        QObject::disconnect(&w, &MainWindow::operationFinished, &w, nullptr);
        QCoreApplication::processEvents();  // the close that waited for the end
#ifdef Q_OS_UNIX
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGHUP, SIG_DFL);
#endif

        EXPECT_EQ(logLines().last(), row.lastLine);
        EXPECT_EQ(logLines().count(waiting), waitingBefore + 1);
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(asksAtEnd, asksAtClose) << "no question before the operation has ended";
        EXPECT_EQ(asks(), asksAtClose + row.asksAfter);
        EXPECT_TRUE(dialogs.events.filter("Show the track").isEmpty());
        if (row.by == By::UserAtTheQuestion) {
            EXPECT_EQ(tracker.exchanges(), exchangesBefore) << "nothing sent after the No";
        }
    }
}

// While a write runs the settings take no keystroke and no pick; what counts as kept is what
// the tracker now holds.
TEST_F(DeviceCommandsTest, InputDuringAWriteChangesNothingAndWhatWasWrittenIsKept) {
    auto* call = w.findChild<QLineEdit*>("Callsign");
    auto* alias = w.findChild<QLineEdit*>("Alias2_name");  // on a sub-page
    auto* ptt = w.findChild<QComboBox*>("Ptt");
    w.form().setText("Callsign", "SP3ABC");
    int exchanges = 0;
    onEveryExchange([&] {
        if (++exchanges == 300) {
            EXPECT_TRUE(w.form().isEnabled("Callsign")) << "the field's own state is kept";
            QTest::keyClicks(call, "X");
            QTest::keyClicks(alias, "X");
            QTest::keyClick(ptt, Qt::Key_Down);
        }
    });
    press(CommandButton::WriteConfig);
    EXPECT_EQ(logLines().last(), "Eeprom write success");
    EXPECT_EQ(call->text(), "SP3ABC");
    EXPECT_EQ(alias->text(), "");
    EXPECT_EQ(ptt->currentIndex(), setting("Ptt").defaultIndex);
    EXPECT_FALSE(w.settingsChanged());
    MemoryForm held;
    applyStartupDefaults(held);
    ASSERT_TRUE(DecodeImage(held, tracker.eeprom(), {}).ok);
    EXPECT_TRUE(compareSettings(w.form(), held).empty());
}

// "Read config" and "Read from file" over changed settings ask first; Cancel reads nothing.
TEST_F(DeviceCommandsTest, ReadingOverChangedSettingsAsksFirst) {
    QTemporaryDir dir;
    dialogs.fileAnswer = dir.filePath("mine.cfg");
    press(CommandButton::SaveToFile);
    for (CommandButton button : {CommandButton::ReadConfig, CommandButton::ReadFromFile}) {
        for (SaveChoice answer : {SaveChoice::Cancel, SaveChoice::Discard}) {
            w.form().setText("Callsign", "SP3ABC");
            dialogs.saveAnswer = answer;
            dialogs.events.clear();
            dialogs.fileRequests.clear();
            const int opened = static_cast<int>(tracker.openedPaths().size());
            press(button);
            EXPECT_TRUE(dialogs.events.value(0).startsWith("ask to save: "));
            const bool read = answer == SaveChoice::Discard;
            EXPECT_EQ(w.form().text("Callsign") == "SP3ABC", !read);
            EXPECT_EQ(static_cast<int>(tracker.openedPaths().size()) > opened,
                      read && button == CommandButton::ReadConfig);
            EXPECT_EQ(dialogs.fileRequests.empty(), !read || button == CommandButton::ReadConfig);
        }
    }
}

// Closing with changed settings asks; Cancel, or a save not done, keeps window and settings.
TEST_F(DeviceCommandsTest, ClosingWithChangedSettingsAsks) {
    QTemporaryDir dir;
    w.form().setText("Callsign", "SP3ABC");
    for (const auto& [answer, file] :
         std::vector<std::pair<SaveChoice, QString>>{{SaveChoice::Cancel, ""},
                                                     {SaveChoice::Save, ""},
                                                     {SaveChoice::Discard, ""},
                                                     {SaveChoice::Save, dir.filePath("a.cfg")}}) {
        w.show();
        dialogs.events.clear();
        dialogs.saveAnswer = answer;
        dialogs.fileAnswer = file.isEmpty() ? std::nullopt : std::optional(file);
        w.close();
        EXPECT_EQ(dialogs.events.size(), 1);
        EXPECT_EQ(w.isVisible(), answer != SaveChoice::Discard && file.isEmpty());
        EXPECT_EQ(w.form().text("Callsign"), "SP3ABC");
        EXPECT_EQ(QFile::exists(dir.filePath("a.cfg")), !file.isEmpty());
    }
}

TEST_F(DeviceCommandsTest, SaveAndReadFileButtonsAreWired) {
    QTemporaryDir dir;
    dialogs.fileAnswer = dir.filePath("mine.cfg");
    w.form().setText("Callsign", "SP3ABC");
    press(CommandButton::SaveToFile);
    w.form().setText("Callsign", "OTHER");
    dialogs.saveAnswer = SaveChoice::Discard;
    press(CommandButton::ReadFromFile);
    EXPECT_EQ(w.form().text("Callsign"), "SP3ABC");
    EXPECT_TRUE(dialogs.errors.isEmpty());

    // A value the file cannot give: the file is read all the same, and the log says so.
    QFile file(dir.filePath("mine.cfg"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray edited =
        file.readAll().replace("TXdelay=250", "TXdelay=5OO").replace("Squelch=0", "Squelch=99");
    file.resize(0);
    file.write(edited);
    file.close();
    w.form().setText("Callsign", "OTHER");
    press(CommandButton::ReadFromFile);
    EXPECT_EQ(w.form().text("Callsign"), "SP3ABC");
    EXPECT_TRUE(logLines().contains(
        "Radio \u203A TX delay [ms]: line 10: TXdelay=5OO is not a whole number; the default 250 "
        "is used instead."));

    // ...and the fields that got their default say so until they are changed; meanwhile
    // "Write config" asks, and a no writes nothing.
    auto* txdelay = w.findChild<QLineEdit*>("Txdelay");
    EXPECT_TRUE(txdelay->toolTip().endsWith(w.fieldMarks().defaultUsed("Txdelay")));
    EXPECT_EQ(w.fieldMarks().settingsWithDefaults(),
              (std::vector<std::string>{"Txdelay", "Squelch"}));
    press(CommandButton::WriteConfig);
    EXPECT_TRUE(dialogs.questions.value(0).startsWith("Write config: 2 of the settings hold"));
    EXPECT_TRUE(tracker.requests().empty());
    txdelay->setText("300");  // as typed
    EXPECT_EQ(w.fieldMarks().settingsWithDefaults(), std::vector<std::string>{"Squelch"});
    press(CommandButton::ReadConfig);
    press(CommandButton::WriteConfig);
    EXPECT_EQ(dialogs.questions.size(), 1);  // no more marks, no more questions
    EXPECT_EQ(logLines().last(), "Eeprom write success");
}

TEST_F(DeviceCommandsTest, CancelledFileDialogsDoNothing) {
    for (CommandButton button :
         {CommandButton::SaveToFile, CommandButton::ReadFromFile, CommandButton::ReadMemory}) {
        dialogs.fileAnswer = std::nullopt;
        w.form().setText("Callsign", "SP3ABC");
        w.keepSettings();  // no question before the file dialog
        press(button);
        EXPECT_EQ(dialogs.fileRequests.size(), 1u);
        dialogs.fileRequests.clear();
        EXPECT_EQ(w.form().text("Callsign"), "SP3ABC");
        EXPECT_TRUE(logLines().join("").isEmpty());
        EXPECT_TRUE(dialogs.events.isEmpty());
        EXPECT_TRUE(tracker.openedPaths().empty());
    }
}

TEST_F(DeviceCommandsTest, DefaultBuildCarriesNoFirmware) {
    session.firmwareSource = embeddedFirmware;
    press(CommandButton::UploadFirmware);
    EXPECT_EQ(dialogs.informations, QStringList{"Firmware resource not found (FindResource)."});
    EXPECT_TRUE(tracker.firmwarePages().empty());
    EXPECT_TRUE(allButtonsEnabled(true));
}

// The window and the tool say the same lines and the tool exits with 1, but that the window
// shows each run of page lines as its last and has its own hint when no tracker is found, and
// says a failure the user did not choose in a box as well. Questions are answered No (but in the
// upload cut short), so that one asked where none should be shows.
TEST(WindowAndTool, FailuresSayWhatHappenedAndWhatToDo) {
    const QString found = "Veltromark found, vid: Vid_0483, pid: A04D";
    const QString readError = "Eeprom read error. Please reload configuration.";
    const auto withPages = [&found](const char* what, int last, int total, QStringList tail) {
        QStringList lines{found};
        for (int n = 1; n <= last; ++n) {
            lines << QStringLiteral("%1: %2/%3").arg(what).arg(n).arg(total);
        }
        return lines + tail;
    };
    const auto inTheWindow = [](QStringList lines) {
        for (qsizetype i = lines.size() - 1; i > 0; --i) {
            if (lines[i].startsWith("Page ") &&
                lines[i - 1].section(':', 0, 0) == lines[i].section(':', 0, 0)) {
                lines.removeAt(i - 1);
            }
        }
        return lines.replaceInStrings(QRegularExpression(".*veltromark-cli list.*"),
                                      windowOpenHints().notFound);
    };
    EXPECT_TRUE(windowOpenHints().notFound.contains("check the cable"));
    using B = CommandButton;
    const struct {
        QString fault;  // --simulate-fault
        CommandButton button;
        QStringList log;  // the whole activity log, and all the tool says
    } rows[] = {
        {"noopen",
         B::ReadConfig,
         {found, "Cannot open the device: permission denied.",
          "The udev rule 70-veltromark.rules gives you access to the tracker: the package "
          "installs it; otherwise copy it to /etc/udev/rules.d/, run \"sudo udevadm control "
          "--reload-rules\", then unplug the tracker and plug it in again."}},
        {"busy",
         B::EraseMemory,
         {found, "Cannot open the device: it is in use by another program.",
          "Close the other program that has the tracker open, then try again."}},
        {"absent",
         B::UploadFirmware,
         {"Veltromark not found.",
          "Is the tracker plugged in? \"veltromark-cli list\" shows what the system sees."}},
        {"badsum@3", B::ReadConfig,
         withPages("Page read", 2, 256, {"Page read error: 3/256", readError})},
        {"badsum@41", B::ReadConfig,
         withPages("Page read", 40, 256, {"Page read error: 41/256", readError})},
        {"noreply@5", B::UploadFirmware,
         withPages("Page written", 4, 1408,
                   {"Page write error: 5/1408",
                    "Firmware upgrade incomplete: the tracker now holds partial firmware. "
                    "Uploading the firmware again puts it right."})},
        {"", B::EraseMemory, {found, "Erase cancelled."}},
        {"", B::UploadFirmware, {found, "Firmware upload cancelled."}},
    };
    // The tool checks its output before anything else; a failed read leaves none there.
    const QTemporaryDir folder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.log.last().toStdString());
        const bool answer = row.fault == "noreply@5";
        TestWindow t;
        SimulatedTracker tracker;
        DeviceSession session(tracker);
        session.firmwareSource = demoFirmware;
        QStringList arguments =
            QStringList{"veltromark-cli", "--simulate"} +
            (row.button == B::ReadConfig    ? QStringList{"read-config", folder.filePath("out.cfg")}
             : row.button == B::EraseMemory ? QStringList{"erase-gps"}
                                            : QStringList{"upload-firmware"});
        if (!row.fault.isEmpty()) {
            injectSimulatedFault(tracker, *parseSimulatedFault(row.fault));
            arguments << "--simulate-fault" << row.fault;
        }
        attachCommands(*t.window, session);
        t.dialogs->questionAnswer = answer;
        t.window->commandButton(row.button)->click();
        waitForOperation(*t.window);
        const QStringList shown = inTheWindow(row.log);
        EXPECT_EQ(t.window->activityLog()->toPlainText().split('\n'), shown);
        const QString caption = t.window->commandButton(row.button)->text().remove('&');
        EXPECT_EQ(t.dialogs->errors, row.fault.isEmpty()
                                         ? QStringList()  // the user's choice
                                         : QStringList{caption + ": " + shown.last(2).join('\n')});

        QByteArray said;
        CliSink sink([&said](const QByteArray& text) { said += text; }, false);
        const Ask terminal = [answer](const Question&) { return std::optional<bool>(answer); };
        EXPECT_EQ(runCli(arguments, sink, {}, terminal), 1);
        sink.finish();
        EXPECT_EQ(QString::fromUtf8(said).split('\n', Qt::SkipEmptyParts), row.log);
    }
}

// The track view takes regular files only, no larger than a log or dump can be, and tells why
// it refuses one at once: a FIFO would wait for a writer, a device never end. Save GPX waits.
TEST(TrackViewInputs, RefusesWhatCannotBeALogOrADump) {
    testApplication();
    RecordingDialogs dialogs;
    const std::vector<std::uint8_t> noDownload;
    TrackViewWindow view(dialogs, QStringLiteral("/opt/vm"), noDownload);
    QTemporaryDir dir;
    const auto sized = [&dir](const char* name, qint64 size) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
        return file.fileName();
    };
    using Action = TrackViewWindow::Action;
    const qint64 largestLog = 3 * 20480 * 2 * 82;
    std::vector<std::tuple<Action, QString, QString>> cases = {
        // what, which file, the error
        {Action::OpenLog, sized("limit.log", largestLog), ""},
        {Action::OpenLog, sized("big.log", largestLog + 1),
         dir.filePath("big.log") + " is too large for a GPS log (more than 10076160 bytes)."},
        {Action::OpenDump, sized("big.bin", 524289),
         dir.filePath("big.bin") +
             " is larger than the GPS memory (524288 bytes): not a memory dump."},
        {Action::OpenLog, dir.path(), "Cannot open " + dir.path() + ": a folder, not a file."},
    };
#ifdef Q_OS_UNIX
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("pipe.log")).constData(), 0600), 0);
    cases.emplace_back(
        Action::OpenLog, dir.filePath("pipe.log"),
        "Cannot open " + dir.filePath("pipe.log") + ": a named pipe (FIFO), not a file.");
    cases.emplace_back(Action::OpenDump, "/dev/zero",
                       "Cannot open /dev/zero: a device, not a file.");
#endif
    for (const auto& [action, path, error] : cases) {
        dialogs.errors.clear();
        dialogs.fileAnswer = path;
        view.button(action)->click();
        EXPECT_EQ(dialogs.errors,
                  error.isEmpty() ? QStringList{} : QStringList{"Track view: " + error});
        EXPECT_FALSE(view.button(Action::SaveGpx)->isEnabled());
    }
}

}  // namespace

// One broken field per page: the field, its sub-page button and its tab are marked as soon
// as the value is set, "Write config" refuses with the box it always shows and then opens
// that field's page with the field focused and its text selected; putting the value right
// takes every mark away.
TEST_F(DeviceCommandsTest, BrokenFieldsAreMarkedAndARefusedWriteLeadsToThem) {
    const struct {
        const char* setting;
        QString bad;
        QString box;  // "information: ..." or "error: ..."
    } cases[] = {
        {"Txdelay", "199", "information: Preamble len - range error (200 - 1000)."},
        {"Position_report_interval", "14",
         "information: Position report interval range error (15 - 3600)."},
        {"Alias1_ssid", "16", "information: Digipeater alias 1 - SSID range error (0 - 15)."},
        {"Beacon2_txrate", "0", "information: Beacon 2 tx rate range error (5 - 1440)."},
        {"Tele_holdoff", "1x",
         "error: Veltromark Configurator: '1x' is not a valid integer value."},
        {"Weather_txrate", "4", "information: Weather report tx rate range error (5 - 1440)."},
        {"Position_store_interval", "0",
         "information: GPS memory position store interval range error (1 - 3600)."},
        {"Position_status_text", "Za\u017c\u00f3\u0142\u0107",
         "information: Status text - characters the tracker cannot store: \u017c \u0142 \u0107"},
        {"Callsign", "A B", "information: Callsign - not a call (A-Z, 0-9, up to 6)."},
    };
    QTabWidget* tabs = w.settingsPages();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        const SettingDef& def = setting(c.setting);
        auto* field =
            qobject_cast<QLineEdit*>(w.findChild<QWidget*>(QString::fromStdString(c.setting)));
        ASSERT_NE(field, nullptr);
        const QString hint = field->toolTip();
        tabs->setCurrentIndex(def.page == Page::Radio ? 1 : 0);
        field->setText(c.bad);

        const QString problem = w.fieldMarks().problem(c.setting);
        EXPECT_FALSE(problem.isEmpty());
        EXPECT_EQ(field->toolTip(), settingPlace(def) + ": " + problem);
        EXPECT_FALSE(field->styleSheet().isEmpty());
        EXPECT_FALSE(tabs->tabIcon(static_cast<int>(def.page)).isNull());
        SubPageControl* sub = w.subPageControl(def.page);
        if (sub != nullptr) {
            const int own =
                static_cast<int>(sub->captions().indexOf(QString::fromStdString(def.subPage)));
            for (int k = 0; k < sub->count(); ++k) {
                EXPECT_EQ(!sub->button(k)->icon().isNull(), k == own) << k;
            }
            sub->setCurrentIndex(own == 0 ? 1 : 0);
        }

        dialogs.events.clear();
        press(CommandButton::WriteConfig);
        EXPECT_EQ(dialogs.events, QStringList{c.box});
        EXPECT_EQ(tabs->currentIndex(), static_cast<int>(def.page));
        if (sub != nullptr) {
            EXPECT_EQ(sub->captions().value(sub->currentIndex()).toStdString(), def.subPage);
        }
        EXPECT_EQ(w.focusWidget(), field);
        EXPECT_EQ(field->selectedText(), c.bad);

        field->setText(def.defaultText);
        EXPECT_TRUE(w.fieldMarks().problem(c.setting).isEmpty());
        EXPECT_EQ(field->toolTip(), hint);
        EXPECT_TRUE(field->styleSheet().isEmpty());
        for (int i = 0; i < tabs->count(); ++i) {
            EXPECT_TRUE(tabs->tabIcon(i).isNull()) << i;
        }
    }

    // Text outside ASCII that the image takes is a warning only: dashed, no page icon.
    auto* message = w.findChild<QWidget*>("Position_status_text");
    ASSERT_NE(message, nullptr);
    w.form().setText("Position_status_text", QString::fromUtf8("Caf\u00e9"));
    EXPECT_TRUE(w.fieldMarks().problem("Position_status_text").isEmpty());
    EXPECT_TRUE(message->toolTip().endsWith(w.fieldMarks().warning("Position_status_text")));
    EXPECT_FALSE(w.fieldMarks().warning("Position_status_text").isEmpty());
    EXPECT_TRUE(message->styleSheet().contains("dashed"));
    EXPECT_TRUE(tabs->tabIcon(static_cast<int>(setting("Position_status_text").page)).isNull());
    w.form().setText("Position_status_text", "Cafe");
    EXPECT_TRUE(w.fieldMarks().warning("Position_status_text").isEmpty());
    EXPECT_TRUE(message->styleSheet().isEmpty());

    // "Save to file" refuses a number that is not a whole number, and leads to it too.
    QTemporaryDir dir;
    dialogs.fileAnswer = dir.filePath("veltromark.cfg");
    auto* rate = w.findChild<QLineEdit*>("Weather_txrate");
    rate->setText("5 min");
    tabs->setCurrentIndex(0);
    press(CommandButton::SaveToFile);
    EXPECT_EQ(tabs->currentIndex(), static_cast<int>(Page::WeatherReports));
    EXPECT_EQ(w.focusWidget(), rate);
    EXPECT_FALSE(QFile::exists(dir.filePath("veltromark.cfg")));
}

// "Compare with file…" lists exactly the settings changed in the window, and a double click
// on a row leads to that field.
TEST_F(DeviceCommandsTest, CompareWithFileListsTheChangesAndLeadsToTheField) {
    QTemporaryDir dir;
    dialogs.fileAnswer = dir.filePath("veltromark.cfg");
    press(CommandButton::SaveToFile);
    ASSERT_TRUE(QFile::exists(*dialogs.fileAnswer));

    w.compareButton()->click();
    EXPECT_EQ(dialogs.informations.value(0),
              "The settings in the window and in veltromark.cfg are the same.");
    // An image is read as one, as the tool's diff reads it: by its name or by what it holds.
    ConfigImage image{};
    ASSERT_FALSE(EncodeSettings(w.form(), 0, image));
    for (const QString name : {"image.bin", "image.dat"}) {
        QFile out(dir.filePath(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
        out.close();
        dialogs.informations.clear();
        dialogs.fileAnswer = out.fileName();
        w.compareButton()->click();
        EXPECT_EQ(dialogs.informations,
                  QStringList{"The settings in the window and in " + name + " are the same."});
    }

    w.form().setText("Txdelay", "300");
    w.form().setIndex("Ptt", 1);
    w.form().setText("Beacon2_message", " hello ");
    QStringList rows;
    w.settingsPages()->setCurrentIndex(3);
    dialogs.onModal = [&rows](QDialog* window) {
        auto* list = window->findChild<QTreeWidget*>("CompareList");
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            rows << item->text(0) + ": " + item->text(1) + " | " + item->text(2);
        }
        window->show();
        const QPoint ptt = list->visualItemRect(list->topLevelItem(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, ptt);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, ptt);
    };
    w.compareButton()->click();
    EXPECT_EQ(rows, (QStringList{
                        "Radio \u203A TX delay [ms]: \"300\" | \"250\"",
                        "Radio \u203A PTT: 2k2 resistor | separate output",
                        "Beacons \u203A Beacon 2 \u203A Message (empty fields are ignored): "
                        "\" hello \" | \"!<statlat>/<statlong>>Veltromark U=<volt>V.\"",
                    }));
    EXPECT_EQ(w.settingsPages()->currentIndex(), static_cast<int>(Page::Radio));
    EXPECT_EQ(w.focusWidget(), w.findChild<QWidget*>("Ptt"));
}
