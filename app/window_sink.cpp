#include "app/window_sink.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <algorithm>

#include "app/dialog_provider.h"

WindowSink::WindowSink(QWidget* window, QPlainTextEdit* log, QProgressBar* progress,
                       DialogProvider& dialogs)
    : window_(window), log_(log), progress_(progress), dialogs_(dialogs) {}

void WindowSink::log(const QString& line) {
    pendingLines_.append(line);
    ++logged_;
}

void WindowSink::setProgress(int maximum, int value) {
    progressMaximum_ = maximum;
    progressValue_ = value;
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

void WindowSink::flushProgress() {
    if (progressChanged_) {
        progress_->setRange(0, progressMaximum_);
        progress_->setValue(progressValue_);
        progressChanged_ = false;
    }
}

void WindowSink::flush() {
    flushLines(pendingLines_.size());
    flushProgress();
}

void WindowSink::begin() {
    flush();
    logged_ = 0;
}

void WindowSink::show(const Boxes& boxes) {
    for (const Box& box : boxes) {
        const qsizetype onScreen = logged_ - pendingLines_.size();
        flushLines(box.afterLines - onScreen);
        flushProgress();
        if (box.kind == Box::Kind::Error) {
            dialogs_.error(window_, box.title, box.text);
        } else {
            dialogs_.information(window_, box.title, box.text);
        }
    }
    flush();
}
