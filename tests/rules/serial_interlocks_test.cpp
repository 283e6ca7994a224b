#include <gtest/gtest.h>

#include "recording_sink.h"
#include "rules/serial_interlocks.h"
#include "settings/memory_form.h"

namespace {

// Roles and stations by item index.
constexpr int None = 0, Wx = 1, Console = 2, Removed = 3, Gps = 4, Kiss = 5, Passthrough = 6;
constexpr int NoStation = 0, Ultimeter = 2, Ws2300 = 5, Ws2350 = 6, Davis = 7;

QString msg(const char* change, const char* reason) {
    return QString(change) + "\rReason:\r" + reason;
}

// Messages as the port 1 handler shows them, and as the port 2 handler shows them.
const QString A1 = msg("RS-232 port 1 changed to None.",
                       "If WS-2300 or WS-2350 station is selected on port 2, then port 1 can "
                       "work in RX-only mode (e.g. GPS).");
const QString A2 = msg("RS-232 port 2 changed to None.",
                       "If WS-2300 or WS-2350 station is selected on port 1, then port 2 can "
                       "work in RX-only mode (e.g. GPS).");
const QString B1 =
    msg("RS-232 port 2 changed to None.", "Weather station can be selected on one port only.");
const QString B2 =
    msg("RS-232 port 1 changed to None.", "Weather station can be selected on one port only.");
const QString C1 = A2;
const QString C2 = A1;
const QString D1 =
    msg("RS-232 port 2 changed to None.", "Serial console can be selected on one port only.");
const QString D2 =
    msg("RS-232 port 1 changed to None.", "Serial console can be selected on one port only.");
const QString E1 = msg("RS-232 port 2 changed to None.", "GPS can be selected on one port only.");
const QString E2 = msg("RS-232 port 1 changed to None.", "GPS can be selected on one port only.");
const QString F1 =
    msg("RS-232 port 2 changed to None.", "KISS packet output can be selected on one port only.");
const QString F2 =
    msg("RS-232 port 1 changed to None.", "KISS packet output can be selected on one port only.");
const QString G1 = msg("RS-232 port 2 changed to GPS.",
                       "GPS passthrough function on port 1 needs a GPS connected to port 2.");
const QString G2 = msg("RS-232 port 1 changed to GPS.",
                       "GPS passthrough function on port 2 needs a GPS connected to port 1.");

enum class Handler { Port1, Port2, Station };

struct Case {
    const char* what;
    int port1, port2, station;
    Handler handler;
    int wantPort1, wantPort2;
    QStringList messages;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.what;
}

class Interlocks : public ::testing::TestWithParam<Case> {};

// Qt's warnings (such as a QString::arg placeholder missing) while it lives.
class QtWarnings {
  public:
    QtWarnings() { previous_ = qInstallMessageHandler(record); }
    ~QtWarnings() { qInstallMessageHandler(previous_); }
    static QStringList& list() {
        static QStringList warnings;
        return warnings;
    }

