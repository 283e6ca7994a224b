#include "cli/command_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "cli/cli_sink.h"
#include "cli/command_registry.h"
#include "cli/files.h"
#include "cli/help.h"
#include "cli/stop_signal.h"
#include "configfile/key_table.h"
#include "settings/number.h"
#include "version.h"

namespace {

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

int runCommand(const CliCommand& command, const QStringList& arguments, CliSink& sink,
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
    if (command.worksOnTracker) {
        parser.addOption(simulate);
        parser.addOption(simulateFault);
    }
    if (command.worksOnTracker && command.takesDevicePath) {
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
        static_cast<qsizetype>(std::count_if(command.arguments.begin(), command.arguments.end(),
                                             [](const Positional& p) { return !p.optional; }));
    const auto allowed = static_cast<qsizetype>(command.arguments.size());
    if (given.size() < required) {
        return badUsage(sink,
                        QStringLiteral("%1: missing %2")
                            .arg(command.name, command.arguments[given.size()].name),
                        hint);
    }
    if (given.size() > allowed) {
        return badUsage(
            sink, QStringLiteral("%1: unexpected argument '%2'").arg(command.name, given[allowed]),
            hint);
    }
    Invocation invocation{
        .sink = sink,
        .arguments = given,
        .simulate = command.worksOnTracker && parser.isSet(simulate),
        .out = out,
        .yes = command.asks && parser.isSet(yes),
        .ask = ask,
        .json = command.json && parser.isSet(json),
        .acceptDefaults = command.acceptsDefaults && parser.isSet(acceptDefaults),
    };
    sink.setQuiet(parser.isSet(quiet));
    if (command.worksOnTracker && command.takesDevicePath && parser.isSet(device)) {
        if (parser.value(device).isEmpty()) {
            return badUsage(
                sink, QStringLiteral("%1: --device needs a device path").arg(command.name), hint);
        }
        invocation.device = parser.value(device);
    }
    if (command.worksOnTracker && parser.isSet(simulateFault)) {
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
        written.push_back(isOutput(command.arguments[static_cast<std::size_t>(i)].name));
    }
    for (const auto& option : invocation.options) {
        files << option.second;
        written.push_back(std::any_of(
            command.options.begin(), command.options.end(), [&option](const ValueOption& o) {
                return option.first == QLatin1String(o.name) && isOutput(o.valueName);
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
    for (const CliCommand* command : commands()) {
        if (*commandAt == QLatin1String(command->name)) {
            return runCommand(*command, arguments, sink, out, ask);
        }
    }
    return badUsage(sink, QStringLiteral("unknown command '%1'").arg(*commandAt),
                    QStringLiteral("Try '%1 --help' for the commands.").arg(kProgram));
}
