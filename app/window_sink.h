#pragma once

#include <QString>
#include <QStringList>

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

    // An operation starts: the lines it logs are counted from here, for show().
    void begin();
    // Shows the boxes of the operation begun last, each once the lines logged before it are
    // on screen and before those logged after it; then the rest of the log.
    void show(const Boxes& boxes);
    void show(const Box& box) { show(Boxes{box}); }

    // Puts the held-back log lines and progress on screen.
    void flush();

  private:
    // Puts the first `count` held-back lines on screen.
    void flushLines(qsizetype count);
    void flushProgress();

    QWidget* window_;
    QPlainTextEdit* log_;
    QProgressBar* progress_;
    DialogProvider& dialogs_;

    QStringList pendingLines_;
    int logged_ = 0;  // lines logged since begin()
    int progressMaximum_ = 100;
    int progressValue_ = 0;
    bool progressChanged_ = false;
};
