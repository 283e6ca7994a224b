#pragma once

#include <QString>

#include "settings/outcome.h"

struct Invocation;

// The answer to an operation's question: yes with --yes, else the one given on the terminal.
// Without a terminal to ask on, the command goes no further and says how to make it: "no
// terminal to ask whether to <what>: give --yes to go ahead".
Confirm confirmation(Invocation& in, const QString& what);
