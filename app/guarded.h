#pragma once

#include <functional>

class Host;

// Runs one handler of the window to its end. Nothing it throws reaches Qt's event loop: a
// ConversionError (a number field that holds no whole number) shows its message in the
// application error box, any other exception its text, and anything else an empty box.
// Returns true when the handler finished without throwing.
bool runGuarded(Host& host, const std::function<void()>& handler);
