#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>

class CliSink;

// Exit statuses of veltromark-cli.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitFailed = 1,         // the operation refused or failed; the reason has been written
    kExitBadUsage = 2,       // the command line was not understood
    kExitInterrupted = 130,  // SIGINT or SIGTERM while the tracker was busy (128 + SIGINT)
};

// A way for the simulated tracker to misbehave, as --simulate-fault names it: "unplug@N" (pulled
// out after exchange N), "noreply@N" (no reply to exchange N), "badsum@N" (a wrong page sum in
// the reply to exchange N), "wrongpage@N" (the page written in exchange N is acknowledged but
// stored with a byte changed), "noopen" (found but cannot be opened). Exchanges count from 1.
struct SimulatedFault {
    enum Kind { Unplug, NoReply, BadSum, WrongPage, NoOpen } kind;
    int exchange = 0;
};
// Nothing when `text` names no fault.
std::optional<SimulatedFault> parseSimulatedFault(const QString& text);

// What the command line gave one command.
struct Invocation {
    CliSink& sink;
    QStringList arguments;                // the positional arguments after the command's name
    std::map<QString, QString> options;   // the options given with a value, by name
    bool simulate = false;                // --simulate: a simulated tracker, not a real one
    std::optional<SimulatedFault> fault;  // --simulate-fault: a simulated tracker misbehaving
    QString device;                       // --device PATH: that tracker, not the first
    std::function<void(const QByteArray&)> out;  // standard output
    bool yes = false;                            // --yes: no question asked

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
int runEncode(Invocation& in);          // encode IN.cfg OUT.bin
int runDecode(Invocation& in);          // decode IN.bin OUT.cfg
int runCheck(Invocation& in);           // check IN.cfg
int runDiff(Invocation& in);            // diff A B
int runBeacons(Invocation& in);         // beacons FILE|IMAGE|tracker [--gps IN.bin]
int runNmea(Invocation& in);            // nmea IN.bin OUT.log [--gpx OUT.gpx]
int runReadConfig(Invocation& in);      // read-config OUT.cfg [--image OUT.bin]
int runWriteConfig(Invocation& in);     // write-config IN.cfg
int runReadGps(Invocation& in);         // read-gps OUT.log [--dump OUT.bin] [--gpx OUT.gpx]
int runEraseGps(Invocation& in);        // erase-gps
int runUploadFirmware(Invocation& in);  // upload-firmware [FILE.bin]
int runList(Invocation& in);            // list
int runBackups(Invocation& in);         // backups
int runRestore(Invocation& in);         // restore BACKUP [--yes]

// A problem of the tool's own, named as coming from it: "veltromark-cli: <text>".
QString complaint(const QString& text);
