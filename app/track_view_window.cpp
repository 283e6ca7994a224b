#include "app/track_view_window.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimeZone>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <map>

#include "app/dialog_provider.h"
#include "app/track_thinning.h"
#include "gps/gpx_track.h"
#include "settings/input_file.h"
#include "settings/output_file.h"

namespace {

constexpr auto kTitle = "Track view";
// A full memory holds 2,048 blocks of 10 records; its NMEA log, two sentences of at most 82
// characters per record, stays below 3.4 MB. A log is taken up to three times that.
constexpr qint64 kFullMemoryRecords = kGpsMemorySize / kGpsBlockSize * kGpsSlotsPerBlock;
constexpr qint64 kLargestLog = 3 * kFullMemoryRecords * 2 * 82;

// The tracker logs speeds in knots; the program shows them as its settings are, in km/h.
constexpr double kKmhPerKnot = 1.852;

// Drawing leaves out points of the map less than this many pixels from the last one drawn, and
// keeps at most so many points per line (see track_thinning.h): a repaint of any track the
// view takes stays well within a tenth of a second. A profile keeps what the eye sees of each
// pixel column, at most four points, which a real track never takes past the limit.
constexpr double kMapStep = 1.5;
constexpr std::size_t kMostMapPoints = 2000;
constexpr std::size_t kMostProfilePoints = 3000;

const QColor kBackground(250, 250, 246);
const QColor kInk(60, 60, 60);
const QColor kFrame(190, 190, 185);

QColor speedColour(double speed, double top) {
    return QColor::fromHsv(speedHue(speed, top), 230, 215);
}

QString utcText(std::int64_t seconds, const QString& format) {
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()).toString(format);
}

QString lengthText(double metres) {
    return metres < 1000 ? QStringLiteral("%1 m").arg(metres, 0, 'f', 0)
                         : QStringLiteral("%1 km").arg(metres / 1000, 0, 'f', 1);
}

// The track on a flat map, to scale, north up.
class TrackMap : public QWidget {
  public:
    TrackMap(const Track& track, const TrackFigures& figures, QWidget* parent)
        : QWidget(parent), track_(track), figures_(figures) {
        setMinimumSize(320, 240);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), kBackground);
        const std::vector<TrackSample>& s = track_.samples;
        if (s.empty()) {
            p.setPen(kInk);
            p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No points to show"));
            return;
        }
        const TrackProjection projection(s);
        const QRectF area = QRectF(rect()).adjusted(28, 34, -28, -40);
        const double ppm = projection.pixelsPerMetre(area.width(), area.height());
        const double left = area.left() + (area.width() - projection.width() * ppm) / 2;
        const double bottom = area.bottom() - (area.height() - projection.height() * ppm) / 2;
        const auto at = [&](const TrackSample& sample) {
            const PlanePoint q = projection.project(sample);
            return QPointF(left + q.east * ppm, bottom - q.north * ppm);
        };

        const double top = figures_.topSpeed;
        std::vector<DrawnPoint> line;
        line.reserve(s.size());
        for (std::size_t i = 0; i < s.size(); ++i) {
            line.push_back(
                {at(s[i]), s[i].speed, i > 0 && !isGap(s[i - 1], s[i], figures_.gapSeconds)});
        }
        line = thinForDrawing(line, kMapStep, kMostMapPoints);

        // Where a stretch of track begins, a dot, so that a lone point still shows.
        p.setPen(Qt::NoPen);
        for (const DrawnPoint& d : line) {
            if (!d.joined) {
                p.setBrush(speedColour(d.value, top));
                p.drawEllipse(d.at, 3.0, 3.0);
            }
        }
        // The stretches, segment by segment, one call per colour. Hues go in steps of 8 degrees,
        // closer than the eye tells apart.
        std::map<int, QList<QLineF>> byHue;
        for (std::size_t i = 1; i < line.size(); ++i) {
            if (line[i].joined) {
                const int hue = speedHue((line[i - 1].value + line[i].value) / 2, top) / 8 * 8;
                byHue[hue].append(QLineF(line[i - 1].at, line[i].at));
            }
        }
        QPen pen(kInk, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        for (const auto& [hue, lines] : byHue) {
            pen.setColor(QColor::fromHsv(hue, 230, 215));
            p.setPen(pen);
            p.drawLines(lines);
        }
        // Start and end.
        p.setBrush(Qt::white);
        p.setPen(QPen(kInk, 2));
        p.drawEllipse(at(s.front()), 5.0, 5.0);
        p.setBrush(kInk);
        p.drawRect(QRectF(at(s.back()) - QPointF(4, 4), QSizeF(8, 8)));

        drawScaleBar(p, 1 / ppm);
        drawNorth(p);
        drawLegend(p, top);
    }

  private:
    void drawScaleBar(QPainter& p, double metresPerPixel) {
        const ScaleBar bar = chooseScaleBar(metresPerPixel, 140);
        const QPointF origin(16, height() - 14);
        p.setPen(QPen(kInk, 2));
        p.drawLine(origin, origin + QPointF(bar.pixels, 0));
        p.drawLine(origin + QPointF(0, -5), origin);
        p.drawLine(origin + QPointF(bar.pixels, -5), origin + QPointF(bar.pixels, 0));
        p.drawText(origin + QPointF(0, -8), bar.caption);
    }

    void drawNorth(QPainter& p) {
        const QPointF tip(width() - 22, 12);
        QPainterPath arrow;
        arrow.moveTo(tip);
        arrow.lineTo(tip + QPointF(7, 20));
        arrow.lineTo(tip + QPointF(0, 15));
        arrow.lineTo(tip + QPointF(-7, 20));
        arrow.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPath(arrow);
        p.setPen(kInk);
        p.drawText(QRectF(tip.x() - 10, tip.y() + 20, 20, 16), Qt::AlignCenter, "N");
    }

    void drawLegend(QPainter& p, double top) {
        const QRectF band(16, 14, 120, 8);
        QLinearGradient gradient(band.topLeft(), band.topRight());
        for (int step = 0; step <= 4; ++step) {
            gradient.setColorAt(step / 4.0, speedColour(top * step / 4.0, top));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(gradient);
        p.drawRect(band);
        p.setPen(kInk);
        p.drawText(QPointF(band.right() + 6, band.bottom()),
                   QStringLiteral("0 – %1 km/h").arg(top * kKmhPerKnot, 0, 'f', 0));
    }

    const Track& track_;
    const TrackFigures& figures_;
};

