#include "cli/command_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "cli/cli_sink.h"
#include "cli/commands.h"
#include "cli/stop_signal.h"
#include "configfile/key_table.h"
#include "settings/number.h"
#include "version.h"

namespace {

const QString kProgram = QStringLiteral("veltromark-cli");

// --- The command table.

struct Positional {
    const char* name;
    const char* help;
    bool optional = false;
    // A word the argument takes besides a file ("tracker"); completion offers it.
    const char* word = nullptr;
};
struct ValueOption {
    const char* name;
    const char* valueName;
    const char* help;
};
struct Subcommand {
    const char* name;
    const char* summary;
    const char* description;
    std::vector<Positional> positionals;
    std::vector<ValueOption> options;
    bool device = false;
    int (*run)(Invocation&);
    bool picksDevice = true;       // a device command that takes --device
    bool json = false;             // takes --json: the result as one JSON document
    bool asks = false;             // asks before it does what cannot be undone; takes --yes
    bool acceptsDefaults = false;  // refuses a file that lacks values; takes --accept-defaults
};

const std::vector<Subcommand>& commands() {
    static const std::vector<Subcommand> table = {
        {"defaults",
         "Write the start-up settings as a configuration file.",
         "Writes the settings the window starts with into a configuration file, as \"Save to "
         "file\" does. An existing file is updated: entries of its own are kept.",
         {{"OUT.cfg", "The configuration file to write."}},
         {},
         false,
         runDefaults},
        {"encode",
         "Validate a configuration file and encode it as an image.",
         "Loads the configuration file onto the start-up settings as \"Read from file\" does, "
         "then validates and encodes the settings as \"Write config\" does, and writes the "
         "8192-byte configuration image. The first setting that fails its check is named and "
         "nothing is written. A file that lacks keys (one of this version's, whose export writes "
         "every key) or holds a value that cannot be read is refused, each such value named, "
         "unless --accept-defaults.",
         {{"IN.cfg", "The configuration file to read."},
          {"OUT.bin", "The configuration image to write."}},
         {},
         false,
         runEncode,
         true,
         false,
         false,
         true},
        {"check",
         "List every setting of a configuration file that would be refused.",
         "Loads the configuration file onto the start-up settings as \"Read from file\" does "
         "and checks every setting by the rules of \"Write config\". First comes each value the "
         "file holds but could not give (not a whole number, an item outside its list, a "
         "damaged section or key line) or lacks, then each problem, one line each, "
         "\"page \u203A \u2026 \u203A label: message\", in the order \"Write config\" meets "
         "them; the exit status is 1 when write-config would refuse the file, 0 when it would be "
         "written as it is (a file of another version may lack keys).",
         {{"IN.cfg", "The configuration file to check."}},
         {},
         false,
         runCheck,
         true,
         true},
        {"diff",
         "List the settings that differ between two configurations.",
         "Each side is a configuration file, a configuration image (a .bin file, or any file "
         "holding one) or the word \"tracker\" for the configuration the tracker holds, read as "
         "\"Read config\" does. Each side is loaded onto the start-up settings, and every "
         "setting whose value differs is one line, \"page \u203A \u2026 \u203A label: A-value "
         "\u2192 B-value\". A value that a file could not give is listed too, marked \"(default: "
         "line N not read)\". The exit status is 0 when the two are the same, 1 when they differ. "
         "With --device, \"tracker\" is the tracker at that path.",
         {{"A", "The first configuration: a file, an image or \"tracker\".", false, "tracker"},
          {"B", "The second configuration: a file, an image or \"tracker\".", false, "tracker"}},
         {},
         true,
         runDiff,
         true,
         true},
        {"beacons",
         "Show each beacon's packet and what a receiver reads in it.",
         "Loads a configuration file, a configuration image or (with the word \"tracker\") the "
         "tracker's configuration onto the start-up settings, as diff does, and builds each "
         "beacon's packet as the tracker sends it, its placeholders filled with sample values: "
         "the station position, the last GPS record of --gps (else the station position and "
         "the time now), 12.6 V and 21 degrees. Each packet is followed by its reading (kind, "
         "position, symbol, comment) or its problems. The exit status is 1 when a beacon has a "
         "problem.",
         {{"CONFIG", "A configuration file, an image or \"tracker\".", false, "tracker"}},
         {{"gps", "IN.bin", "Take the GPS samples from the last record of this GPS memory dump."}},
         true,
         runBeacons},
        {"decode",
         "Decode a configuration image into a configuration file.",
         "Checks an 8192-byte configuration image (checksum, end marker, version) and decodes "
         "it onto the start-up settings as \"Read config\" does, then writes the settings as "
         "\"Save to file\" does.",
         {{"IN.bin", "The configuration image to read."},
          {"OUT.cfg", "The configuration file to write."}},
         {},
         false,
         runDecode},
        {"nmea",
         "Turn a GPS memory dump into an NMEA log (and a GPX track).",
         "Reads a GPS memory dump (a whole number of 256-byte blocks) and writes every valid "
         "record as a $GPRMC and a $GPGGA line, exactly as the GPS memory \"Read\" does. With "
         "--gpx, also writes the same records as a GPX 1.1 track.",
         {{"IN.bin", "The GPS memory dump to read."}, {"OUT.log", "The NMEA log to write."}},
         {{"gpx", "OUT.gpx", "Also write the records as a GPX track."}},
         false,
         runNmea},
        {"read-config",
         "Read the tracker's configuration into a configuration file.",
         "Reads the tracker's configuration as \"Read config\" does and writes it as a "
         "configuration file, as \"Save to file\" does.",
         {{"OUT.cfg", "The configuration file to write."}},
         {{"image", "OUT.bin", "Also write the configuration image as read."}},
         true,
         runReadConfig},
        {"write-config",
         "Write a configuration file to the tracker.",
         "Loads the configuration file onto the start-up settings as \"Read from file\" does, "
         "then validates, encodes and writes them to the tracker as \"Write config\" does. A "
         "file that lacks keys (one of this version's, whose export writes every key) or holds a "
         "value that cannot be read is refused, each such value named, unless "
         "--accept-defaults.",
         {{"IN.cfg", "The configuration file to read."}},
         {},
         true,
         runWriteConfig,
         true,
         false,
         false,
         true},
        {"read-gps",
         "Download the tracker's GPS memory into an NMEA log.",
         "Downloads the tracker's whole GPS memory and writes every valid record to the NMEA "
         "log, as the GPS memory \"Read\" does.",
         {{"OUT.log", "The NMEA log to write."}},
         {{"dump", "OUT.bin", "Also write the GPS memory as downloaded."},
          {"gpx", "OUT.gpx", "Also write the records as a GPX track."}},
         true,
         runReadGps},
        {"erase-gps",
         "Erase the tracker's GPS memory.",
         "Erases the tracker's GPS memory and waits for the tracker to finish, as the GPS "
         "memory \"Erase\" does. Once the tracker is found it asks first, on the terminal; "
         "without a terminal to ask on it needs --yes.",
         {},
         {},
         true,
         runEraseGps,
         true,
         false,
         true},
        {"upload-firmware",
         "Upload firmware to the tracker.",
         "Sends a firmware image to the tracker, as \"Upload firmware\" does: the given file "
         "(at most 112640 bytes), or else the image this program carries (with --simulate, a "
         "test image). The tracker's present firmware cannot be read back: once the tracker is "
         "found it asks first, on the terminal; without a terminal to ask on it needs --yes.",
         {{"FILE.bin", "The firmware image to send.", true}},
         {},
         true,
         runUploadFirmware,
         true,
         false,
         true},
        {"list",
         "List the trackers found, and whether each can be opened.",
         "Lists every tracker found, one line each with its device path, serial number, product "
         "text and whether it can be opened (and why not), separated by tabs. Nothing is sent to "
         "the trackers. Fails when no tracker is found.",
         {},
         {},
         true,
         runList,
         false,
         true},
        {"backups",
         "List the configuration backups made before each write.",
         "Before every write-config, restore or \"Write config\" of the window, the tracker's "
         "configuration is read and kept as a backup file of its 8192 bytes in the user's data "
         "folder (~/.local/share/veltromark/backups; on Windows the local application data "
         "folder), at least the newest 50 of each tracker. Each backup is numbered, one above the "
         "highest in the folder, and ranks by that number whatever the clock said. Lists them "
         "newest first, one line each with the time (UTC), callsign and SSID, firmware version, "
         "USB serial number, whether the image was damaged and the file, separated by tabs.",
         {},
         {},
         false,
         runBackups},
        {"restore",
         "Write a configuration backup back to the tracker.",
         "Writes the image of a backup (a file, or a name that backups lists) to the tracker "
         "exactly as it is stored, as \"Restore\u2026\" of the window does: only to the "
         "firmware that write-config writes to and only an image of the configuration version "
         "this program writes, after a backup of what the tracker holds now, and read back to "
         "check it. Once the tracker is found and its configuration read, asks on a terminal, "
         "saying whose backup it is and warning when it was made of a tracker with another USB "
         "serial number or is marked damaged; without a terminal it needs --yes. The backup "
         "being restored is never deleted to make room.",
         {{"BACKUP", "The backup to write."}},
         {},
         true,
         runRestore,
         true,
         false,
         true},
    };
    return table;
}

QString synopsis(const Subcommand& c) {
    QStringList parts{QString::fromLatin1(c.name)};
    for (const Positional& p : c.positionals) {
        parts << (p.optional ? QStringLiteral("[%1]").arg(p.name) : QString::fromLatin1(p.name));
    }
    for (const ValueOption& o : c.options) {
        parts << QStringLiteral("[--%1 %2]").arg(o.name, o.valueName);
    }
    if (c.json) {
        parts << QStringLiteral("[--json]");
    }
    if (c.device && c.picksDevice) {
        parts << QStringLiteral("[--device PATH]");
    }
    if (c.asks) {
        parts << QStringLiteral("[--yes]");
    }
    if (c.acceptsDefaults) {
        parts << QStringLiteral("[--accept-defaults]");
    }
    if (c.device) {
        parts << QStringLiteral("[--simulate]") << QStringLiteral("[--simulate-fault FAULT]");
    }
    return parts.join(QLatin1Char(' '));
}

QString usageLine(const Subcommand& c) {
    return QStringLiteral("Usage: %1 %2").arg(kProgram, synopsis(c));
}

// Two columns, the first padded to `width`.
QString row(const QString& left, const QString& right, int width) {
    return QStringLiteral("  %1  %2\n").arg(left.leftJustified(width), right);
}

QString toolHelp() {
    QString text =
        QStringLiteral(
            "Usage: %1 COMMAND [ARGUMENTS] [OPTIONS]\n\n"
            "The Veltromark Configurator from the command line: the same reading, checking and "
            "writing\nof configurations, GPS memory and firmware as the window, for scripts, "
            "backups and many\ntrackers.\n\nCommands:\n")
            .arg(kProgram);
    int width = 0;
    for (const Subcommand& c : commands()) {
        width = std::max(width, static_cast<int>(qstrlen(c.name)));
    }
    for (const Subcommand& c : commands()) {
        text += row(QString::fromLatin1(c.name), QString::fromLatin1(c.summary), width);
    }
    text += QStringLiteral(
        "\nOptions:\n"
        "  -h, --help   Show this help; COMMAND --help shows the help of a command.\n"
        "  -q, --quiet  Write only errors and results (see below).\n"
        "  --version    Show the version.\n\n"
        "Device commands work on the first tracker found, on the one at --device PATH (see\n"
        "list), or on a simulated tracker with --simulate. --simulate-fault=FAULT rehearses a\n"
        "failure on the simulated tracker; exchanges count from 1, and in read-gps exchange N\n"
        "reads page N.\n\n"
        "Faults:\n");
    for (const SimulatedFaultKind& fault : simulatedFaultKinds()) {
        text += row(faultName(fault), QString::fromLatin1(fault.help), 10);
    }
    text += QStringLiteral(
        "\nResults (problems, differences, packets, trackers) go to standard output; with\n"
        "--json, those of check, diff and list as one JSON document. The activity log,\n"
        "messages and errors go to standard error; with --quiet only messages and errors,\n"
        "and the activity log only of a command that fails, without the pages that went\n"
        "through. Every output file is checked before any work starts, and output files are\n"
        "replaced only once every one of them is completely written; a failed command leaves\n"
        "the old ones.\n\n"
        "Ctrl+C (or SIGTERM, SIGHUP, SIGQUIT; on Windows also Ctrl+Break and closing the\n"
        "console) stops a read, a download or the erase wait before its next page; a write,\n"
        "a restore or an upload is finished first, and one not yet begun is not begun. At a\n"
        "question it is a no. A closed standard output or error stops the printing only.\n\n"
        "Exit status: 0 success, 1 the operation refused or failed, 2 bad usage, 130 stopped\n"
        "by one of those signals.\n");
    return text;
}

// `text` broken into lines of at most `width` characters at blanks.
QString wrapped(const QString& text, int width) {
    QString out;
    qsizetype lineLength = 0;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            out += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            out += QLatin1Char(' ');
            ++lineLength;
        }
        out += word;
        lineLength += word.size();
    }
    return out + QLatin1Char('\n');
}

