#include "app/window_sink.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>
#include <memory>
#include <optional>

#include "app/dialog_provider.h"
#include "device/device_link.h"

namespace {

struct PageLine {
    QString run;  // the words and the total: "Page read/256"
    int total = 0;
};

// "Page read: 3/256" or "Page written: 3/256", a page that went through; nothing for any
// other line, page errors included.
std::optional<PageLine> pageLine(const QString& line) {
    for (QLatin1StringView words :
         {QLatin1StringView("Page read: "), QLatin1StringView("Page written: ")}) {
        if (!line.startsWith(words)) {
            continue;
        }
        const QStringView numbers = QStringView(line).mid(words.size());
        const qsizetype slash = numbers.indexOf(QLatin1Char('/'));
        bool pageOk = false;
        bool totalOk = false;
        (void)numbers.left(slash).toInt(&pageOk);
        const int total = numbers.mid(slash + 1).toInt(&totalOk);
        if (slash <= 0 || !pageOk || !totalOk) {
            return std::nullopt;
        }
        return PageLine{words.chopped(2) + QLatin1Char('/') + QString::number(total), total};
    }
    return std::nullopt;
}

// "14 s left", "3 min 5 s left".
QString timeLeft(qint64 milliseconds) {
    const qint64 seconds = (milliseconds + 999) / 1000;
    if (seconds < 60) {
        return QStringLiteral("%1 s left").arg(seconds);
    }
    return QStringLiteral("%1 min %2 s left").arg(seconds / 60).arg(seconds % 60);
}

}  // namespace

WindowSink::WindowSink(QWidget* window, QPlainTextEdit* log, QProgressBar* progress,
                       DialogProvider& dialogs)
    : window_(window), log_(log), progress_(progress), dialogs_(dialogs) {
    clock_ = [steady = std::make_shared<QElapsedTimer>()] {
        if (!steady->isValid()) {
            steady->start();
        }
        return steady->elapsed();
    };
}

void WindowSink::log(const QString& line) {
    pendingLines_.append(line);
    ++logged_;
    if (const std::optional<PageLine> page = pageLine(line)) {
        pageTotal_ = page->total;
        failureLines_.clear();
    } else if (line == QLatin1String(kTrackerFoundLine)) {
        failureLines_.clear();
    } else if (failureLines_.isEmpty() || failureLines_.last() != line) {
        failureLines_.append(line);
    }
}

void WindowSink::setProgress(int maximum, int value) {
    if (!estimating_ || maximum != progressMaximum_ || value < progressValue_) {
        // A loop begins, or is seen for the first time.
        loopStart_ = clock_();
        loopFirstValue_ = value;
        estimating_ = true;
    }
    progressMaximum_ = maximum;
    progressValue_ = value;
    progressChanged_ = true;
}

QString WindowSink::progressText() const {
    if (progressValue_ <= 0 || progressMaximum_ <= 0) {
        return {};
    }
    const qint64 value = progressValue_;
    const qint64 maximum = progressMaximum_;
    QString text = QString::number(value * 100 / maximum) + QLatin1Char('%');
    if (pageTotal_ == progressMaximum_) {
        text += QStringLiteral(" \u2013 %1 of %2 pages").arg(value).arg(maximum);
    }
    const qint64 elapsed = clock_() - loopStart_;
    const qint64 done = value - loopFirstValue_;
    // Once a second has passed the pace is known well enough.
    if (estimating_ && value < maximum && done > 0 && elapsed >= 1000) {
        text += QStringLiteral(" \u2013 ") + timeLeft(elapsed * (maximum - value) / done);
    }
    return text;
}

void WindowSink::flushLines(qsizetype count) {
    count = std::min(count, pendingLines_.size());
    if (count <= 0) {
        return;
    }
    // A page line that continues the run of the line before it takes that line's place.
    std::optional<QString> replacesShown;
    QStringList appended;
    QString run = shownRun_;
    for (qsizetype i = 0; i < count; ++i) {
        const QString& line = pendingLines_[i];
        const std::optional<PageLine> page = pageLine(line);
        const QString lineRun = page ? page->run : QString();
        if (!lineRun.isEmpty() && lineRun == run) {
            (appended.isEmpty() ? replacesShown.emplace() : appended.last()) = line;
        } else {
            appended.append(line);
        }
        run = lineRun;
    }
    pendingLines_.remove(0, count);
    shownRun_ = run;

    QScrollBar* bar = log_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    if (replacesShown) {
        QTextCursor cursor(log_->document());
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(*replacesShown);
    }
    if (!appended.isEmpty()) {
        // One call for the whole batch: each line still becomes its own block, and the view
        // stays at the end when it was there.
        log_->appendPlainText(appended.join(u'\n'));
    }
    if (atEnd) {
        bar->setValue(bar->maximum());
    }
}

void WindowSink::flushProgress() {
    if (progressChanged_) {
        progress_->setRange(0, progressMaximum_);
        progress_->setValue(progressValue_);
        progress_->setFormat(progressText());
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
    shownRun_.clear();
    failureLines_.clear();
    pageTotal_ = 0;
    estimating_ = false;
}

void WindowSink::end() {
    flush();
    estimating_ = false;
    progressChanged_ = true;
    flushProgress();
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