// Speed and altitude over time, one above the other.
class TrackProfiles : public QWidget {
  public:
    TrackProfiles(const Track& track, const TrackFigures& figures, QWidget* parent)
        : QWidget(parent), track_(track), figures_(figures) {
        setMinimumSize(320, 180);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), kBackground);
        std::vector<const TrackSample*> timed;
        for (const TrackSample& sample : track_.samples) {
            if (sample.time) {
                timed.push_back(&sample);
            }
        }
        p.setPen(kInk);
        if (timed.empty()) {
            p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No times to plot"));
            return;
        }
        const auto [first, last] = std::minmax_element(
            timed.begin(), timed.end(), [](auto* a, auto* b) { return *a->time < *b->time; });
        const std::int64_t start = *(*first)->time;
        const std::int64_t end = std::max(*(*last)->time, start + 1);

        const double half = height() / 2.0;
        plot(p, QRectF(0, 0, width(), half), QStringLiteral("Speed [km/h]"), timed, start, end,
             QColor(200, 70, 40), [](const TrackSample& s) { return s.speed * kKmhPerKnot; });
        plot(p, QRectF(0, half, width(), half), QStringLiteral("Altitude [m]"), timed, start, end,
             QColor(40, 110, 170), [](const TrackSample& s) { return s.elevation; });

        const bool oneDay = end - start < 86400;
        const QString format = oneDay ? QStringLiteral("HH:mm") : QStringLiteral("dd.MM. HH:mm");
        const QRectF axis(56, height() - 16, width() - 72, 16);
        p.setPen(kInk);
        p.drawText(axis, Qt::AlignLeft | Qt::AlignVCenter, utcText(start, format));
        p.drawText(axis, Qt::AlignRight | Qt::AlignVCenter, utcText(end, format) + " UTC");
    }

  private:
    template <typename Value>
    void plot(QPainter& p, const QRectF& box, const QString& title,
              const std::vector<const TrackSample*>& timed, std::int64_t start, std::int64_t end,
              const QColor& colour, Value value) {
        const QRectF area = box.adjusted(56, 18, -16, -20);
        double low = value(*timed.front());
        double high = low;
        for (const TrackSample* s : timed) {
            low = std::min(low, value(*s));
            high = std::max(high, value(*s));
        }
        if (high - low < 1) {
            high = low + 1;
        }
        p.setPen(kFrame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(area);
        p.setPen(kInk);
        p.drawText(QPointF(area.left(), box.top() + 13), title);
        const QRectF labels(box.left(), area.top() - 8, 50, area.height() + 16);
        p.drawText(labels, Qt::AlignRight | Qt::AlignTop, QString::number(high, 'f', 0));
        p.drawText(labels, Qt::AlignRight | Qt::AlignBottom, QString::number(low, 'f', 0));

        const auto at = [&](const TrackSample& s) {
            return QPointF(
                area.left() + area.width() * double(*s.time - start) / double(end - start),
                area.bottom() - area.height() * (value(s) - low) / (high - low));
        };
        std::vector<DrawnPoint> line;
        line.reserve(timed.size());
        for (std::size_t i = 0; i < timed.size(); ++i) {
            line.push_back(
                {at(*timed[i]), 0, i > 0 && !isGap(*timed[i - 1], *timed[i], figures_.gapSeconds)});
        }
        line = thinForDrawing(thinByColumn(line), 0, kMostProfilePoints);
        QPainterPath path;
        for (const DrawnPoint& d : line) {
            if (d.joined) {
                path.lineTo(d.at);
            } else {
                path.moveTo(d.at);
            }
        }
        // A cosmetic pen one pixel wide is drawn line by line, far faster than a wider one
        // stroked as a whole, and a line of many points stays cheap.
        p.setPen(QPen(colour, 1));
        p.drawPath(path);
    }

    const Track& track_;
    const TrackFigures& figures_;
};

}  // namespace

