#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "settings/host.h"

class DialogProvider;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

// The Host of the main window: the activity log, the progress bar and the command buttons
// are its widgets; dialogs go through the DialogProvider.
//
// Long operations log a line and step the bar per page, thousands of times. Putting each
// line into the visible log costs far more than the exchange itself, so lines and progress
// are held back and put on screen together (flush): before window events run, before any
// dialog, and when the operation ends. The order of lines never changes. Window events run
// at most every kEventInterval milliseconds, which is as often as the eye can follow.
class WidgetHost : public Host {
  public:
    // `window` is the parent of the dialogs; `programFolder` holds the `config` and `logs`
    // folders that the file dialogs start in.
    WidgetHost(QWidget* window, QPlainTextEdit* log, QProgressBar* progress,
               QList<QPushButton*> commandButtons, DialogProvider& dialogs, QString programFolder);

    void log(const QString& line) override;
    void progressStart(int maximum) override;
    void progressStep() override;
    void progressReset() override;
    void setCommandButtonsEnabled(bool enabled) override;
    void processEvents() override;
    void information(const QString& text) override;
    void applicationError(const QString& text) override;
    void messageBox(const QString& title, const QString& text) override;
    std::optional<QString> chooseFile(FileDialog dialog) override;
    void sleep(int milliseconds) override;
    std::int64_t currentTime() override;
    std::optional<QByteArray> firmwareImage() override;

    // Puts the held-back log lines and progress on screen.
    void flush();

    // Where firmwareImage() takes the image from; by default the program carries none.
    void setFirmwareSource(std::function<std::optional<QByteArray>()> source) {
        firmwareSource_ = std::move(source);
    }

    static constexpr int kEventInterval = 30;

  private:
    QWidget* window_;
    QPlainTextEdit* log_;
    QProgressBar* progress_;
    QList<QPushButton*> commandButtons_;
    DialogProvider& dialogs_;
    QString programFolder_;
    std::function<std::optional<QByteArray>()> firmwareSource_;

    QStringList pendingLines_;
    int progressMaximum_ = 100;
    int progressValue_ = 0;
    bool progressChanged_ = false;
    QElapsedTimer sinceEvents_;
};
