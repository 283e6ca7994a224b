// How long the main window goes without handling events while each device operation runs:
// read config, write config, firmware upload, GPS download and erase against a simulated
// tracker that answers after 1 ms and sleeps for real (as the demo build does), then a GPS
// download from a tracker that stops answering at page 100, then a download stopped with the
// Stop button. A zero-interval timer in the window's event loop fires on every pass of event
// processing; the longest time between two of its shots is the figure, against the goal of
// 50 ms.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/operation_event_gap_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "app/device_commands.h"
#include "app/main_window.h"
#include "bench_dialogs.h"
#include "operations/firmware_resource.h"
#include "sim/simulated_tracker.h"

namespace {

constexpr double kGoalMs = 50;

// The longest time between two shots of a zero-interval timer, from start() on.
class EventGapProbe {
  public:
    EventGapProbe() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { shot(); });
    }
    void start() {
        longestNs_ = 0;
        sinceShot_.start();
        timer_.start();
    }
    double stopMs() {
        shot();
        timer_.stop();
        return longestNs_ / 1e6;
    }

  private:
    void shot() {
        longestNs_ = std::max(longestNs_, sinceShot_.nsecsElapsed());
        sinceShot_.start();
    }

    QTimer timer_;
    QElapsedTimer sinceShot_;
    qint64 longestNs_ = 0;
};

QString lastLine(const MainWindow& window) {
    return window.activityLog()->document()->lastBlock().text();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QTemporaryDir dir;

    SimulatedTracker tracker;
    tracker.setLatency(std::chrono::milliseconds(1));
    tracker.setWait(SimulatedTracker::realSleep());
    tracker.setErasePollsUntilDone(3);
    tracker.setRecording(false);
    DeviceSession session(tracker);
    session.firmwareSource = demoFirmware;
    session.backupFolder = dir.filePath("backups");
    MainWindow window(std::make_unique<BenchDialogs>(dir.filePath("bench.log"), true));
    attachCommands(window, session);
    window.show();
    QApplication::processEvents();

    int exchangesAtStop = -1;
    const struct {
        const char* name;
        CommandButton button;
        std::function<void()> prepare;
    } runs[] = {
        {"read config", CommandButton::ReadConfig, {}},
        {"write config", CommandButton::WriteConfig, {}},
        {"firmware upload", CommandButton::UploadFirmware, {}},
        {"GPS download", CommandButton::ReadMemory, {}},
        {"GPS erase (2 waits)", CommandButton::EraseMemory, {}},
        {"GPS download, silent from page 100", CommandButton::ReadMemory,
         [&tracker] {
             tracker.injectFault({.fault = SimulatedTracker::Fault::NoReply,
                                  .command = static_cast<int>(Command::GpsPageRead),
                                  .page = 99});
         }},
        {"GPS download, Stop after 2 s", CommandButton::ReadMemory,
         [&] {
             QTimer::singleShot(2000, &window, [&] {
                 exchangesAtStop = tracker.exchanges();
                 window.commandButton(CommandButton::ReadMemory)->click();
             });
         }},
    };

    std::printf("Longest time the window went without handling events (goal <= %.0f ms)\n",
                kGoalMs);
    std::printf("  %-36s %9s %9s %7s  %s\n", "operation", "time [s]", "gap [ms]", "/ goal",
                "last line");
    EventGapProbe probe;
    double worst = 0;
    for (const auto& run : runs) {
        if (run.prepare) {
            run.prepare();
        }
        const int exchangesBefore = tracker.exchanges();
        QElapsedTimer clock;
        clock.start();
        probe.start();
        window.commandButton(run.button)->click();
        const double gap = probe.stopMs();
        worst = std::max(worst, gap);
        std::printf("  %-36s %9.2f %9.2f %7.2f  %s (%d exchanges)\n", run.name,
                    clock.nsecsElapsed() / 1e9, gap, gap / kGoalMs, qPrintable(lastLine(window)),
                    tracker.exchanges() - exchangesBefore);
        tracker.clearFaults();
    }
    std::printf("  worst: %.2f ms, %.2f of the goal\n", worst, worst / kGoalMs);
    std::printf("Pages read after Stop was pressed: %d (goal <= 1)\n",
                tracker.exchanges() - exchangesAtStop);
    return worst <= kGoalMs ? 0 : 1;
}
