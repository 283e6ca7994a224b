#include "gps/gps_record.h"

#include <QByteArrayView>
#include <QtEndian>

std::uint16_t crc16X25(const std::uint8_t* data, std::size_t size) {
    // Qt's ISO 3309 checksum is CRC-16/X-25.
    return qChecksum(QByteArrayView(data, static_cast<qsizetype>(size)), Qt::ChecksumIso3309);
}

std::optional<GpsRecord> decodeGpsSlot(const std::uint8_t* slot) {
    if (crc16X25(slot, 22) != qFromLittleEndian<std::uint16_t>(slot + 22)) {
        return std::nullopt;
    }
    return GpsRecord{
        qFromLittleEndian<std::int32_t>(slot + 0),   qFromLittleEndian<std::int32_t>(slot + 4),
        qFromLittleEndian<std::int32_t>(slot + 8),   qFromLittleEndian<std::int32_t>(slot + 12),
        qFromLittleEndian<std::uint16_t>(slot + 16), qFromLittleEndian<std::uint16_t>(slot + 18),
        qFromLittleEndian<std::uint16_t>(slot + 20),
    };
}

GpsSlot encodeGpsSlot(const GpsRecord& r) {
    GpsSlot slot{};
    std::uint8_t* p = slot.data();
    qToLittleEndian(r.latitude, p + 0);
    qToLittleEndian(r.longitude, p + 4);
    qToLittleEndian(r.time, p + 8);
    qToLittleEndian(r.date, p + 12);
    qToLittleEndian(r.speed, p + 16);
    qToLittleEndian(r.course, p + 18);
    qToLittleEndian(r.altitude, p + 20);
    qToLittleEndian(crc16X25(p, 22), p + 22);
    return slot;
}
