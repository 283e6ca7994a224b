#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "settings/host.h"

// The Host of the command line: the activity log and the texts of every box go to standard
// error, file dialogs are answered by the paths given on the command line, and there are no
// buttons and no window events.
//
// On a terminal the page loops show one updating line (the latest page line, a bar, the share
// done and the rate) instead of a line per page; every line that is not followed by a progress
// step (an error, a closing line) stays on screen as it was logged. Elsewhere every log line is
// written as it is, one per line, and the progress calls draw nothing.
class CliHost : public Host {
  public:
    // Where the text goes, a chunk at a time.
    using Output = std::function<void(const QByteArray&)>;
    // Milliseconds of a steady clock, for the rate shown on a terminal.
    using Clock = std::function<std::int64_t()>;

    // Writes to standard error; a terminal when standard error is one.
    CliHost();
    CliHost(Output output, bool terminal, int terminalWidth = 80);
    ~CliHost() override;
    CliHost(const CliHost&) = delete;
    CliHost& operator=(const CliHost&) = delete;

    // The path the given file dialog answers with; a dialog without one is cancelled.
    void answerFileDialog(FileDialog dialog, const QString& path);
    // The image firmwareImage() hands out.
    void setFirmware(std::optional<QByteArray> image) { firmware_ = std::move(image); }
    // Real sleeps are divided by this (a simulated tracker counts polls, not seconds).
    void setSleepDivisor(int divisor) { sleepDivisor_ = divisor < 1 ? 1 : divisor; }
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // A line of the tool's own (not the window's), written like a log line.
    void say(const QString& line);
    // Ends an updating line that is still open, so that what follows starts on a new line.
    void finish();

    // Host.
    void log(const QString& line) override;
    void progressStart(int maximum) override;
    void progressStep() override;
    void progressReset() override;
    void setCommandButtonsEnabled(bool) override {}
    void processEvents() override {}
    void information(const QString& text) override;
    void applicationError(const QString& text) override;
    void messageBox(const QString& title, const QString& text) override;
    std::optional<QString> chooseFile(FileDialog dialog) override;
    void sleep(int milliseconds) override;
    std::int64_t currentTime() override;
    std::optional<QByteArray> firmwareImage() override { return firmware_; }

  private:
    // A line that stays; carriage returns in it (alone or before a line feed) end lines.
    void writeLine(const QString& text);
    // Redraws the updating line with `head` (a loop without page lines draws nothing), at most
    // every so often unless forced.
    void draw(const QString& head, bool force);
    void clearStatus();
    // The loop's last state stays on screen as a line of its own.
    void freezeStatus();
    // A line that no step followed (an error, a closing line) stays, after the loop's state.
    void commitPending();
    void endProgress();

    Output output_;
    bool terminal_ = false;
    int width_ = 80;
    Clock clock_;
    std::map<FileDialog, QString> answers_;
    std::optional<QByteArray> firmware_;
    int sleepDivisor_ = 1;

    // Progress display on a terminal.
    bool active_ = false;
    int maximum_ = 0;
    int done_ = 0;
    std::int64_t startedMs_ = 0;
    std::int64_t drawnMs_ = -1;
    std::optional<QString> pending_;  // logged, not yet followed by a step
    QString stepped_;                 // the last line a step followed
    bool frozen_ = false;             // the state after the last step is on screen for good
    bool statusShown_ = false;
};
