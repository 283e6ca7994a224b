#include "cli/command_registry.h"

#include "cli/commands.h"

const std::vector<const CliCommand*>& commands() {
    static const std::vector<const CliCommand*> all = {
        &defaultsCommand,    &encodeCommand,  &checkCommand,    &diffCommand,
        &beaconsCommand,     &decodeCommand,  &nmeaCommand,     &readConfigCommand,
        &writeConfigCommand, &readGpsCommand, &eraseGpsCommand, &uploadFirmwareCommand,
        &listCommand,        &backupsCommand, &restoreCommand,
    };
    return all;
}

const CliCommand backupsCommand = {
    .name = "backups",
    .summary = "List the configuration backups made before each write.",
    .description =
        "Before every write-config, restore or \"Write config\" of the window, the tracker's "
        "configuration is read and kept as a backup file of its 8192 bytes in the user's data "
        "folder (~/.local/share/veltromark/backups; on Windows the local application data "
        "folder), at least the newest 50 of each tracker. Each backup is numbered, one above the "
        "highest in the folder, and ranks by that number whatever the clock said. Lists them "
        "newest first, one line each with the time (UTC), callsign and SSID, firmware version, "
        "USB serial number, whether the image was damaged and the file, separated by tabs.",
    .run = runBackups,
};

const CliCommand restoreCommand = {
    .name = "restore",
    .summary = "Write a configuration backup back to the tracker.",
    .description =
        "Writes the image of a backup (a file, or a name that backups lists) to the tracker "
        "exactly as it is stored, as \"Restore\u2026\" of the window does: only to the "
        "firmware that write-config writes to and only an image of the configuration version "
        "this program writes, after a backup of what the tracker holds now, and read back to "
        "check it. Once the tracker is found and its configuration read, asks on a terminal, "
        "saying whose backup it is and warning when it was made of a tracker with another USB "
        "serial number or is marked damaged; without a terminal it needs --yes. The backup "
        "being restored is never deleted to make room.",
    .arguments = {{.name = "BACKUP", .help = "The backup to write."}},
    .worksOnTracker = true,
    .asks = true,
    .run = runRestore,
};
