#include "cli/stop_signal.h"

#include <csignal>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The handler only sets this: nothing else is safe to do in a signal handler. On Windows a
// console event runs its handler on a thread of its own, where a sig_atomic_t store is what
// the runtime documents as safe.
volatile std::sig_atomic_t noted = 0;

extern "C" void noteStopSignal(int signal) {
    noted = 1;
#ifdef _WIN32
    // The runtime puts the default handler back before calling this one; a second signal during
    // a write must not end the process either.
    std::signal(signal, noteStopSignal);
#else
    static_cast<void>(signal);
#endif
}

// The signals noted, then SIGPIPE (ignored); 0 where the system has no such signal.
#ifdef _WIN32
constexpr int kSignals[] = {SIGINT, SIGTERM, 0, 0, 0};
#else
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
#endif
constexpr int kPipe = 4;

#ifdef _WIN32
// Ctrl+C and Ctrl+Break are noted like the signals. When the console closes (or the user logs
// off, or the system shuts down), the process ends as soon as this returns: it is noted, and
// this thread then waits for the main thread to end the process once its command is done.
BOOL WINAPI noteConsoleEvent(DWORD event) {
    noted = 1;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        return TRUE;
    }
    Sleep(INFINITE);
    return TRUE;
}
#endif

}  // namespace

StopSignals::StopSignals() {
    for (int i = 0; i < kCaught; ++i) {
        if (kSignals[i] != 0) {
            previous_[i] = std::signal(kSignals[i], i == kPipe ? SIG_IGN : noteStopSignal);
        }
    }
#ifdef _WIN32
    SetConsoleCtrlHandler(noteConsoleEvent, TRUE);
#endif
}

StopSignals::~StopSignals() {
#ifdef _WIN32
    SetConsoleCtrlHandler(noteConsoleEvent, FALSE);
#endif
    for (int i = 0; i < kCaught; ++i) {
        if (kSignals[i] != 0) {
            std::signal(kSignals[i], previous_[i] == SIG_ERR ? SIG_DFL : previous_[i]);
        }
    }
}

bool stopSignalled() {
    return noted != 0;
}

void clearStopSignal() {
    noted = 0;
}