TrackViewWindow::TrackViewWindow(DialogProvider& dialogs, QString programFolder,
                                 const std::vector<std::uint8_t>& lastDownload, QWidget* parent)
    : QWidget(parent, Qt::Window),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)),
      lastDownload_(lastDownload) {
    setObjectName("TrackView");
    setWindowTitle(kTitle);
    resize(760, 700);

    auto* root = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    const struct {
        Action action;
        const char* name;
        const char* caption;
        void (TrackViewWindow::*run)();
    } actions[] = {
        {Action::LastDownload, "Button_track_last", "Last download",
         &TrackViewWindow::showLastDownload},
        {Action::OpenLog, "Button_track_open_log", "Open log…", &TrackViewWindow::openLog},
        {Action::OpenDump, "Button_track_open_dump", "Open dump…", &TrackViewWindow::openDump},
        {Action::SavePng, "Button_track_save_png", "Save PNG…", &TrackViewWindow::savePng},
        {Action::SaveGpx, "Button_track_save_gpx", "Save GPX…", &TrackViewWindow::saveGpx},
    };
    for (const auto& a : actions) {
        auto* button = new QPushButton(a.caption, this);
        button->setObjectName(a.name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, run = a.run] { (this->*run)(); });
        row->addWidget(button);
        buttons_.push_back(button);
        if (a.action == Action::OpenDump) {
            row->addStretch(1);
        }
    }
    root->addLayout(row);

    summary_ = new QLabel(this);
    summary_->setObjectName("TrackSummary");
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    root->addWidget(summary_);

    content_ = new QWidget(this);
    auto* stack = new QVBoxLayout(content_);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    map_ = new TrackMap(track_, figures_, content_);
    profiles_ = new TrackProfiles(track_, figures_, content_);
    stack->addWidget(map_, 3);
    stack->addWidget(profiles_, 2);
    root->addWidget(content_, 1);
    button(Action::SaveGpx)->setEnabled(false);  // nothing to save yet
}

QPushButton* TrackViewWindow::button(Action action) const {
    return buttons_[static_cast<std::size_t>(action)];
}

void TrackViewWindow::showLastDownload() {
    display(QStringLiteral("Last download"), gpsRecords(lastDownload_.data(), lastDownload_.size()),
            0);
}

void TrackViewWindow::display(const QString& source, std::vector<GpsRecord> records,
                              int skippedLines) {
    source_ = source;
    records_ = std::move(records);
    skippedLines_ = skippedLines;
    track_ = buildTrack(records_);
    figures_ = {gapSeconds(track_.samples), topSpeed(track_.samples)};
    button(Action::SaveGpx)->setEnabled(!track_.samples.empty());
    summary_->setText(summary());
    content_->update();
}

