#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>

#include "settings/host.h"

// Readable Qt strings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toStdString() << '"';
}

// A Host that records everything an operation does, in order, answers file dialogs from a
// preset table, sleeps in zero time and reads a settable clock.
class RecordingHost : public Host {
  public:
    void log(const QString& line) override {
        logLines.append(line);
        events.append("log: " + line);
    }
    void progressStart(int maximum) override {
        progressMaximum = maximum;
        progressPosition = 0;
    }
    void progressStep() override { ++progressPosition; }
    void progressReset() override { progressPosition = 0; }
    void setCommandButtonsEnabled(bool enabled) override {
        buttonsEnabled = enabled;
        events.append(enabled ? "buttons: enabled" : "buttons: disabled");
    }
    void processEvents() override { ++processEventsCalls; }
    void information(const QString& text) override {
        informations.append(text);
        events.append("information: " + text);
    }
    void applicationError(const QString& text) override {
        applicationErrors.append(text);
        events.append("error: " + text);
    }
    void messageBox(const QString& title, const QString& text) override {
        messageBoxes.append(title + ": " + text);
        events.append("box: " + title + ": " + text);
    }
    std::optional<QString> chooseFile(FileDialog dialog) override {
        ++fileDialogsShown;
        const auto it = fileAnswers.find(dialog);
        return it == fileAnswers.end() ? std::nullopt : it->second;
    }
    void sleep(int milliseconds) override {
        sleptMilliseconds += milliseconds;
        ++sleepCalls;
    }
    std::int64_t currentTime() override { return now; }
    std::optional<QByteArray> firmwareImage() override { return firmware; }

    QStringList logLines;
    QStringList informations;
    QStringList applicationErrors;
    QStringList messageBoxes;
    QStringList events;  // everything the user sees, in order
    int progressMaximum = 100;
    int progressPosition = 0;
    bool buttonsEnabled = true;
    int processEventsCalls = 0;
    int fileDialogsShown = 0;
    std::map<FileDialog, std::optional<QString>> fileAnswers;
    std::int64_t sleptMilliseconds = 0;
    int sleepCalls = 0;
    std::int64_t now = 1'700'000'000;
    std::optional<QByteArray> firmware;
};