  private:
    static void record(QtMsgType, const QMessageLogContext&, const QString& text) {
        list() << text;
    }
    QtMessageHandler previous_;
};

TEST_P(Interlocks, CorrectTheRolesAndExplain) {
    const Case& c = GetParam();
    MemoryForm form;
    RecordingSink host;
    QtWarnings::list().clear();
    const QtWarnings warnings;
    form.setIndex("Serial1_mode", c.port1);
    form.setIndex("Serial2_mode", c.port2);
    form.setIndex("Weather_stationtype", c.station);
    switch (c.handler) {
        case Handler::Port1:
            host.show(Serial1_modeChange(form));
            break;
        case Handler::Port2:
            host.show(Serial2_modeChange(form));
            break;
        case Handler::Station:
            host.show(Weather_stationtypeChange(form));
            break;
    }
    EXPECT_EQ(form.index("Serial1_mode"), c.wantPort1);
    EXPECT_EQ(form.index("Serial2_mode"), c.wantPort2);
    EXPECT_EQ(host.informations, c.messages);
    EXPECT_EQ(form.index("Weather_stationtype"), c.station);
    EXPECT_EQ(QtWarnings::list(), QStringList());
}

const Case kCases[] = {
    // Receive-only check (message A) from both ports.
    {"console beside WS-2300", Console, Wx, Ws2300, Handler::Port1, None, Wx, {A1}},
    {"KISS beside WS-2350", Kiss, Wx, Ws2350, Handler::Port1, None, Wx, {A1}},
    {"port 2 KISS beside WS-2300", Wx, Kiss, Ws2300, Handler::Port2, Wx, None, {A2}},
    {"console beside other station", Console, Wx, Davis, Handler::Port1, Console, Wx, {}},
    {"GPS beside WS-2300 may receive", Gps, Wx, Ws2300, Handler::Port1, Gps, Wx, {}},
    // Rule table, port 1 handler.
    {"weather twice", Wx, Wx, NoStation, Handler::Port1, Wx, None, {B1}},
    {"WS-2300 with console", Wx, Console, Ws2300, Handler::Port1, Wx, None, {C1}},
    {"WS-2350 with KISS", Wx, Kiss, Ws2350, Handler::Port1, Wx, None, {C1}},
    {"WS-2300 with passthrough", Wx, Passthrough, Ws2300, Handler::Port1, Wx, None, {C1}},
    {"WS-2300 with GPS", Wx, Gps, Ws2300, Handler::Port1, Wx, Gps, {}},
    {"other station with console", Wx, Console, Ultimeter, Handler::Port1, Wx, Console, {}},
    {"console twice", Console, Console, NoStation, Handler::Port1, Console, None, {D1}},
    {"GPS twice", Gps, Gps, NoStation, Handler::Port1, Gps, None, {E1}},
    {"KISS twice", Kiss, Kiss, NoStation, Handler::Port1, Kiss, None, {F1}},
    {"passthrough with KISS", Passthrough, Kiss, NoStation, Handler::Port1, Passthrough, Gps, {G1}},
    {"passthrough with GPS", Passthrough, Gps, NoStation, Handler::Port1, Passthrough, Gps, {}},
    {"passthrough with none", Passthrough, None, NoStation, Handler::Port1, Passthrough, Gps, {G1}},
    {"GPS with passthrough", Gps, Passthrough, NoStation, Handler::Port1, Gps, Passthrough, {}},
    // Rule table, port 2 handler.
    {"port 2 weather twice", Wx, Wx, NoStation, Handler::Port2, None, Wx, {B2}},
    {"port 2 WS-2300 with console", Console, Wx, Ws2300, Handler::Port2, None, Wx, {C2}},
    {"port 2 console twice", Console, Console, NoStation, Handler::Port2, None, Console, {D2}},
    {"port 2 GPS twice", Gps, Gps, NoStation, Handler::Port2, None, Gps, {E2}},
    {"port 2 KISS twice", Kiss, Kiss, NoStation, Handler::Port2, None, Kiss, {F2}},
    {"port 2 passthrough", Kiss, Passthrough, NoStation, Handler::Port2, Gps, Passthrough, {G2}},
    // The weather station handler runs port 1 and then port 2: one message in all.
    {"WS-2300 chosen, port 2 console", Wx, Console, Ws2300, Handler::Station, Wx, None, {C1}},
    {"WS-2350 chosen, port 1 KISS", Kiss, Wx, Ws2350, Handler::Station, None, Wx, {A1}},
    {"station, passthrough beside weather",
     Passthrough,
     Wx,
     NoStation,
     Handler::Station,
     Passthrough,
     Gps,
     {G1}},
    {"start-up pair", Console, Gps, NoStation, Handler::Station, Console, Gps, {}},
    // "None (removed)" and no choice match no rule.
    {"removed on port 1", Removed, Removed, Ws2300, Handler::Station, Removed, Removed, {}},
    {"removed beside passthrough",
     Removed,
     Passthrough,
     NoStation,
     Handler::Port1,
     Removed,
     Passthrough,
     {}},
    {"no role on port 2", Passthrough, -1, NoStation, Handler::Port1, Passthrough, -1, {}},
    {"no role on port 1", -1, Gps, NoStation, Handler::Station, -1, Gps, {}},
    {"no station chosen", Console, Wx, -1, Handler::Port1, Console, Wx, {}},
};

// Every role beside a port with no role, on either side, with a WS-23xx station chosen so that
// the receive-only rules are in play too: both handlers run and nothing changes.
std::vector<Case> besideNoRole() {
    std::vector<Case> cases;
    for (const int role : {Wx, Console, Gps, Kiss, Passthrough}) {
        cases.push_back({"role beside no role", role, -1, Ws2300, Handler::Station, role, -1, {}});
        cases.push_back({"no role beside role", -1, role, Ws2300, Handler::Station, -1, role, {}});
    }
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = info.param.what;
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(AllRules, Interlocks, ::testing::ValuesIn(kCases), caseName);
INSTANTIATE_TEST_SUITE_P(NoRole, Interlocks, ::testing::ValuesIn(besideNoRole()), caseName);

}  // namespace
