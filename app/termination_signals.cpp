#include "app/termination_signals.h"

#include <QObject>

#ifdef Q_OS_UNIX
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <QPointer>
#include <QSocketNotifier>
#include <array>
#include <cerrno>

namespace {

constexpr std::array kSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The socket pair the handler writes to and the window's thread reads from.
int signalSocket[2] = {-1, -1};
// The one reader of it: a window watching anew takes over.
QPointer<QSocketNotifier> reader;

extern "C" void noteTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // Nothing else is safe here; a full socket already holds a note.
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &byte, 1);
    errno = saved;
}

}  // namespace

void watchTerminationSignals(QObject* context, std::function<void()> onSignal) {
    if (signalSocket[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSocket) != 0) {
            return;  // the signals keep their default effect
        }
        for (const int fd : signalSocket) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    delete reader;
    reader = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, context);
    QObject::connect(
        reader, &QSocketNotifier::activated, context, [onSignal = std::move(onSignal)] {
            char bytes[16];
            [[maybe_unused]] const ssize_t read = ::read(signalSocket[1], bytes, sizeof bytes);
            onSignal();
        });
    struct sigaction action = {};
    action.sa_handler = noteTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        sigaction(signal, &action, nullptr);
    }
}

void blockTerminationSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals) {
        sigaddset(&set, signal);
    }
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

#else

void watchTerminationSignals(QObject*, std::function<void()>) {}
void blockTerminationSignals() {}

#endif
