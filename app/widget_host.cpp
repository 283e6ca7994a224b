#include "app/widget_host.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include "app/app_info.h"
#include "app/dialog_provider.h"

WidgetHost::WidgetHost(QWidget* window, QPlainTextEdit* log, QProgressBar* progress,
                       QList<QPushButton*> commandButtons, DialogProvider& dialogs,
                       QString programFolder)
    : window_(window),
      log_(log),
      progress_(progress),
      commandButtons_(std::move(commandButtons)),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)) {}

void WidgetHost::log(const QString& line) {
    pendingLines_.append(line);
}

void WidgetHost::progressStart(int maximum) {
    progressMaximum_ = maximum;
    progressValue_ = 0;
    progressChanged_ = true;
}

void WidgetHost::progressStep() {
    ++progressValue_;
    progressChanged_ = true;
}

void WidgetHost::progressReset() {
    progressValue_ = 0;
    progressChanged_ = true;
}

void WidgetHost::flush() {
    if (!pendingLines_.isEmpty()) {
        // One call for the whole batch: each line still becomes its own block, and the view
        // stays at the end when it was there.
        log_->appendPlainText(pendingLines_.join(u'\n'));
        pendingLines_.clear();
    }
    if (progressChanged_) {
        progress_->setRange(0, progressMaximum_);
        progress_->setValue(progressValue_);
        progressChanged_ = false;
    }
}

void WidgetHost::setCommandButtonsEnabled(bool enabled) {
    for (QPushButton* button : commandButtons_) {
        button->setEnabled(enabled);
    }
}

void WidgetHost::processEvents() {
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kEventInterval) {
        return;
    }
    flush();
    QCoreApplication::processEvents();
    sinceEvents_.start();
}

void WidgetHost::information(const QString& text) {
    flush();
    dialogs_.information(window_, QStringLiteral("Information"), text);
}

void WidgetHost::applicationError(const QString& text) {
    flush();
    dialogs_.error(window_, kApplicationTitle, text);
}

void WidgetHost::messageBox(const QString& title, const QString& text) {
    flush();
    dialogs_.information(window_, title, text);
}

std::optional<QString> WidgetHost::chooseFile(FileDialog dialog) {
    flush();
    return dialogs_.chooseFile(window_, dialog, fileDialogSetup(dialog, programFolder_));
}

void WidgetHost::sleep(int milliseconds) {
    // What was logged before the wait is on screen during it.
    flush();
    QCoreApplication::processEvents();
    sinceEvents_.start();
    if (milliseconds > 0) {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
}

std::int64_t WidgetHost::currentTime() {
    return QDateTime::currentSecsSinceEpoch();
}

std::optional<QByteArray> WidgetHost::firmwareImage() {
    return firmwareSource_ ? firmwareSource_() : std::nullopt;
}
