// The window and the tool against the same failing tracker: each says the same lines, in the
// same order, and the tool ends with the status of the row.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>

#include "app/device_commands.h"
#include "app_test_support.h"
#include "cli/cli_sink.h"
#include "cli/command_line.h"
#include "operations/firmware_resource.h"
#include "sim/simulated_tracker.h"

namespace {

constexpr const char* kFound = "Veltromark found, vid: Vid_0483, pid: A04D";

QStringList pages(const char* what, int first, int last, int total) {
    QStringList lines;
    for (int n = first; n <= last; ++n) {
        lines << QStringLiteral("%1: %2/%3").arg(what).arg(n).arg(total);
    }
    return lines;
}

struct Row {
    const char* name;
    CommandButton button;
    QStringList command;  // veltromark-cli's arguments, after which --simulate follows
    QString fault;        // --simulate-fault, empty for none
    QString device;       // --device, empty for the first tracker
    bool answer;          // to the question, in the window and on the terminal
    int questions;        // how many were asked: none before the tracker is open
    QStringList lines;    // the whole activity log, and all the tool says
    int status;           // the tool's exit status
};

// What the window logs and shows after one press of `row.button`.
QStringList inTheWindow(const Row& row, QString* callsign, int* questions) {
    TestWindow t;
    SimulatedTracker tracker;
    DeviceSession session(tracker);
    session.firmwareSource = demoFirmware;
    session.link.choosePath(row.device.toStdString());
    if (!row.fault.isEmpty()) {
        injectSimulatedFault(tracker, *parseSimulatedFault(row.fault));
    }
    tracker.setErasePollsUntilDone(1);
    attachCommands(*t.window, session);
    t.dialogs->questionAnswer = row.answer;
    t.window->commandButton(row.button)->click();
    *callsign = t.window->form().text("Callsign");
    *questions = static_cast<int>(t.dialogs->questions.size());
    QStringList said = t.window->activityLog()->toPlainText().split('\n', Qt::SkipEmptyParts);
    for (const QString& event : t.dialogs->events) {
        if (!event.startsWith("question: ")) {
            said << event;  // a box the tool would print as a line
        }
    }
    return said;
}

// What the tool says, and its exit status.
QStringList inTheTool(const Row& row, int* status, int* questions) {
    QStringList arguments{"veltromark-cli"};
    arguments << row.command << "--simulate";
    if (!row.fault.isEmpty()) {
        arguments << "--simulate-fault" << row.fault;
    }
    if (!row.device.isEmpty()) {
        arguments << "--device" << row.device;
    }
    QByteArray text;
    CliSink sink([&text](const QByteArray& chunk) { text += chunk; }, false);
    const Ask terminal = [&row, questions](const Question&) {
        ++*questions;
        return std::optional<bool>(row.answer);
    };
    *status = runCli(
        arguments, sink, [](const QByteArray&) {}, terminal);
    sink.finish();
    return QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
}

TEST(WindowAndTool, FailuresSayWhatHappenedAndWhatToDo) {
    const QString readError = "Eeprom read error. Please reload configuration.";
    const Row rows[] = {
        {"found but the user may not open it",
         CommandButton::ReadConfig,
         {"read-config", "/nonexistent/out.cfg"},
         "noopen",
         {},
         true,
         0,
         {kFound, "Cannot open the device: permission denied.",
#ifdef Q_OS_WIN
          "Windows refused access to the tracker: close any other program that uses it, or "
          "unplug the tracker and plug it in again."},
#else
          "The udev rule 70-veltromark.rules gives you access to the tracker: the package "
          "installs it; otherwise copy it to /etc/udev/rules.d/, run \"sudo udevadm control "
          "--reload-rules\", then unplug the tracker and plug it in again."},
#endif
         1},
        {"found but in use by another program",
         CommandButton::EraseMemory,
         {"erase-gps"},
         "busy",
         {},
         true,
         0,
         {kFound, "Cannot open the device: it is in use by another program.",
          "Close the other program that has the tracker open, then try again."},
         1},
        {"not found: no question asked",
         CommandButton::EraseMemory,
         {"erase-gps"},
         {},
         "sim:elsewhere",
         true,
         0,
         {"Veltromark not found.",
          "Is the tracker plugged in? \"veltromark-cli list\" shows what the system sees."},
         1},
        {"a page error early in a read",
         CommandButton::ReadConfig,
         {"read-config", "/nonexistent/out.cfg"},
         "badsum@3",
         {},
         true,
         0,
         QStringList{kFound} + pages("Page read", 1, 2, 256) +
             QStringList{"Page read error: 3/256", readError},
         1},
        {"a page error past the checked region of a read",
         CommandButton::ReadConfig,
         {"read-config", "/nonexistent/out.cfg"},
         "badsum@41",
         {},
         true,
         0,
         QStringList{kFound} + pages("Page read", 1, 40, 256) +
             QStringList{"Page read error: 41/256", readError},
         1},
        {"an upload cut at page 5",
         CommandButton::UploadFirmware,
         {"upload-firmware"},
         "noreply@5",
         {},
         true,
         1,
         QStringList{kFound} + pages("Page written", 1, 4, 1408) +
             QStringList{"Page write error: 5/1408",
                         "Firmware upgrade incomplete: the tracker now holds partial firmware. "
                         "Uploading the firmware again puts it right."},
         1},
        {"an erase the user says no to",
         CommandButton::EraseMemory,
         {"erase-gps"},
         {},
         {},
         false,
         1,
         {kFound, "Erase cancelled."},
         1},
        {"an upload the user says no to",
         CommandButton::UploadFirmware,
         {"upload-firmware"},
         {},
         {},
         false,
         1,
         {kFound, "Firmware upload cancelled."},
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QString callsign;
        int asked = 0;
        EXPECT_EQ(inTheWindow(row, &callsign, &asked), row.lines);
        EXPECT_EQ(asked, row.questions);
        // A read that failed leaves the settings as they were.
        EXPECT_EQ(callsign, "NOCALL");
        int status = -1;
        asked = 0;
        EXPECT_EQ(inTheTool(row, &status, &asked), row.lines);
        EXPECT_EQ(asked, row.questions);
        EXPECT_EQ(status, row.status);
    }
}

}  // namespace
