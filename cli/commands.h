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
    QStringList arguments;                // the positional arguments after the command's name
    std::map<QString, QString> options;   // the options given with a value, by name
    bool simulate = false;                // --simulate: a simulated tracker, not a real one
    std::optional<SimulatedFault> fault;  // --simulate-fault: a simulated tracker misbehaving
    QString device;                       // --device PATH: that tracker, not the first
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

// The commands, each the same operation as the window's button; each returns its exit status
// and has said why when it is not kExitSuccess. A number field that is not a whole number
// throws ConversionError, as in the window.
int runDefaults(Invocation& in);        // defaults OUT.cfg
int runEncode(Invocation& in);          // encode IN.cfg OUT.bin [--accept-defaults]
int runDecode(Invocation& in);          // decode IN.bin OUT.cfg
int runCheck(Invocation& in);           // check IN.cfg
int runDiff(Invocation& in);            // diff A B
int runBeacons(Invocation& in);         // beacons FILE|IMAGE|tracker [--gps IN.bin]
int runNmea(Invocation& in);            // nmea IN.bin OUT.log [--gpx OUT.gpx]
int runReadConfig(Invocation& in);      // read-config OUT.cfg [--image OUT.bin]
int runWriteConfig(Invocation& in);     // write-config IN.cfg [--accept-defaults]
int runReadGps(Invocation& in);         // read-gps OUT.log [--dump OUT.bin] [--gpx OUT.gpx]
int runEraseGps(Invocation& in);        // erase-gps [--yes]
int runUploadFirmware(Invocation& in);  // upload-firmware [FILE.bin] [--yes]
int runList(Invocation& in);            // list
int runBackups(Invocation& in);         // backups
int runRestore(Invocation& in);         // restore BACKUP [--yes]

// A problem of the tool's own, named as coming from it: "veltromark-cli: <text>".
QString complaint(const QString& text);

// True when every file of `paths` can be written: each is tried as it will be written (a
// temporary file beside it, removed at once), so that a command finds an output it cannot
// write before it does any work. Otherwise says "cannot write <path>: <reason>" for the first
// that cannot.
bool outputsWritable(CliSink& sink, const QStringList& paths);
