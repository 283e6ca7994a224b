#include <gtest/gtest.h>

#include <QRegularExpression>
#include <vector>

#include "gps/nmea_log.h"

namespace {

QByteArray slotBytes(const GpsRecord& r) {
    const GpsSlot slot = encodeGpsSlot(r);
    return QByteArray(reinterpret_cast<const char*>(slot.data()), slot.size());
}

const std::uint8_t* bytes(const QByteArray& a) {
    return reinterpret_cast<const std::uint8_t*>(a.constData());
}

// XOR of everything between "$" and "*", computed independently of the writer.
int sentenceChecksum(const QByteArray& line) {
    const int star = line.indexOf('*');
    int sum = 0;
    for (int i = 1; i < star; ++i) {
        sum ^= static_cast<unsigned char>(line[i]);
    }
    return sum;
}

TEST(Crc16X25, KnownValues) {
    EXPECT_EQ(crc16X25(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0x906E);
    const std::vector<std::uint8_t> ff(22, 0xFF), zero(22, 0x00);
    EXPECT_EQ(crc16X25(ff.data(), ff.size()), 0xB532);
    EXPECT_EQ(crc16X25(zero.data(), zero.size()), 0xD206);
}

TEST(GpsSlot, WorkedExampleByteForByte) {
    const GpsRecord r{52135000, 21004500, 123519, 230394, 1234, 8450, 1105};
    const GpsSlot encoded = encodeGpsSlot(r);
    const QByteArray slot(reinterpret_cast<const char*>(encoded.data()), encoded.size());
    const QByteArray want = QByteArray::fromHex(
        "58841B03D48040017FE20100FA830300D2040221"
        "5104E60A");
    EXPECT_EQ(slot.toHex(' '), want.toHex(' '));

    const auto decoded = decodeGpsSlot(bytes(want));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(nmeaSentences(*decoded),
              "$GPRMC,123519.000,A,5213.5000,N,02100.4500,E,12.34,84.50,230394,,,A*63\r\n"
              "$GPGGA,123519.000,5213.5000,N,02100.4500,E,1,0,0,110.5,M,0.0,M,,*48\r\n");
}

TEST(GpsSlot, WrongCheckValuesAreRefused) {
    GpsSlot slot = encodeGpsSlot({52135000, 21004500, 123519, 230394, 1234, 8450, 1105});
    slot[22] ^= 1;
    EXPECT_FALSE(decodeGpsSlot(slot.data()).has_value());
    EXPECT_FALSE(decodeGpsSlot(bytes(QByteArray(24, '\xFF'))).has_value());
    EXPECT_FALSE(decodeGpsSlot(bytes(QByteArray(24, '\0'))).has_value());
}

TEST(NmeaSentences, Hemispheres) {
    const struct {
        GpsRecord record;
        const char* lines;
    } cases[] = {
        {{-3351234, -7012345, 5, 10120, 0, 0, 0},
         "$GPRMC,000005.000,A,0335.1234,S,00701.2345,W,0.00,0.00,010120,,,A*61\r\n"
         "$GPGGA,000005.000,0335.1234,S,00701.2345,W,1,0,0,0.0,M,0.0,M,,*4F\r\n"},
        // Exactly 0 counts as south and west.
        {{0, 0, 120000, 10101, 0, 0, 0}, nullptr},
        // The most negative stored value must not overflow when its magnitude is taken.
        {{INT32_MIN, INT32_MIN, 0, 0, 65535, 65535, 65535}, nullptr},
    };
    for (const auto& c : cases) {
        const QByteArray lines = nmeaSentences(c.record);
        if (c.lines) {
            EXPECT_EQ(lines, c.lines);
        }
    }
    const QList<QByteArray> zero = nmeaSentences(cases[1].record).split('\n');
    EXPECT_TRUE(zero[0].startsWith("$GPRMC,120000.000,A,0000.0000,S,00000.0000,W,"));
    EXPECT_TRUE(zero[1].startsWith("$GPGGA,120000.000,0000.0000,S,00000.0000,W,"));
    EXPECT_TRUE(nmeaSentences(cases[2].record).startsWith("$GPRMC,000000.000,A,214748.3648,S,"));
}

TEST(NmeaSentences, ChecksumAlwaysTwoUpperCaseDigits) {
    const QRegularExpression tail("^\\$GP(RMC|GGA),[^*]*\\*([0-9A-F]{2})\r$");
    int below16 = 0;
    for (int t = 0; t < 2000; ++t) {
        const GpsRecord r{5213000 + t,
                          1658000 - t,
                          t * 7 % 240000,
                          10125,
                          static_cast<std::uint16_t>(t),
                          static_cast<std::uint16_t>(t * 3),
                          static_cast<std::uint16_t>(t % 900)};
        for (const QByteArray& line : nmeaSentences(r).split('\n')) {
            if (line.isEmpty()) {
                continue;
            }
            const auto m = tail.match(QString::fromLatin1(line));
            ASSERT_TRUE(m.hasMatch()) << line.toStdString();
            const int sum = sentenceChecksum(line);
            EXPECT_EQ(m.captured(2).toInt(nullptr, 16), sum);
            below16 += sum < 16;
        }
    }
    // Both sentences always hold an odd number of letters, so their checksum never drops
    // below 0x40; the line writer still pads small values to two digits.
    EXPECT_EQ(below16, 0);
    QByteArray line;
    appendNmeaLine(line, "$0:*");
    EXPECT_EQ(line, "$0:*0A\r\n");
    line.clear();
    appendNmeaLine(line, "$*");
    EXPECT_EQ(line, "$*00\r\n");
}

TEST(NmeaLog, MemoryOrderAndUnusedBlockTail) {
    QByteArray memory(3 * 256, '\xFF');
    const GpsRecord a{5213000, 1658000, 100000, 10125, 0, 0, 0};
    const GpsRecord b{5214000, 1659000, 90000, 10125, 0, 0, 0};  // earlier, but stored later
    const GpsRecord hidden{5215000, 1660000, 80000, 10125, 0, 0, 0};
    memory.replace(0 * 256 + 9 * 24, 24, slotBytes(a));             // last slot of block 0
    memory.replace(2 * 256 + 0 * 24, 24, slotBytes(b));             // first slot of block 2
    memory.replace(1 * 256 + 240, 16, slotBytes(hidden).left(16));  // block tail
    memory.replace(1 * 256 + 232, 24, slotBytes(hidden));           // straddles slot 9 and the tail

    EXPECT_EQ(nmeaLog(bytes(memory), memory.size()), nmeaSentences(a) + nmeaSentences(b));
    // A trailing part shorter than a block is not read.
    EXPECT_EQ(nmeaLog(bytes(memory), 256 + 100), nmeaSentences(a));
    EXPECT_TRUE(nmeaLog(bytes(QByteArray(512, '\xFF')), 512).isEmpty());
}

}  // namespace
