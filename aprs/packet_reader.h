#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "aprs/symbols.h"

// Reads APRS packets as a receiver would: what kind of report a packet is, where and with
// which symbol it puts the station, and its comment, or what keeps a receiver from reading it.
// The formats are those of the APRS protocol reference 1.0.1 and its addenda.

// The longest information field APRS allows, in bytes.
inline constexpr int kMaxInformationField = 256;

enum class PacketKind {
    Position,          // "!" or "=": a position without a time stamp
    PositionWithTime,  // "/" or "@": a position with a time stamp
    Status,            // ">"
    Object,            // ";"
    Item,              // ")"
    Message,           // ":"
    Telemetry,         // "T#"
    Other,             // another APRS data type (Mic-E, weather, ...), not read further
};

struct AprsPosition {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
    bool compressed = false;
};

struct PacketReading {
    PacketKind kind = PacketKind::Other;
    QString dataType;  // what an Other packet is ("Mic-E"); empty for the kinds read fully
    std::optional<AprsPosition> position;
    std::optional<AprsSymbol> symbol;
    QString name;     // the object's or item's name, the message's addressee
    QString comment;  // the comment, the status text, the message text
    QStringList problems;

    bool ok() const { return problems.isEmpty(); }
};

// Reads an information field, the part of a packet after the addresses.
PacketReading readInformationField(const QString& field);

// Reads a packet in monitor form, "SOURCE>DESTINATION,PATH1,PATH2:information field": each
// address must be a call of up to six letters and digits with an SSID from 0 to 15.
PacketReading readPacket(const QString& packet);

// "position with time stamp" and the like.
QString kindName(PacketKind kind);

// Degrees and minutes to two decimals: "52°23.08'N 016°58.14'E".
QString positionText(const AprsPosition& position);

// The reading in a few lines for people: the kind with the position and symbol, the name,
// the comment; problems are not included.
QStringList describeReading(const PacketReading& reading);
