#include "cli/help.h"

#include <QStringList>
#include <algorithm>

#include "cli/command_registry.h"
#include "sim/simulated_fault.h"

const QString kProgram = QStringLiteral("veltromark-cli");

namespace {

QString synopsis(const CliCommand& c) {
    QStringList parts{QString::fromLatin1(c.name)};
    for (const Positional& p : c.arguments) {
        parts << (p.optional ? QStringLiteral("[%1]").arg(p.name) : QString::fromLatin1(p.name));
    }
    for (const ValueOption& o : c.options) {
        parts << QStringLiteral("[--%1 %2]").arg(o.name, o.valueName);
    }
    if (c.json) {
        parts << QStringLiteral("[--json]");
    }
    if (c.worksOnTracker && c.takesDevicePath) {
        parts << QStringLiteral("[--device PATH]");
    }
    if (c.asks) {
        parts << QStringLiteral("[--yes]");
    }
    if (c.acceptsDefaults) {
        parts << QStringLiteral("[--accept-defaults]");
    }
    if (c.worksOnTracker) {
        parts << QStringLiteral("[--simulate]") << QStringLiteral("[--simulate-fault FAULT]");
    }
    return parts.join(QLatin1Char(' '));
}

// Two columns, the first padded to `width`.
QString row(const QString& left, const QString& right, int width) {
    return QStringLiteral("  %1  %2\n").arg(left.leftJustified(width), right);
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

}  // namespace

QString usageLine(const CliCommand& c) {
    return QStringLiteral("Usage: %1 %2").arg(kProgram, synopsis(c));
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
    for (const CliCommand* command : commands()) {
        width = std::max(width, static_cast<int>(qstrlen(command->name)));
    }
    for (const CliCommand* command : commands()) {
        text +=
            row(QString::fromLatin1(command->name), QString::fromLatin1(command->summary), width);
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

// "unplug@N, noreply@N, badsum@N or noopen".
QString faultList() {
    QStringList names;
    for (const SimulatedFaultKind& fault : simulatedFaultKinds()) {
        names << faultName(fault);
    }
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString commandHelp(const CliCommand& c) {
    QString text =
        usageLine(c) + QStringLiteral("\n\n") + wrapped(QString::fromUtf8(c.description), 90);
    int width = c.worksOnTracker && c.takesDevicePath ? 13 : 10;
    for (const Positional& p : c.arguments) {
        width = std::max(width, static_cast<int>(argumentName(p).size()));
    }
    for (const ValueOption& o : c.options) {
        width = std::max(width, static_cast<int>(qstrlen(o.name) + qstrlen(o.valueName) + 3));
    }
    if (c.worksOnTracker) {
        width = std::max(width, static_cast<int>(qstrlen("--simulate-fault FAULT")));
    }
    if (c.acceptsDefaults) {
        width = std::max(width, static_cast<int>(qstrlen("--accept-defaults")));
    }
    if (!c.arguments.empty()) {
        text += QStringLiteral("\nArguments:\n");
        for (const Positional& p : c.arguments) {
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
    if (c.worksOnTracker && c.takesDevicePath) {
        text += row(QStringLiteral("--device PATH"),
                    QStringLiteral("Work on the tracker at PATH instead of the first one found."),
                    width);
    }
    if (c.worksOnTracker) {
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
