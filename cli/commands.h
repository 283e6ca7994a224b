#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>

class CliHost;

// Exit statuses of veltromark-cli.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitFailed = 1,    // the operation refused or failed; the reason has been written
    kExitBadUsage = 2,  // the command line was not understood
};

// Runs veltromark-cli with `arguments` (the program first, as QCoreApplication::arguments()
// gives them) and returns its exit status. Everything the operations say goes through `host`
// (standard error); only help and version texts go to `out` (standard output).
int runCli(const QStringList& arguments, CliHost& host,
           const std::function<void(const QByteArray&)>& out);
