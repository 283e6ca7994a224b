#pragma once

#include <QString>
#include <optional>
#include <vector>

class SimulatedTracker;

// A way for the simulated tracker to misbehave, as --simulate-fault names it: "unplug@N" (pulled
// out after exchange N), "noreply@N" (no reply to exchange N), "badsum@N" (a wrong page sum in
// the reply to exchange N), "wrongpage@N" (the page written in exchange N is acknowledged but
// stored with a byte changed), "noopen" (found but the user may not open it), "busy" (found but
// another program has it open), "absent" (not plugged in), "sigterm@N" and its siblings (the
// tool gets that signal as exchange N is sent; @0 as the tracker is opened). Exchanges count
// from 1.
struct SimulatedFault {
    enum Kind { Unplug, NoReply, BadSum, WrongPage, NoOpen, Busy, Absent, Signal } kind;
    int exchange = 0;
    int signal = 0;  // of a Signal fault
};
// Nothing when `text` names no fault.
std::optional<SimulatedFault> parseSimulatedFault(const QString& text);
// Makes `sim` misbehave as `fault` says.
void injectSimulatedFault(SimulatedTracker& sim, const SimulatedFault& fault);

// The faults --simulate-fault knows, for the parser, the help and the completion.
struct SimulatedFaultKind {
    const char* name;  // "unplug"
    SimulatedFault::Kind kind;
    bool atExchange;   // named with "@N"
    const char* help;  // "the tracker is pulled out after exchange N"
    int signal = 0;    // the signal a Signal fault raises
};
const std::vector<SimulatedFaultKind>& simulatedFaultKinds();
// "unplug@N", "noopen".
QString faultName(const SimulatedFaultKind& fault);
