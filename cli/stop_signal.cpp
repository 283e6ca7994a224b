#include "cli/stop_signal.h"

#include <csignal>

namespace {

// The handler only sets this: nothing else is safe to do in a signal handler. On Windows a
// console's Ctrl+C runs the handler on a thread of its own, where a sig_atomic_t store is what
// the runtime documents as safe.
volatile std::sig_atomic_t noted = 0;

extern "C" void noteStopSignal(int signal) {
    noted = 1;
#ifdef _WIN32
    // The runtime puts the default handler back before calling this one; a second Ctrl+C
    // during a write must not end the process either.
    std::signal(signal, noteStopSignal);
#else
    static_cast<void>(signal);
#endif
}

}  // namespace

StopSignals::StopSignals()
    : previousInterrupt_(std::signal(SIGINT, noteStopSignal)),
      previousTerminate_(std::signal(SIGTERM, noteStopSignal)) {}

StopSignals::~StopSignals() {
    std::signal(SIGINT, previousInterrupt_ == SIG_ERR ? SIG_DFL : previousInterrupt_);
    std::signal(SIGTERM, previousTerminate_ == SIG_ERR ? SIG_DFL : previousTerminate_);
}

bool stopSignalled() {
    return noted != 0;
}

void clearStopSignal() {
    noted = 0;
}
