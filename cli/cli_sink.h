#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "settings/outcome.h"
#include "settings/progress_sink.h"

// Writes `bytes` to `stream` and flushes it, unless a write to it failed before: a closed
// standard output or error (a pipe whose reader has gone) stops the printing, not the operation.
void writeToStream(std::FILE* stream, const QByteArray& bytes);

// The sink of the command line: the activity log and the texts of every box go to standard
// error.
//
// On a terminal the page loops show one updating line (the latest page line, a bar, the share
// done and the rate) instead of a line per page; every line that is not followed by a progress
// step (an error, a closing line) stays on screen as it was logged. Elsewhere every log line is
// written as it is, one per line, and the progress calls draw nothing.
class CliSink : public ProgressSink {
  public:
    // Where the text goes, a chunk at a time.
    using Output = std::function<void(const QByteArray&)>;
    // Milliseconds of a steady clock, for the rate shown on a terminal.
    using Clock = std::function<std::int64_t()>;

    // Writes to standard error; a terminal when standard error is one.
    CliSink();
    CliSink(Output output, bool terminal, int terminalWidth = 80);
    ~CliSink() override;
    CliSink(const CliSink&) = delete;
    CliSink& operator=(const CliSink&) = delete;

    // Real waits are divided by this (a simulated tracker counts polls, not seconds).
    void setSleepDivisor(int divisor) { sleepDivisor_ = divisor < 1 ? 1 : divisor; }
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // --quiet: the activity log and the progress are held back instead of written (all but the
    // lines of pages that went through); say() and show() still write.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    // Writes the log held back so far: how a failing command got where it stopped.
    void writeHeldLog();

    // A line of the tool's own (not the window's), written like a log line.
    void say(const QString& line);
    // Ends an updating line that is still open, so that what follows starts on a new line.
    void finish();
    // The texts of boxes, each as a line of its own; a box with a title of its own (not
    // "Information" nor the error box) as "<title>: <text>".
    void show(const Boxes& boxes);

    // ProgressSink.
    void log(const QString& line) override;
    void progressStart(int maximum) override;
    void progressStep() override;
    void progressReset() override;
    // Goes on until a stop signal came (see StopSignals).
    bool mayGoOn() override;
    std::int64_t now() override;
    // Sleeps, ending early once a stop signal came.
    void wait(int milliseconds) override;

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
    int sleepDivisor_ = 1;

    bool quiet_ = false;
    std::vector<QString> held_;  // --quiet: log lines not yet written
    bool heldPending_ = false;   // the last held line may be a page line a step will follow

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
