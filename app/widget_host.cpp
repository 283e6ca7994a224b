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
    // appendPlainText adds a new last block and keeps the view at the end when it was there.
    log_->appendPlainText(line);
}

void WidgetHost::progressStart(int maximum) {
    progress_->setMinimum(0);
    progress_->setMaximum(maximum);
    progress_->setValue(0);
}

void WidgetHost::progressStep() {
    progress_->setValue(progress_->value() + 1);
}

void WidgetHost::progressReset() {
    progress_->setValue(0);
}

void WidgetHost::setCommandButtonsEnabled(bool enabled) {
    for (QPushButton* button : commandButtons_) {
        button->setEnabled(enabled);
    }
}

void WidgetHost::processEvents() {
    QCoreApplication::processEvents();
}

void WidgetHost::information(const QString& text) {
    dialogs_.information(window_, QStringLiteral("Information"), text);
}

void WidgetHost::applicationError(const QString& text) {
    dialogs_.error(window_, kApplicationTitle, text);
}

void WidgetHost::messageBox(const QString& title, const QString& text) {
    dialogs_.information(window_, title, text);
}

std::optional<QString> WidgetHost::chooseFile(FileDialog dialog) {
    return dialogs_.chooseFile(window_, dialog, fileDialogSetup(dialog, programFolder_));
}

void WidgetHost::sleep(int milliseconds) {
    if (milliseconds > 0) {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
}

std::int64_t WidgetHost::currentTime() {
    return QDateTime::currentSecsSinceEpoch();
}

std::optional<QByteArray> WidgetHost::firmwareImage() {
    // The program carries no firmware image yet.
    return std::nullopt;
}
