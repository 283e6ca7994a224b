#include "rules/serial_interlocks.h"

#include <QString>

#include "settings/form.h"
#include "settings/outcome.h"

namespace {

// Item indexes of the serial port roles and weather stations.
enum Role {
    None = 0,
    WeatherStation = 1,
    SerialConsole = 2,
    Gps = 4,
    Kiss = 5,
    GpsPassthrough = 6
};
constexpr int kWs2300 = 5;
constexpr int kWs2350 = 6;

// Placeholders: %1 is this port's number, %2 the other port's.
constexpr const char* kRxOnlyReason =
    "If WS-2300 or WS-2350 station is selected on port %2, then port %1 can work in RX-only "
    "mode (e.g. GPS).";

struct Rule {
    int thisRole;
    bool (*applies)(int otherRole, bool ws23xx);
    int newOtherRole;
    const char* reason;  // %1 this port, %2 the other port
};

// An other port with no role chosen (-1) matches no rule, not even "is not GPS".
const Rule kRules[] = {
    {WeatherStation, [](int q, bool) { return q == WeatherStation; }, None,
     "Weather station can be selected on one port only."},
    {WeatherStation,
     [](int q, bool ws) { return ws && (q == SerialConsole || q == Kiss || q == GpsPassthrough); },
     None,
     "If WS-2300 or WS-2350 station is selected on port %1, then port %2 can work in RX-only "
     "mode (e.g. GPS)."},
    {SerialConsole, [](int q, bool) { return q == SerialConsole; }, None,
     "Serial console can be selected on one port only."},
    {Gps, [](int q, bool) { return q == Gps; }, None, "GPS can be selected on one port only."},
    {Kiss, [](int q, bool) { return q == Kiss; }, None,
     "KISS packet output can be selected on one port only."},
    {GpsPassthrough, [](int q, bool) { return q >= 0 && q != Gps; }, Gps,
     "GPS passthrough function on port %1 needs a GPS connected to port %2."},
};

// The reason with %1 and %2 filled in; a reason may hold either, both or neither (QString::arg
// would complain of a missing placeholder on stderr).
QString reasonFor(const char* reason, int thisPort, int otherPort) {
    return QString(reason)
        .replace(QLatin1String("%1"), QString::number(thisPort))
        .replace(QLatin1String("%2"), QString::number(otherPort));
}

QString roleName(int role) {
    return role == Gps ? "GPS" : "None";
}

// Three lines joined by carriage returns: the change, "Reason:", the reason.
QString message(int changedPort, int newRole, const QString& reason) {
    return QStringLiteral("RS-232 port %1 changed to %2.\rReason:\r%3")
        .arg(changedPort)
        .arg(roleName(newRole), reason);
}

Boxes runRules(Form& form, int thisPort, int otherPort) {
    Boxes boxes;
    const auto thisName = thisPort == 1 ? "Serial1_mode" : "Serial2_mode";
    const auto otherName = otherPort == 1 ? "Serial1_mode" : "Serial2_mode";
    const int station = form.index("Weather_stationtype");
    const bool ws23xx = station == kWs2300 || station == kWs2350;

    // This port may only receive when the other port drives a WS-23xx station.
    int p = form.index(thisName);
    if ((p == SerialConsole || p == Kiss) && ws23xx && form.index(otherName) == WeatherStation) {
        form.setIndex(thisName, None);
        boxes.push_back(
            informationBox(message(thisPort, None, reasonFor(kRxOnlyReason, thisPort, otherPort))));
        p = None;
    }

    const int q = form.index(otherName);
    for (const Rule& rule : kRules) {
        if (rule.thisRole == p && rule.applies(q, ws23xx)) {
            form.setIndex(otherName, rule.newOtherRole);
            boxes.push_back(informationBox(message(otherPort, rule.newOtherRole,
                                                   reasonFor(rule.reason, thisPort, otherPort))));
            break;
        }
    }
    return boxes;
}

}  // namespace

Boxes Serial1_modeChange(Form& form) {
    return runRules(form, 1, 2);
}

Boxes Serial2_modeChange(Form& form) {
    return runRules(form, 2, 1);
}

Boxes Weather_stationtypeChange(Form& form) {
    Boxes boxes = Serial1_modeChange(form);
    const Boxes second = Serial2_modeChange(form);
    boxes.insert(boxes.end(), second.begin(), second.end());
    return boxes;
}
