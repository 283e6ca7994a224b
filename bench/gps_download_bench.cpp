// A full GPS memory download (16,384 pages) against a zero-latency simulated tracker, once
// through the recording sink and once through the real main window (offscreen), to
// show what the window adds per page and how long the window goes without handling events
// (the download runs on the operation thread; the window takes its lines in batches).
// Then ten downloads in a row through the window, for the memory the activity log takes.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/gps_download_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/device_commands.h"
#include "app/main_window.h"
#include "bench_dialogs.h"
#include "recording_sink.h"
#include "sim/simulated_tracker.h"

namespace {

constexpr int kPages = 16384;

long residentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

double fakeSinkMicrosPerPage(const QString& path) {
    SimulatedTracker tracker;
    tracker.setRecording(false);
    DeviceLink link(tracker);
    GpsBuffer buffer;
    RecordingSink host;
    QElapsedTimer clock;
    clock.start();
    downloadGpsMemory(link, host, {}, path, buffer);
    const double micros = clock.nsecsElapsed() / 1000.0;
    if (host.logLines.last() != "Tracker GPS memory read success.") {
        std::fprintf(stderr, "recording sink download failed\n");
    }
    return micros / kPages;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.log");

    // Warm-up, then the baseline.
    fakeSinkMicrosPerPage(path);
    const double fake = fakeSinkMicrosPerPage(path);

    SimulatedTracker tracker;
    tracker.setRecording(false);
    DeviceSession session(tracker);
    MainWindow window(std::make_unique<BenchDialogs>(path));
    attachCommands(window, session);
    window.show();
    QApplication::processEvents();
    QPushButton* read = window.commandButton(CommandButton::ReadMemory);

    // A zero-interval timer fires on every pass of event processing: the longest time between
    // two of its shots is the longest the window went without handling events.
    QElapsedTimer sinceShot;
    qint64 longestGapNs = 0;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestGapNs = std::max(longestGapNs, sinceShot.nsecsElapsed());
        sinceShot.start();
    });

    probe.start();
    sinceShot.start();
    QElapsedTimer clock;
    clock.start();
    read->click();
    untilOperationEnds(window);
    const double windowMicros = clock.nsecsElapsed() / 1000.0 / kPages;
    longestGapNs = std::max(longestGapNs, sinceShot.nsecsElapsed());
    probe.stop();

    std::printf("GPS memory download, %d pages, zero-latency simulated tracker\n", kPages);
    std::printf("  recording sink:        %8.2f us/page\n", fake);
    std::printf("  main window:           %8.2f us/page\n", windowMicros);
    std::printf("  window / fake:         %8.2f x\n", windowMicros / fake);
    std::printf("  window adds:           %8.2f us/page (goal <= 20, 2%% of a 1 ms USB frame)\n",
                windowMicros - fake);
    std::printf("  longest event gap:     %8.2f ms (goal <= 50)\n", longestGapNs / 1e6);

    const long before = residentKiB();
    const int linesBefore = window.activityLog()->blockCount();
    for (int i = 0; i < 10; ++i) {
        read->click();
        untilOperationEnds(window);
        untilOperationEnds(window);
    }
    const long after = residentKiB();
    const int lines = window.activityLog()->blockCount() - linesBefore;
    std::printf("After 10 more downloads (%d log lines):\n", lines);
    std::printf("  resident memory:       %8.1f MiB (%+.1f MiB)\n", after / 1024.0,
                (after - before) / 1024.0);
    std::printf("  per log line:          %8.1f bytes\n", (after - before) * 1024.0 / lines);
    return 0;
}
