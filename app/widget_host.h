#pragma once

#include <QList>
#include <QString>

#include "settings/host.h"

class DialogProvider;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

// The Host of the main window: the activity log, the progress bar and the command buttons
// are its widgets; dialogs go through the DialogProvider.
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

  private:
    QWidget* window_;
    QPlainTextEdit* log_;
    QProgressBar* progress_;
    QList<QPushButton*> commandButtons_;
    DialogProvider& dialogs_;
    QString programFolder_;
};
