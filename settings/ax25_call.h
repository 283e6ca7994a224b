#pragma once

#include <QString>
#include <QStringView>

// What the call of an AX.25 address can carry: one to six letters A-Z and digits. One rule for
// every address field of the settings and for the calls of a packet as a receiver reads them.
inline constexpr int kAx25CallLength = 6;
bool isAx25Call(QStringView call);

// `call` with the letters a to z raised to A to Z, and nothing else changed, as an address
// field stores it.
QString raisedCall(const QString& call);
