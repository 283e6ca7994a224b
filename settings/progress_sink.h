#pragma once

#include <QString>
#include <cstdint>

// What a running operation reports while it runs, and nothing else: the activity log, the
// progress bar, whether it may go on, the clock and the wait. The window paints the log and
// the bar and keeps its events flowing; the command line prints; tests record.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;

    // Appends one line to the activity log.
    virtual void log(const QString& line) = 0;

    // Progress bar: position 0 of `maximum`; one step; back to position 0 (maximum kept).
    virtual void progressStart(int maximum) = 0;
    virtual void progressStep() = 0;
    virtual void progressReset() = 0;

    // Asked between the pages of every page loop and after each pause of a wait; the window
    // lets its events run here. False asks the operation to stop (Stop, Ctrl+C) where it may:
    // reads and waits stop, writes go on to their end.
    virtual bool mayGoOn() = 0;

    // Current time in whole seconds since 1970-01-01 UTC.
    virtual std::int64_t now() = 0;

    // Waits `milliseconds` (the window keeps its events flowing meanwhile), or less once asked
    // to stop.
    virtual void wait(int milliseconds) = 0;
};