QString TrackViewWindow::summary() const {
    QStringList parts;
    const std::vector<TrackSample>& s = track_.samples;
    parts << (s.empty() ? QStringLiteral("no points to show")
                        : QStringLiteral("%1 points").arg(s.size()));
    if (track_.leftOut > 0) {
        parts << QStringLiteral("%1 left out (no valid position)").arg(track_.leftOut);
    }
    if (skippedLines_ > 0) {
        parts << QStringLiteral("%1 lines not read").arg(skippedLines_);
    }
    if (!s.empty()) {
        parts << lengthText(trackLength(s, TrackProjection(s), figures_.gapSeconds));
        std::optional<std::int64_t> first;
        std::optional<std::int64_t> last;
        for (const TrackSample& sample : s) {
            if (sample.time) {
                first = std::min(first.value_or(*sample.time), *sample.time);
                last = std::max(last.value_or(*sample.time), *sample.time);
            }
        }
        if (first) {
            parts << utcText(*first, "dd.MM.yyyy HH:mm:ss") + " – " +
                         utcText(*last, "dd.MM.yyyy HH:mm:ss") + " UTC";
        }
    }
    return source_ + ": " + parts.join(", ");
}

std::optional<QString> TrackViewWindow::chooseFile(FileDialog dialog) {
    return dialogs_.chooseFile(this, dialog, fileDialogSetup(dialog, programFolder_));
}

void TrackViewWindow::fail(const QString& text) {
    dialogs_.error(this, kTitle, text);
}

void TrackViewWindow::openLog() {
    const std::optional<QString> path = chooseFile(FileDialog::OpenGpsLog);
    if (!path) {
        return;
    }
    const std::optional<QByteArray> log = readInput(*path, kLargestLog);
    if (!log) {
        return;
    }
    if (log->size() > kLargestLog) {
        fail(QStringLiteral("%1 is too large for a GPS log (more than %2 bytes).")
                 .arg(*path)
                 .arg(kLargestLog));
        return;
    }
    NmeaReadResult result = readNmeaLog(*log);
    display(QFileInfo(*path).fileName(), std::move(result.records), result.skippedLines);
}

void TrackViewWindow::openDump() {
    const std::optional<QString> path = chooseFile(FileDialog::OpenGpsDump);
    if (!path) {
        return;
    }
    const std::optional<QByteArray> read = readInput(*path, static_cast<qint64>(kGpsMemorySize));
    if (!read) {
        return;
    }
    const QByteArray& bytes = *read;
    if (bytes.size() > static_cast<qsizetype>(kGpsMemorySize)) {
        fail(QStringLiteral("%1 is larger than the GPS memory (%2 bytes): not a memory dump.")
                 .arg(*path)
                 .arg(kGpsMemorySize));
        return;
    }
    display(QFileInfo(*path).fileName(),
            gpsRecords(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size())),
            0);
}

std::optional<QByteArray> TrackViewWindow::readInput(const QString& path, qint64 limit) {
    if (const std::optional<QString> why = notARegularFile(path)) {
        fail(QStringLiteral("Cannot open %1: %2.").arg(path, *why));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("Cannot open %1: %2.").arg(path, file.errorString()));
        return std::nullopt;
    }
    // One byte past the limit tells a file too large, whatever size it claims to have.
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        fail(QStringLiteral("Cannot read %1: %2.").arg(path, file.errorString()));
        return std::nullopt;
    }
    return bytes;
}

void TrackViewWindow::savePng() {
    const std::optional<QString> path = chooseFile(FileDialog::SaveTrackImage);
    if (!path) {
        return;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    content_->grab().save(&buffer, "PNG");
    save(*path, png);
}

void TrackViewWindow::saveGpx() {
    const std::optional<QString> path = chooseFile(FileDialog::SaveGpxTrack);
    if (!path) {
        return;
    }
    QByteArray gpx;
    QBuffer buffer(&gpx);
    buffer.open(QIODevice::WriteOnly);
    GpxTrackWriter writer(&buffer, QFileInfo(*path).completeBaseName(),
                          QStringLiteral("veltromark"));
    for (const GpsRecord& record : records_) {
        writer.add(record);
    }
    writer.finish();
    save(*path, gpx);
}

void TrackViewWindow::save(const QString& path, const QByteArray& bytes) {
    // Checked to the last byte and put in place only when complete, as every file the
    // program writes.
    OutputFile out(path);
    if (bytes.isEmpty() || !out.open() || !out.write(bytes) || commitAll({&out}) != nullptr) {
        fail(QStringLiteral("Cannot save %1.").arg(bytes.isEmpty() ? path : out.failure()));
    }
}
