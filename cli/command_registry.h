#pragma once

#include <vector>

#include "cli/command.h"

// Every command of the tool, in the order its help lists them. The tool's help, its man page
// and its bash completion are made from this list.
const std::vector<const CliCommand*>& commands();

// The entries, each defined beside its run function in the file of its family (commands_*.cpp).
extern const CliCommand defaultsCommand;
extern const CliCommand encodeCommand;
extern const CliCommand checkCommand;
extern const CliCommand diffCommand;
extern const CliCommand beaconsCommand;
extern const CliCommand decodeCommand;
extern const CliCommand nmeaCommand;
extern const CliCommand readConfigCommand;
extern const CliCommand writeConfigCommand;
extern const CliCommand readGpsCommand;
extern const CliCommand eraseGpsCommand;
extern const CliCommand uploadFirmwareCommand;
extern const CliCommand listCommand;
extern const CliCommand backupsCommand;
extern const CliCommand restoreCommand;
