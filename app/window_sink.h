#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "settings/outcome.h"

class DialogProvider;
class QPlainTextEdit;
class QProgressBar;
class QWidget;

// The activity log and the progress bar of the main window, and the boxes that operations
// and rules hand back, shown through the DialogProvider. Used on the window's thread only:
// a running operation reports to the operation runner, which passes its lines and progress
// on here in batches.
//
// Lines and progress are held back and put on screen together (flush), so that a batch of
// page lines costs one update of the log. The order of lines never changes.
//
// A run of page lines of one operation ("Page read: 1/256" to "Page read: 256/256") shows as
// one line that counts up; every other line, a page error included, gets a line of its own.
// Lines are counted as logged, not as shown, so a box still comes up after the lines logged
// before it.
//
// The bar says in words how far the operation is: the percentage, the pages done of all (in
// a page loop) and, once it can be estimated, the time left.
class WindowSink {
  public:
    // `window` is the parent of the boxes.
    WindowSink(QWidget* window, QPlainTextEdit* log, QProgressBar* progress,
               DialogProvider& dialogs);

    // Appends one line to the activity log.
    void log(const QString& line);
    // Progress bar: position 0 of `maximum`; one step; back to position 0 (maximum kept);
    // or a position of its own.
    void progressStart(int maximum) { setProgress(maximum, 0); }
    void progressStep() { setProgress(progressMaximum_, progressValue_ + 1); }
    void progressReset() { setProgress(progressMaximum_, 0); }
    void setProgress(int maximum, int value);

    // An operation starts: the lines it logs are counted from here, for show(), and a page
    // line no longer continues one logged before.
    void begin();
    // The operation has ended: the bar no longer tells the time left.
    void end();
    // Lines logged since begin().
    int logged() const { return logged_; }
    // What the operation begun last said about its failure: the lines it logged after its
    // last page that went through (or after the found line), each repeated line once.
    const QStringList& failureLines() const { return failureLines_; }

    // Shows the boxes of the operation begun last, each once the lines logged before it are
    // on screen and before those logged after it; then the rest of the log.
    void show(const Boxes& boxes);
    void show(const Box& box) { show(Boxes{box}); }

    // Puts the held-back log lines and progress on screen.
    void flush();

    // The clock the time left is estimated by, in milliseconds (a steady one by default).
    void setClock(std::function<qint64()> milliseconds) { clock_ = std::move(milliseconds); }

  private:
    // Puts the first `count` held-back lines on screen.
    void flushLines(qsizetype count);
    void flushProgress();
    // The bar's text for its present position.
    QString progressText() const;

    QWidget* window_;
    QPlainTextEdit* log_;
    QProgressBar* progress_;
    DialogProvider& dialogs_;

    QStringList pendingLines_;
    int logged_ = 0;  // lines logged since begin()
    // The run the last line on screen belongs to ("Page read/256"), empty when it is no page
    // line of the running operation.
    QString shownRun_;
    QStringList failureLines_;
    int pageTotal_ = 0;  // the page count of the last page line logged, 0 for none

    int progressMaximum_ = 100;
    int progressValue_ = 0;
    bool progressChanged_ = false;
    // The time left is estimated from the pages done since the loop was first seen.
    std::function<qint64()> clock_;
    qint64 loopStart_ = 0;
    int loopFirstValue_ = 0;
    bool estimating_ = false;
};
