#include "sim/simulated_fault.h"

#include <QStringList>
#include <algorithm>
#include <csignal>

#include "sim/simulated_tracker.h"

const std::vector<SimulatedFaultKind>& simulatedFaultKinds() {
    static const std::vector<SimulatedFaultKind> kinds = {
        {"unplug", SimulatedFault::Unplug, true, "the tracker is pulled out after exchange N"},
        {"noreply", SimulatedFault::NoReply, true, "no reply comes to exchange N"},
        {"badsum", SimulatedFault::BadSum, true, "the reply to exchange N has a wrong page sum"},
        {"wrongpage", SimulatedFault::WrongPage, true,
         "the page written in exchange N is stored with a byte changed"},
        {"noopen", SimulatedFault::NoOpen, false,
         "the tracker is found but the user may not open it"},
        {"busy", SimulatedFault::Busy, false,
         "the tracker is found but another program has it open"},
        {"absent", SimulatedFault::Absent, false, "no tracker is plugged in"},
        {"sigint", SimulatedFault::Signal, true,
         "the tool gets SIGINT as exchange N is sent (N = 0: as the tracker is opened)", SIGINT},
        {"sigterm", SimulatedFault::Signal, true, "the same with SIGTERM", SIGTERM},
#ifndef _WIN32
        {"sighup", SimulatedFault::Signal, true, "the same with SIGHUP", SIGHUP},
        {"sigquit", SimulatedFault::Signal, true, "the same with SIGQUIT", SIGQUIT},
#endif
    };
    return kinds;
}

QString faultName(const SimulatedFaultKind& fault) {
    return QLatin1String(fault.name) + QLatin1String(fault.atExchange ? "@N" : "");
}

std::optional<SimulatedFault> parseSimulatedFault(const QString& text) {
    const QString name = text.section(QLatin1Char('@'), 0, 0);
    const auto& kinds = simulatedFaultKinds();
    const auto fault = std::find_if(kinds.begin(), kinds.end(), [&name](const auto& k) {
        return name == QLatin1String(k.name);
    });
    if (fault == kinds.end()) {
        return std::nullopt;
    }
    if (!fault->atExchange) {
        return text == name ? std::optional(SimulatedFault{fault->kind, 0}) : std::nullopt;
    }
    const QStringList parts = text.split(QLatin1Char('@'));
    bool number = false;
    const int exchange = parts.size() == 2 ? parts[1].toInt(&number) : 0;
    // A signal may also come as the tracker is opened, before any exchange.
    const int first = fault->kind == SimulatedFault::Signal ? 0 : 1;
    if (!number || exchange < first || parts[1].startsWith(QLatin1Char('+'))) {
        return std::nullopt;
    }
    return SimulatedFault{fault->kind, exchange, fault->signal};
}

void injectSimulatedFault(SimulatedTracker& sim, const SimulatedFault& fault) {
    using Fault = SimulatedTracker::Fault;
    switch (fault.kind) {
        case SimulatedFault::Unplug:
            sim.unplugAfterExchange(fault.exchange);
            break;
        case SimulatedFault::NoReply:
            sim.injectFault({.fault = Fault::NoReply, .exchange = fault.exchange});
            break;
        case SimulatedFault::BadSum:
            sim.injectFault({.fault = Fault::BadPageSum, .exchange = fault.exchange});
            break;
        case SimulatedFault::WrongPage:
            sim.injectFault({.fault = Fault::StoredWrongly, .exchange = fault.exchange});
            break;
        case SimulatedFault::NoOpen:
            sim.failOpen("permission denied", OpenFailure::PermissionDenied);
            break;
        case SimulatedFault::Busy:
            sim.failOpen("it is in use by another program", OpenFailure::InUse);
            break;
        case SimulatedFault::Absent:
            sim.setPresent(false);
            break;
        case SimulatedFault::Signal:
            sim.raiseSignalAt(fault.exchange, fault.signal);
            break;
    }
}
