#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include "settings/outcome.h"
#include "settings/progress_sink.h"

class DialogProvider;
class QPlainTextEdit;
class QProgressBar;
class QWidget;

// The sink of the main window: the activity log and the progress bar are its widgets, and it
// shows the boxes that operations and rules hand back through the DialogProvider.
//
// Long operations log a line and step the bar per page, thousands of times. Putting each
// line into the visible log costs far more than the exchange itself, so lines and progress
// are held back and put on screen together (flush): before window events run, before any
// box, and when the operation ends. The order of lines never changes. Window events run at
// most every kEventInterval milliseconds, which is as often as the eye can follow.
//
// Operations run on the window's thread and call back here between pages, between the slices
// of a reply wait (letEventsRun) and during pauses, so that no wait keeps the window from its
// events for longer than a slice and an event interval together. Stop (requestStop) is
// answered at the next of these calls.
class WindowSink : public ProgressSink {
  public:
    // `window` is the parent of the boxes.
    WindowSink(QWidget* window, QPlainTextEdit* log, QProgressBar* progress,
               DialogProvider& dialogs);

    void log(const QString& line) override;
    void progressStart(int maximum) override;
    void progressStep() override;
    void progressReset() override;
    // Lets pending window events run (at most every kEventInterval); goes on unless Stop was
    // asked for since the operation began.
    bool mayGoOn() override;
    std::int64_t now() override;
    // Puts what was logged on screen and waits, letting window events run every few
    // milliseconds; ends early once Stop is asked for.
    void wait(int milliseconds) override;

    // Lets pending window events run, at most every kEventInterval.
    void letEventsRun();
    // Asks the running operation to stop where it may.
    void requestStop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_; }

    // An operation starts: the lines it logs are counted from here, for show(), and no Stop
    // is asked for.
    void begin();
    // Shows the boxes of the operation begun last, each once the lines logged before it are
    // on screen and before those logged after it; then the rest of the log.
    void show(const Boxes& boxes);
    void show(const Box& box) { show(Boxes{box}); }

    // Puts the held-back log lines and progress on screen.
    void flush();

    static constexpr int kEventInterval = 20;
    // ... or once this many lines are held back.
    static constexpr int kLinesBetweenEvents = 1000;
    // The longest sleep of a wait between two passes of window events.
    static constexpr int kWaitSlice = 10;

  private:
    // Puts the first `count` held-back lines on screen.
    void flushLines(qsizetype count);

    QWidget* window_;
    QPlainTextEdit* log_;
    QProgressBar* progress_;
    DialogProvider& dialogs_;

    QStringList pendingLines_;
    int logged_ = 0;  // lines logged since begin()
    int progressMaximum_ = 100;
    int progressValue_ = 0;
    bool progressChanged_ = false;
    bool stopRequested_ = false;
    QElapsedTimer sinceEvents_;
};
