// How long the track view takes to open and to repaint the largest tracks it accepts: a full
// GPS memory (20,480 points of a drive), the largest NMEA log it takes filled with the
// shortest lines a track can be made of, and the same number of points scattered at random
// (no point near the one before, nothing to leave out). Each repaint draws the map and the
// two profiles at the window's size; the figure is the median of several, beside the
// repaint of an empty view measured in the same run.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/track_view_bench [DIR]
// With DIR, the view of each track is saved there as PNG (0.png, 1.png, 2.png) for a look.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

#include "app/dialog_provider.h"
#include "app/track_view_window.h"
#include "gps/nmea_log.h"

namespace {

// The track view's limit for a log: three times the log of a full memory.
constexpr qint64 kLargestLog = 3 * 20480 * 2 * 82;

// Dialogs that never show: every file dialog answers with the benchmark's file.
class BenchDialogs : public DialogProvider {
  public:
    void information(QWidget*, const QString&, const QString&) override {}
    void error(QWidget*, const QString& title, const QString& text) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool question(QWidget*, const QString&, const QString&) override { return false; }
    std::optional<QString> chooseFile(QWidget*, FileDialog, const FileDialogSetup&) override {
        return path;
    }
    void showModal(QDialog*) override {}
    QString path;
};

// A drive: a point every five seconds, wandering at town and road speeds.
QByteArray fullMemoryLog() {
    std::mt19937 random(11);
    std::normal_distribution<double> turn(0, 0.15);
    double lat = 52.38;
    double lon = 16.97;
    double heading = 0.5;
    QByteArray log;
    for (int i = 0; i < 20480; ++i) {
        const double knots = 10 + 30 * (0.5 + 0.5 * std::sin(i / 300.0));
        heading += turn(random);
        lat += std::cos(heading) * knots * 5 / 3600 / 60;
        lon += std::sin(heading) * knots * 5 / 3600 / 60 / std::cos(lat * M_PI / 180);
        const int seconds = 8 * 3600 + i * 5;
        GpsRecord r{};
        r.latitude = static_cast<std::int32_t>(
            std::lround((std::floor(lat) * 100 + (lat - std::floor(lat)) * 60) * 10000));
        r.longitude = static_cast<std::int32_t>(
            std::lround((std::floor(lon) * 100 + (lon - std::floor(lon)) * 60) * 10000));
        r.time = (seconds / 3600 % 24) * 10000 + (seconds / 60 % 60) * 100 + seconds % 60;
        r.date = (14 + seconds / 86400) * 10000 + 624;
        r.speed = static_cast<std::uint16_t>(knots * 100);
        r.altitude = static_cast<std::uint16_t>(800 + 200 * std::sin(i / 900.0));
        log += nmeaSentences(r);
    }
    return log;
}

// The largest log the view takes, of the shortest $GPRMC lines that make points with a time:
// a point a second, `scatter` false for a wandering walk, true for points anywhere.
QByteArray largestLog(bool scatter) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> step(-0.002, 0.002);
    std::uniform_real_distribution<double> anywhere(0, 30);
    double lat = 5030;  // 50°30', far from a whole degree: the walk stays valid
    double lon = 1630;
    QByteArray log;
    char text[96];
    for (int i = 0;; ++i) {
        lat = scatter ? 5015 + anywhere(random) : lat + step(random);
        lon = scatter ? 1615 + anywhere(random) : lon + step(random);
        const int s = i % 86400;
        const int n =
            std::snprintf(text, sizeof text, "$GPRMC,%02d%02d%02d,A,%.3f,N,%.3f,E,%d,0,%02d0624*",
                          s / 3600, s / 60 % 60, s % 60, lat, lon, i % 90, 1 + i / 86400 % 28);
        QByteArray line;
        appendNmeaLine(line, QByteArrayView(text, n));
        if (log.size() + line.size() > kLargestLog) {
            return log;
        }
        log += line;
    }
}

double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    work();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// The processor time this thread spent, in milliseconds: apart from the wall clock, what the
// work costs when other programs share the processor.
double threadMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Repaint {
    double wall = 0;  // milliseconds on the clock
    double cpu = 0;   // milliseconds of processor time
};

// The median of `runs` repaints of `widget`.
Repaint repaint(QWidget* widget, int runs) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const double before = threadMilliseconds();
        wall.push_back(millisecondsOf([&] { widget->render(&image); }));
        cpu.push_back(threadMilliseconds() - before);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

// The repaint of the map and the profiles together, and of each of them.
std::vector<Repaint> repaints(TrackViewWindow& view, int runs) {
    std::vector<Repaint> times{repaint(view.content(), runs)};
    for (QWidget* part : view.content()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        times.push_back(repaint(part, runs));
    }
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    BenchDialogs dialogs;
    const std::vector<std::uint8_t> noDownload;
    TrackViewWindow view(dialogs, dir.path(), noDownload);
    view.show();
    QApplication::processEvents();
    const double empty = repaint(view.content(), 5).wall;
    std::printf("track view %dx%d, empty view repaint %.2f ms\n", view.content()->width(),
                view.content()->height(), empty);

    const struct {
        const char* name;
        QByteArray log;
    } tracks[] = {
        {"full memory, a drive", fullMemoryLog()},
        {"largest log, a walk", largestLog(false)},
        {"largest log, scattered", largestLog(true)},
    };
    double worst = 0;
    for (const auto& t : tracks) {
        dialogs.path = dir.filePath("track.log");
        QFile file(dialogs.path);
        if (!file.open(QIODevice::WriteOnly) || file.write(t.log) != t.log.size()) {
            return 1;
        }
        file.close();
        const double open =
            millisecondsOf([&] { view.button(TrackViewWindow::Action::OpenLog)->click(); });
        const std::vector<Repaint> paint = repaints(view, 7);
        if (argc > 1) {
            view.content()->grab().save(QStringLiteral("%1/%2.png").arg(argv[1]).arg(&t - tracks));
        }
        worst = std::max(worst, paint[0].wall);
        std::printf(
            "%-22s %8lld bytes %6zu points: open %6.1f ms; repaint %5.1f ms, %.0fx the "
            "empty view (processor %.1f ms: map %.1f, profiles %.1f)\n",
            t.name, static_cast<long long>(t.log.size()), view.track().samples.size(), open,
            paint[0].wall, paint[0].wall / empty, paint[0].cpu, paint.at(1).cpu, paint.at(2).cpu);
    }
    std::printf("slowest repaint %.1f ms, %s the 100 ms allowed\n", worst,
                worst <= 100 ? "within" : "OVER");
    return worst <= 100 ? 0 : 1;
}