// An argument as its row in the help names it: "A|tracker" for one that also takes a word.
QString argumentName(const Positional& p) {
    return p.word ? QStringLiteral("%1|%2").arg(p.name, p.word) : QString::fromLatin1(p.name);
}

// "unplug@N, noreply@N, badsum@N or noopen".
QString faultList() {
    QStringList names;
    for (const SimulatedFaultKind& fault : simulatedFaultKinds()) {
        names << faultName(fault);
    }
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString commandHelp(const Subcommand& c) {
    QString text =
        usageLine(c) + QStringLiteral("\n\n") + wrapped(QString::fromUtf8(c.description), 90);
    int width = c.device && c.picksDevice ? 13 : 10;
    for (const Positional& p : c.positionals) {
        width = std::max(width, static_cast<int>(argumentName(p).size()));
    }
    for (const ValueOption& o : c.options) {
        width = std::max(width, static_cast<int>(qstrlen(o.name) + qstrlen(o.valueName) + 3));
    }
    if (c.device) {
        width = std::max(width, static_cast<int>(qstrlen("--simulate-fault FAULT")));
    }
    if (c.acceptsDefaults) {
        width = std::max(width, static_cast<int>(qstrlen("--accept-defaults")));
    }
    if (!c.positionals.empty()) {
        text += QStringLiteral("\nArguments:\n");
        for (const Positional& p : c.positionals) {
            text += row(argumentName(p), QString::fromLatin1(p.help), width);
        }
    }
    text += QStringLiteral("\nOptions:\n");
    for (const ValueOption& o : c.options) {
        text += row(QStringLiteral("--%1 %2").arg(o.name, o.valueName), QString::fromLatin1(o.help),
                    width);
    }
    if (c.asks) {
        text +=
            row(QStringLiteral("--yes"),
                QStringLiteral("Go ahead without a question (needed without a terminal)."), width);
    }
    if (c.acceptsDefaults) {
        text += row(QStringLiteral("--accept-defaults"),
                    QStringLiteral("Write a file that lacks values with their defaults."), width);
    }
    if (c.device && c.picksDevice) {
        text += row(QStringLiteral("--device PATH"),
                    QStringLiteral("Work on the tracker at PATH instead of the first one found."),
                    width);
    }
    if (c.device) {
        text += row(QStringLiteral("--simulate"),
                    QStringLiteral("Work on a simulated tracker instead of a real one."), width);
        text += row(QStringLiteral("--simulate-fault FAULT"),
                    QStringLiteral("The simulated tracker fails: %1; see %2 --help.")
                        .arg(faultList(), kProgram),
                    width);
    }
    if (c.json) {
        text += row(QStringLiteral("--json"),
                    QStringLiteral("Print the result as one JSON document."), width);
    }
    text +=
        row(QStringLiteral("-q, --quiet"), QStringLiteral("Write only errors and results."), width);
    text += row(QStringLiteral("-h, --help"), QStringLiteral("Show this help."), width);
    return text;
}

// The arguments a command writes are named OUT.<kind> in the table.
bool isOutput(const char* argumentName) {
    return QLatin1String(argumentName).startsWith(QLatin1String("OUT"));
}

bool sameFile(const QString& a, const QString& b) {
    const auto key = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    };
    return key(a) == key(b);
}

