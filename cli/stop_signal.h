#pragma once

#include <array>

// The signals that ask the tool to stop: SIGINT (Ctrl+C), SIGTERM, SIGHUP (the terminal went
// away) and SIGQUIT; on Windows Ctrl+C, Ctrl+Break and the console's close, logoff and shutdown
// events. None of them ends the process there and then: ending it would leave a temporary file
// beside an output and might leave the tracker half written. The signal is only noted: a read,
// a download or the erase wait stops before its next page (the sink's mayGoOn() says no), a
// write, a restore or an upload goes on to its end, and a write or an erase not yet begun is
// never sent. The console's close event on Windows holds the process until the tool has ended
// (the system allows about 5 seconds).
//
// SIGPIPE is ignored meanwhile: a write to a closed pipe fails instead, and the printing stops
// (writeToStream) while the operation goes on.
class StopSignals {
  public:
    // Catches the signals until destroyed. The tool makes one before anything else, so that no
    // signal finds it without.
    StopSignals();
    // The handlers as they were before; a signal noted stays noted.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    using Handler = void (*)(int);
    static constexpr int kCaught = 5;  // the four signals and SIGPIPE (where they exist)
    std::array<Handler, kCaught> previous_{};
};

// True once one of the signals came since the last clearStopSignal().
bool stopSignalled();
void clearStopSignal();
