#pragma once

#include <QStringList>

#include "cli/command.h"

class CliSink;

// The commands, each the same operation as the window's button; each returns its exit status
// and has said why when it is not kExitSuccess. A number field that is not a whole number
// throws ConversionError, as in the window.
int runDefaults(Invocation& in);     // defaults OUT.cfg
int runEncode(Invocation& in);       // encode IN.cfg OUT.bin [--accept-defaults]
int runDecode(Invocation& in);       // decode IN.bin OUT.cfg
int runCheck(Invocation& in);        // check IN.cfg
int runDiff(Invocation& in);         // diff A B
int runBeacons(Invocation& in);      // beacons FILE|IMAGE|tracker [--gps IN.bin]
int runReadConfig(Invocation& in);   // read-config OUT.cfg [--image OUT.bin]
int runWriteConfig(Invocation& in);  // write-config IN.cfg [--accept-defaults]
int runBackups(Invocation& in);      // backups
int runRestore(Invocation& in);      // restore BACKUP [--yes]
