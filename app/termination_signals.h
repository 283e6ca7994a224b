#pragma once

#include <functional>

class QObject;

// The signals that end the window's session from outside: Ctrl+C in the terminal that
// started it (SIGINT), SIGTERM, a closed terminal (SIGHUP) and SIGQUIT. They close the
// window as its close button does, by the rules that keep a running write whole. Unix only;
// elsewhere these do nothing.

// From now on, calls `onSignal` on `context`'s thread, from its event loop, whenever one of
// the signals arrives. The handler itself only writes a byte to a socket.
void watchTerminationSignals(QObject* context, std::function<void()> onSignal);

// Keeps the signals away from the calling thread (the operation thread), so that they are
// handled on the window's thread and never cut a wait for the tracker short.
void blockTerminationSignals();
