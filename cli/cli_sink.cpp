#include "cli/cli_sink.h"

#include <QDateTime>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/stop_signal.h"
#include "settings/visible_text.h"

#ifdef _WIN32
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

// Redraw the updating line at most this often: a page loop steps thousands of times a second.
constexpr std::int64_t kRedrawIntervalMs = 100;
constexpr int kBarWidth = 20;
// A wait looks for a stop signal this often.
constexpr int kSignalCheckMs = 50;

bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

int stderrWidth() {
#ifndef _WIN32
    winsize size{};
    if (ioctl(fileno(stderr), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
#endif
    return 80;
}

std::int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void writeToStream(std::FILE* stream, const QByteArray& bytes) {
    // The stream keeps its error once a write failed.
    if (std::ferror(stream) == 0) {
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
        std::fflush(stream);
    }
}

CliSink::CliSink()
    : CliSink([](const QByteArray& bytes) { writeToStream(stderr, bytes); }, stderrIsTerminal(),
              stderrWidth()) {}

CliSink::CliSink(Output output, bool terminal, int terminalWidth)
    : output_(std::move(output)),
      terminal_(terminal),
      width_(terminalWidth < 20 ? 20 : terminalWidth),
      clock_(steadyMilliseconds) {}

CliSink::~CliSink() {
    finish();
}

void CliSink::say(const QString& line) {
    finish();
    writeLine(line);
}

void CliSink::finish() {
    endProgress();
}

void CliSink::writeLine(const QString& text) {
    clearStatus();
    // The window's boxes separate lines with carriage returns as well, which a terminal takes
    // as a return to the start of the line, so that a later line overwrites an earlier one.
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Any other control character (from a file, a device, an argument) is written out visibly,
    // so that no text can move the cursor, retitle or clear the terminal.
    QStringList parts = lines.split(QLatin1Char('\n'));
    for (QString& part : parts) {
        part = visibleText(part);
    }
    output_(parts.join(QLatin1Char('\n')).toLocal8Bit() + '\n');
}

void CliSink::clearStatus() {
    if (statusShown_) {
        output_("\r\033[K");
        statusShown_ = false;
    }
}

void CliSink::draw(const QString& head, bool force) {
    if (!active_ || head.isEmpty()) {
        return;  // a loop without page lines (the GPS record pass) draws nothing
    }
    const std::int64_t now = clock_();
    if (!force && drawnMs_ >= 0 && now - drawnMs_ < kRedrawIntervalMs) {
        return;
    }
    drawnMs_ = now;

    const int filled =
        maximum_ > 0 ? static_cast<int>(std::int64_t{done_} * kBarWidth / maximum_) : kBarWidth;
    const int percent = maximum_ > 0 ? static_cast<int>(std::int64_t{done_} * 100 / maximum_) : 100;
    QString text = QStringLiteral("%1  [%2%3] %4%")
                       .arg(visibleText(head), QString(filled, QLatin1Char('#')),
                            QString(kBarWidth - filled, QLatin1Char('.')))
                       .arg(percent, 3);
    const std::int64_t elapsed = now - startedMs_;
    if (elapsed > 0) {
        text += QStringLiteral("  %1 pages/s").arg(done_ * 1000.0 / elapsed, 0, 'f', 0);
    }
    // One character short of the width, so that the line never wraps and \r reaches its start.
    text.truncate(width_ - 1);
    output_("\r\033[K" + text.toLocal8Bit());
    statusShown_ = true;
}

void CliSink::freezeStatus() {
    if (!stepped_.isEmpty() && !frozen_) {
        draw(stepped_, true);
        output_("\n");
        statusShown_ = false;
        frozen_ = true;
    } else {
        clearStatus();
    }
}

void CliSink::commitPending() {
    if (pending_) {
        freezeStatus();
        const QString line = *pending_;
        pending_.reset();
        writeLine(line);
    }
}

void CliSink::endProgress() {
    if (!active_) {
        clearStatus();
        return;
    }
    freezeStatus();
    commitPending();
    active_ = false;
}

void CliSink::writeHeldLog() {
    for (const QString& line : held_) {
        writeLine(line);
    }
    held_.clear();
    heldPending_ = false;
}

void CliSink::log(const QString& line) {
    if (quiet_) {
        held_.push_back(line);
        heldPending_ = true;
        return;
    }
    if (!active_) {
        writeLine(line);
        return;
    }
    commitPending();
    pending_ = line;
    draw(line, false);
}

void CliSink::progressStart(int maximum) {
    endProgress();
    heldPending_ = false;  // a loop's steps follow its own lines only
    if (!terminal_ || quiet_) {
        return;
    }
    active_ = true;
    maximum_ = maximum;
    done_ = 0;
    startedMs_ = clock_();
    drawnMs_ = -1;
    pending_.reset();
    stepped_.clear();
    frozen_ = false;
}

void CliSink::progressStep() {
    if (quiet_ && heldPending_) {
        held_.pop_back();  // a page that went through
        heldPending_ = false;
    }
    if (!active_) {
        return;
    }
    if (pending_) {
        stepped_ = *pending_;
        pending_.reset();
    }
    frozen_ = false;
    ++done_;
    draw(stepped_, done_ >= maximum_);
}

void CliSink::progressReset() {
    endProgress();
}

void CliSink::show(const Boxes& boxes) {
    for (const Box& box : boxes) {
        const bool ownTitle =
            box.kind == Box::Kind::Information && box.title != QLatin1String("Information");
        say(ownTitle ? box.title + QStringLiteral(": ") + box.text : box.text);
    }
}

bool CliSink::mayGoOn() {
    return !stopSignalled();
}

void CliSink::wait(int milliseconds) {
    using Steady = std::chrono::steady_clock;
    const Steady::time_point end =
        Steady::now() + std::chrono::milliseconds(std::max(milliseconds, 0) / sleepDivisor_);
    for (Steady::time_point now = Steady::now(); now < end && !stopSignalled();
         now = Steady::now()) {
        std::this_thread::sleep_for(
            std::min<Steady::duration>(end - now, std::chrono::milliseconds(kSignalCheckMs)));
    }
}

std::int64_t CliSink::now() {
    return QDateTime::currentSecsSinceEpoch();
}
