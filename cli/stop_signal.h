#pragma once

// Ctrl+C (SIGINT) and SIGTERM while the tool talks to the tracker. Ending the process there
// would leave a temporary file beside an output and might leave the tracker half written, so
// the signal is only noted: a read, a download or the erase wait stops before its next page
// (the sink's mayGoOn() says no), a write or an upload goes on to its end.
class StopSignals {
  public:
    // Catches both signals until destroyed.
    StopSignals();
    // The handlers as they were before; a signal noted stays noted.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    using Handler = void (*)(int);
    Handler previousInterrupt_;
    Handler previousTerminate_;
};

// True once one of the signals came since the last clearStopSignal().
bool stopSignalled();
void clearStopSignal();
