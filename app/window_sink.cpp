#include "app/window_sink.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QThread>
#include <algorithm>

#include "app/dialog_provider.h"

WindowSink::WindowSink(QWidget* window, QPlainTextEdit* log, QProgressBar* progress,
                       DialogProvider& dialogs)
    : window_(window), log_(log), progress_(progress), dialogs_(dialogs) {}

void WindowSink::log(const QString& line) {
    pendingLines_.append(line);
    ++logged_;
}

void WindowSink::progressStart(int maximum) {
    progressMaximum_ = maximum;
    progressValue_ = 0;
    progressChanged_ = true;
}

void WindowSink::progressStep() {
    ++progressValue_;
    progressChanged_ = true;
}

void WindowSink::progressReset() {
    progressValue_ = 0;
    progressChanged_ = true;
}

void WindowSink::flushLines(qsizetype count) {
    count = std::min(count, pendingLines_.size());
    if (count <= 0) {
        return;
    }
    // One call for the whole batch: each line still becomes its own block, and the view
    // stays at the end when it was there.
    log_->appendPlainText(pendingLines_.first(count).join(u'\n'));
    pendingLines_.remove(0, count);
}

void WindowSink::flush() {
    flushLines(pendingLines_.size());
    if (progressChanged_) {
        progress_->setRange(0, progressMaximum_);
        progress_->setValue(progressValue_);
        progressChanged_ = false;
    }
}

void WindowSink::letEventsRun() {
    // Putting lines on screen takes time of its own: a fast tracker puts a bound on them too.
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventInterval &&
        pendingLines_.size() < kLinesBetweenEvents) {
        return;
    }
    flush();
    QCoreApplication::processEvents();
    sinceEvents_.start();
}

bool WindowSink::mayGoOn() {
    letEventsRun();
    return !stopRequested_;
}

std::int64_t WindowSink::now() {
    return QDateTime::currentSecsSinceEpoch();
}

void WindowSink::wait(int milliseconds) {
    // What was logged before the wait is on screen during it.
    flush();
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QCoreApplication::processEvents();
        sinceEvents_.start();
        const qint64 left = milliseconds - waited.elapsed();
        if (left <= 0 || stopRequested_) {
            return;
        }
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, kWaitSlice)));
    }
}

void WindowSink::begin() {
    flush();
    logged_ = 0;
    stopRequested_ = false;
}

void WindowSink::show(const Boxes& boxes) {
    for (const Box& box : boxes) {
        const qsizetype onScreen = logged_ - pendingLines_.size();
        flushLines(box.afterLines - onScreen);
        if (progressChanged_) {
            progress_->setRange(0, progressMaximum_);
            progress_->setValue(progressValue_);
            progressChanged_ = false;
        }
        if (box.kind == Box::Kind::Error) {
            dialogs_.error(window_, box.title, box.text);
        } else {
            dialogs_.information(window_, box.title, box.text);
        }
    }
    flush();
}
