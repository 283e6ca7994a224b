#pragma once

#include <QString>

struct CliCommand;

// The tool's name, as its help and its complaints give it.
extern const QString kProgram;

// The tool's help: its commands, options, faults and exit statuses.
QString toolHelp();
// A command's help: its usage, description, arguments and options.
QString commandHelp(const CliCommand& command);
// "Usage: veltromark-cli diff A B [--json] …".
QString usageLine(const CliCommand& command);
// "unplug@N, noreply@N, badsum@N or noopen".
QString faultList();
