#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstddef>
#include <cstdint>

#include "gps/gps_record.h"

// Appends one sentence: `text` runs from "$" to "*"; the checksum (XOR of the characters
// between them, two upper-case hex digits) and CR LF follow.
void appendNmeaLine(QByteArray& out, QByteArrayView text);

// The $GPRMC and $GPGGA lines of one record, each ending in CR LF.
QByteArray nmeaSentences(const GpsRecord& record);

// The whole NMEA log of a GPS memory image: two lines per valid record, nothing else.
QByteArray nmeaLog(const std::uint8_t* memory, std::size_t size);