int badUsage(CliSink& sink, const QString& problem, const QString& hint) {
    sink.say(complaint(problem));
    sink.say(hint);
    return kExitBadUsage;
}

int runCommand(const Subcommand& command, const QStringList& arguments, CliSink& sink,
               const std::function<void(const QByteArray&)>& out, const Ask& ask) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption quiet(QStringList{"q", "quiet"});
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption simulate(QStringLiteral("simulate"));
    const QCommandLineOption device(QStringLiteral("device"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption simulateFault(QStringLiteral("simulate-fault"), QString(),
                                           QStringLiteral("FAULT"));
    const QCommandLineOption yes(QStringLiteral("yes"));
    const QCommandLineOption acceptDefaults(QStringLiteral("accept-defaults"));
    parser.addOption(help);
    parser.addOption(quiet);
    if (command.json) {
        parser.addOption(json);
    }
    if (command.asks) {
        parser.addOption(yes);
    }
    if (command.acceptsDefaults) {
        parser.addOption(acceptDefaults);
    }
    if (command.device) {
        parser.addOption(simulate);
        parser.addOption(simulateFault);
    }
    if (command.device && command.picksDevice) {
        parser.addOption(device);
    }
    for (const ValueOption& o : command.options) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(o.name),
                                            QString::fromLatin1(o.help),
                                            QString::fromLatin1(o.valueName)));
    }
    const QString hint =
        usageLine(command) + QStringLiteral("\nTry '%1 %2 --help'.").arg(kProgram, command.name);
    if (!parser.parse(arguments)) {
        return badUsage(sink, QStringLiteral("%1: %2").arg(command.name, parser.errorText()), hint);
    }
    if (parser.isSet(help)) {
        out(commandHelp(command).toLocal8Bit());
        return kExitSuccess;
    }
    // The first positional argument is the command's own name.
    const QStringList given = parser.positionalArguments().mid(1);
    const auto required =
        static_cast<qsizetype>(std::count_if(command.positionals.begin(), command.positionals.end(),
                                             [](const Positional& p) { return !p.optional; }));
    const auto allowed = static_cast<qsizetype>(command.positionals.size());
    if (given.size() < required) {
        return badUsage(sink,
                        QStringLiteral("%1: missing %2")
                            .arg(command.name, command.positionals[given.size()].name),
                        hint);
    }
    if (given.size() > allowed) {
        return badUsage(
            sink, QStringLiteral("%1: unexpected argument '%2'").arg(command.name, given[allowed]),
            hint);
    }
    const bool simulated = command.device && parser.isSet(simulate);
    const bool answered = command.asks && parser.isSet(yes);
    Invocation invocation{sink, given, {}, simulated, {}, {}, out, answered, ask};
    invocation.json = command.json && parser.isSet(json);
    invocation.acceptDefaults = command.acceptsDefaults && parser.isSet(acceptDefaults);
    sink.setQuiet(parser.isSet(quiet));
    if (command.device && command.picksDevice && parser.isSet(device)) {
        if (parser.value(device).isEmpty()) {
            return badUsage(
                sink, QStringLiteral("%1: --device needs a device path").arg(command.name), hint);
        }
        invocation.device = parser.value(device);
    }
    if (command.device && parser.isSet(simulateFault)) {
        invocation.fault = parseSimulatedFault(parser.value(simulateFault));
        if (!invocation.fault) {
            return badUsage(sink,
                            QStringLiteral("%1: unknown fault '%2' (%3)")
                                .arg(command.name, parser.value(simulateFault), faultList()),
                            hint);
        }
    }
    for (const ValueOption& o : command.options) {
        if (!parser.isSet(o.name)) {
            continue;
        }
        if (parser.value(o.name).isEmpty()) {
            return badUsage(
                sink, QStringLiteral("%1: --%2 needs a file name").arg(command.name, o.name), hint);
        }
        invocation.options[QString::fromLatin1(o.name)] = parser.value(o.name);
    }

    // Two arguments naming one file would have one output replace the other, or an output
    // replace its own input. Two inputs may well be one file ("diff a.cfg ./a.cfg").
    QStringList files = given;
    std::vector<bool> written;
    for (qsizetype i = 0; i < given.size(); ++i) {
        written.push_back(isOutput(command.positionals[static_cast<std::size_t>(i)].name));
    }
    for (const auto& [name, value] : invocation.options) {
        files << value;
        written.push_back(std::any_of(
            command.options.begin(), command.options.end(), [&name](const ValueOption& o) {
                return name == QLatin1String(o.name) && isOutput(o.valueName);
            }));
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        for (qsizetype j = i + 1; j < files.size(); ++j) {
            if ((written[static_cast<std::size_t>(i)] || written[static_cast<std::size_t>(j)]) &&
                sameFile(files[i], files[j])) {
                return badUsage(sink,
                                QStringLiteral("%1: '%2' and '%3' name the same file")
                                    .arg(command.name, files[i], files[j]),
                                hint);
            }
        }
    }

    // An output that cannot be written is found before the tracker is touched.
    QStringList outputs;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (written[static_cast<std::size_t>(i)]) {
            outputs << files[i];
        }
    }
    if (!outputsWritable(sink, outputs)) {
        return kExitFailed;
    }

    try {
        // The tool has caught the signals since it started (a signal noted before now stops
        // this command as well); these are for a caller that runs the tool in its own process.
        const StopSignals caught;
        int result = command.run(invocation);
        sink.finish();
        // A signal stopped a read where it was (and the read said where), or came while a
        // write had to be finished.
        if (stopSignalled()) {
            if (result == kExitSuccess) {
                sink.say(complaint(
                    QStringLiteral("interrupted; %1 was completed first.").arg(command.name)));
            }
            result = kExitInterrupted;
        }
        return result;
    } catch (const ConversionError& e) {
        // The window shows this in its error box and ends the operation; so do we.
        sink.writeHeldLog();
        sink.show({errorBox(e.message())});
        return kExitFailed;
    }
}

}  // namespace

