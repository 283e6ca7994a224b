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

const CliCommand defaultsCommand = {
    .name = "defaults",
    .summary = "Write the start-up settings as a configuration file.",
    .description =
        "Writes the settings the window starts with into a configuration file, as \"Save to "
        "file\" does. An existing file is updated: entries of its own are kept.",
    .arguments = {{.name = "OUT.cfg", .help = "The configuration file to write."}},
    .run = runDefaults,
};

const CliCommand encodeCommand = {
    .name = "encode",
    .summary = "Validate a configuration file and encode it as an image.",
    .description =
        "Loads the configuration file onto the start-up settings as \"Read from file\" does, "
        "then validates and encodes the settings as \"Write config\" does, and writes the "
        "8192-byte configuration image. The first setting that fails its check is named and "
        "nothing is written. A file that lacks keys (one of this version's, whose export writes "
        "every key) or holds a value that cannot be read is refused, each such value named, "
        "unless --accept-defaults.",
    .arguments = {{.name = "IN.cfg", .help = "The configuration file to read."},
                  {.name = "OUT.bin", .help = "The configuration image to write."}},
    .acceptsDefaults = true,
    .run = runEncode,
};

const CliCommand checkCommand = {
    .name = "check",
    .summary = "List every setting of a configuration file that would be refused.",
    .description =
        "Loads the configuration file onto the start-up settings as \"Read from file\" does "
        "and checks every setting by the rules of \"Write config\". First comes each value the "
        "file holds but could not give (not a whole number, an item outside its list, a "
        "damaged section or key line) or lacks, then each problem, one line each, "
        "\"page \u203A \u2026 \u203A label: message\", in the order \"Write config\" meets "
        "them; the exit status is 1 when write-config would refuse the file, 0 when it would be "
        "written as it is (a file of another version may lack keys).",
    .arguments = {{.name = "IN.cfg", .help = "The configuration file to check."}},
    .json = true,
    .run = runCheck,
};

const CliCommand diffCommand = {
    .name = "diff",
    .summary = "List the settings that differ between two configurations.",
    .description =
        "Each side is a configuration file, a configuration image (a .bin file, or any file "
        "holding one) or the word \"tracker\" for the configuration the tracker holds, read as "
        "\"Read config\" does. Each side is loaded onto the start-up settings, and every "
        "setting whose value differs is one line, \"page \u203A \u2026 \u203A label: A-value "
        "\u2192 B-value\". A value that a file could not give is listed too, marked \"(default: "
        "line N not read)\". The exit status is 0 when the two are the same, 1 when they differ. "
        "With --device, \"tracker\" is the tracker at that path.",
    .arguments = {{.name = "A",
                   .help = "The first configuration: a file, an image or \"tracker\".",
                   .word = "tracker"},
                  {.name = "B",
                   .help = "The second configuration: a file, an image or \"tracker\".",
                   .word = "tracker"}},
    .worksOnTracker = true,
    .json = true,
    .run = runDiff,
};

const CliCommand beaconsCommand = {
    .name = "beacons",
    .summary = "Show each beacon's packet and what a receiver reads in it.",
    .description =
        "Loads a configuration file, a configuration image or (with the word \"tracker\") the "
        "tracker's configuration onto the start-up settings, as diff does, and builds each "
        "beacon's packet as the tracker sends it, its placeholders filled with sample values: "
        "the station position, the last GPS record of --gps (else the station position and "
        "the time now), 12.6 V and 21 degrees. Each packet is followed by its reading (kind, "
        "position, symbol, comment) or its problems. The exit status is 1 when a beacon has a "
        "problem.",
    .arguments = {{.name = "CONFIG",
                   .help = "A configuration file, an image or \"tracker\".",
                   .word = "tracker"}},
    .options = {{.name = "gps",
                 .valueName = "IN.bin",
                 .help = "Take the GPS samples from the last record of this GPS memory dump."}},
    .worksOnTracker = true,
    .run = runBeacons,
};

const CliCommand decodeCommand = {
    .name = "decode",
    .summary = "Decode a configuration image into a configuration file.",
    .description =
        "Checks an 8192-byte configuration image (checksum, end marker, version) and decodes "
        "it onto the start-up settings as \"Read config\" does, then writes the settings as "
        "\"Save to file\" does.",
    .arguments = {{.name = "IN.bin", .help = "The configuration image to read."},
                  {.name = "OUT.cfg", .help = "The configuration file to write."}},
    .run = runDecode,
};

const CliCommand readConfigCommand = {
    .name = "read-config",
    .summary = "Read the tracker's configuration into a configuration file.",
    .description =
        "Reads the tracker's configuration as \"Read config\" does and writes it as a "
        "configuration file, as \"Save to file\" does.",
    .arguments = {{.name = "OUT.cfg", .help = "The configuration file to write."}},
    .options = {{.name = "image",
                 .valueName = "OUT.bin",
                 .help = "Also write the configuration image as read."}},
    .worksOnTracker = true,
    .run = runReadConfig,
};

const CliCommand writeConfigCommand = {
    .name = "write-config",
    .summary = "Write a configuration file to the tracker.",
    .description =
        "Loads the configuration file onto the start-up settings as \"Read from file\" does, "
        "then validates, encodes and writes them to the tracker as \"Write config\" does. A "
        "file that lacks keys (one of this version's, whose export writes every key) or holds a "
        "value that cannot be read is refused, each such value named, unless "
        "--accept-defaults.",
    .arguments = {{.name = "IN.cfg", .help = "The configuration file to read."}},
    .worksOnTracker = true,
    .acceptsDefaults = true,
    .run = runWriteConfig,
};

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
