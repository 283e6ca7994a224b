#pragma once

#include <QStringList>

#include "cli/command.h"

class CliSink;

// The commands, each the same operation as the window's button; each returns its exit status
// and has said why when it is not kExitSuccess. A number field that is not a whole number
// throws ConversionError, as in the window.
int runBackups(Invocation& in);  // backups
int runRestore(Invocation& in);  // restore BACKUP [--yes]
