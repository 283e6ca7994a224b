#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "settings/outcome.h"
#include "sim/simulated_fault.h"

class CliSink;

// Exit statuses of veltromark-cli.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitFailed = 1,         // the operation refused or failed; the reason has been written
    kExitBadUsage = 2,       // the command line was not understood
    kExitInterrupted = 130,  // a stop signal (Ctrl+C, SIGTERM, SIGHUP, SIGQUIT) came (128 + SIGINT)
};

// Asks a question on the terminal: the answer, or nothing when there is no terminal to ask on.
using Ask = std::function<std::optional<bool>(const Question&)>;

// What the command line gave one command.
struct Invocation {
    CliSink& sink;
    QStringList arguments;                     // the positional arguments after the command's name
    std::map<QString, QString> options = {};   // the options given with a value, by name
    bool simulate = false;                     // --simulate: a simulated tracker, not a real one
    std::optional<SimulatedFault> fault = {};  // --simulate-fault: a simulated tracker misbehaving
    QString device = {};                       // --device PATH: that tracker, not the first
    std::function<void(const QByteArray&)> out;  // standard output
    bool yes = false;                            // --yes: what the command would ask, it does
    Ask ask;                                     // asks on the terminal
    bool json = false;                           // --json: the result as one JSON document
    bool acceptDefaults = false;  // --accept-defaults: write a file that lacks values all the same

    bool has(const QString& name) const { return options.count(name) > 0; }
    QString option(const QString& name) const {
        const auto it = options.find(name);
        return it == options.end() ? QString() : it->second;
    }
};

// A positional argument of a command.
struct Positional {
    const char* name;  // "OUT.cfg": an argument named OUT… is a file the command writes
    const char* help;
    bool optional = false;
    // A word the argument takes besides a file ("tracker"); completion offers it.
    const char* word = nullptr;
};

// An option of a command that takes a value, besides the options every command knows.
struct ValueOption {
    const char* name;       // "gpx", given as --gpx
    const char* valueName;  // "OUT.gpx": a value named OUT… is a file the command writes
    const char* help;
};

// One command of the tool: its entry in the registry (command_registry.h). The help, the man
// page and the bash completion are all made from these entries.
struct CliCommand {
    const char* name;         // "diff"
    const char* summary;      // its line in the tool's help
    const char* description;  // the text its own help starts with
    std::vector<Positional> arguments = {};
    std::vector<ValueOption> options = {};
    bool worksOnTracker = false;   // takes --simulate and --simulate-fault
    bool takesDevicePath = true;   // a command that works on a tracker takes --device PATH
    bool json = false;             // takes --json: the result as one JSON document
    bool asks = false;             // asks before it does what cannot be undone; takes --yes
    bool acceptsDefaults = false;  // refuses a file that lacks values; takes --accept-defaults
    // Does the work; returns the exit status, and has said why when it is not kExitSuccess. A
    // number field that is not a whole number throws ConversionError, as in the window.
    int (*run)(Invocation&) = nullptr;
};

// A problem of the tool's own, named as coming from it: "veltromark-cli: <text>".
QString complaint(const QString& text);

// Says what the boxes of an outcome say; true when it succeeded. With --quiet, a failure's
// log comes first.
bool shown(CliSink& sink, const Outcome& outcome);

// kExitSuccess when `ok`, else kExitFailed.
int status(bool ok);

// One line of the command's own result (a list of problems or differences) on standard
// output. Values from files may hold control characters; they are written out visibly.
void printLine(Invocation& in, const QString& line);