int runCli(const QStringList& arguments, CliSink& sink,
           const std::function<void(const QByteArray&)>& out, const Ask& ask) {
    // The command is the first argument that is not an option.
    const auto commandAt =
        std::find_if(arguments.begin() + std::min<qsizetype>(1, arguments.size()), arguments.end(),
                     [](const QString& a) { return !a.startsWith('-'); });
    if (commandAt == arguments.end()) {
        const QStringList options = arguments.mid(1);
        if (options.contains("-h") || options.contains("--help")) {
            out(toolHelp().toLocal8Bit());
            return kExitSuccess;
        }
        if (options == QStringList{"--version"}) {
            out(QStringLiteral("%1 v%2\n")
                    .arg(kProgram, QLatin1String(kProgramVersion))
                    .toLocal8Bit());
            return kExitSuccess;
        }
        const QString hint = QStringLiteral("Try '%1 --help'.").arg(kProgram);
        if (options.isEmpty()) {
            return badUsage(sink, QStringLiteral("no command given"), hint);
        }
        return badUsage(sink, QStringLiteral("unknown option '%1'").arg(options.first()), hint);
    }
    for (const Subcommand& command : commands()) {
        if (*commandAt == QLatin1String(command.name)) {
            return runCommand(command, arguments, sink, out, ask);
        }
    }
    return badUsage(sink, QStringLiteral("unknown command '%1'").arg(*commandAt),
                    QStringLiteral("Try '%1 --help' for the commands.").arg(kProgram));
}
