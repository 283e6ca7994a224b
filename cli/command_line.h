#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>

#include "cli/command.h"

class CliSink;

// Runs veltromark-cli with `arguments` (the program first, as QCoreApplication::arguments()
// gives them) and returns its exit status (ExitStatus). Everything the operations say goes
// through `sink` (standard error); only help and version texts go to `out` (standard output).
// The questions of erase-gps and upload-firmware go to `ask`; without one (or when it has no
// terminal) those commands need --yes.
int runCli(const QStringList& arguments, CliSink& sink,
           const std::function<void(const QByteArray&)>& out, const Ask& ask = {});
