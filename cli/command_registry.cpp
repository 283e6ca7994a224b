#include "cli/command_registry.h"

const std::vector<const CliCommand*>& commands() {
    static const std::vector<const CliCommand*> all = {
        &defaultsCommand,        // commands_files.cpp
        &encodeCommand,          // commands_files.cpp
        &checkCommand,           // commands_files.cpp
        &diffCommand,            // commands_configuration.cpp
        &beaconsCommand,         // commands_configuration.cpp
        &decodeCommand,          // commands_files.cpp
        &nmeaCommand,            // commands_gps.cpp
        &readConfigCommand,      // commands_configuration.cpp
        &writeConfigCommand,     // commands_configuration.cpp
        &readGpsCommand,         // commands_gps.cpp
        &eraseGpsCommand,        // commands_gps.cpp
        &uploadFirmwareCommand,  // commands_firmware.cpp
        &listCommand,            // commands_trackers.cpp
        &backupsCommand,         // commands_backups.cpp
        &restoreCommand,         // commands_backups.cpp
    };
    return all;
}
