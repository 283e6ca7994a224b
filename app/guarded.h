#pragma once

#include <functional>

#include "settings/outcome.h"

// Runs one handler of the window to its end. Nothing it throws reaches Qt's event loop: a
// ConversionError (a number field that holds no whole number) shows its message in the
// application error box, any other exception its text, and anything else an empty box.
// Returns true when the handler finished without throwing.
bool runGuarded(const std::function<void(const Box&)>& show, const std::function<void()>& handler);
