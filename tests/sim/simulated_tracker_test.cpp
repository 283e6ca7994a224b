#include <gtest/gtest.h>

#include <QByteArrayView>
#include <cstring>

#include "device/device_link.h"
#include "recording_sink.h"
#include "sim/simulated_tracker.h"

namespace {

using namespace std::chrono_literals;

bool recordValid(const std::uint8_t* slot) {
    const quint16 crc =
        qChecksum(QByteArrayView(reinterpret_cast<const char*>(slot), 22), Qt::ChecksumIso3309);
    return crc == (slot[22] | (slot[23] << 8));
}

PageData page(std::uint8_t seed) {
    PageData p;
    for (std::size_t i = 0; i < p.size(); ++i) {
        p[i] = static_cast<std::uint8_t>(seed ^ (i * 13));
    }
    return p;
}

class SimulatedTrackerTest : public ::testing::Test {
  protected:
    void open() { ASSERT_TRUE(link.openDevice(host)); }

    SimulatedTracker sim;
    RecordingSink host;
    DeviceLink link{sim};
};

TEST(SampleContents, TheConfigurationImagePassesTheImageChecks) {
    const auto image = sampleConfigurationImage();
    std::uint32_t sum = 0;
    for (std::size_t i = 4; i < 1264; ++i) {
        sum += image[i];
    }
    EXPECT_EQ(readU32(image, 0), sum);
    EXPECT_EQ(std::memcmp(image.data() + 6, "v1.07\0\0\0", 8), 0);
    EXPECT_EQ(std::memcmp(image.data() + 1259, "END", 3), 0);
    EXPECT_EQ(std::memcmp(image.data() + 14, "SQ3VTM9", 7), 0);
    for (std::size_t i = 1262; i < image.size(); ++i) {
        ASSERT_EQ(image[i], 0) << "offset " << i;
    }
}

TEST(SampleContents, AGpsRecordIsStoredLittleEndianWithItsCheckValue) {
    const auto record = encodeGpsSlot({52135000, 21004500, 123519, 230394, 1234, 8450, 1105});
    const std::uint8_t expected[24] = {0x58, 0x84, 0x1B, 0x03, 0xD4, 0x80, 0x40, 0x01,
                                       0x7F, 0xE2, 0x01, 0x00, 0xFA, 0x83, 0x03, 0x00,
                                       0xD2, 0x04, 0x02, 0x21, 0x51, 0x04, 0xE6, 0x0A};
    EXPECT_EQ(std::memcmp(record.data(), expected, 24), 0);
}

TEST(SampleContents, TheGpsMemoryHoldsOneDriveAndIsErasedElsewhere) {
    const std::vector<std::uint8_t> memory = sampleGpsMemory();
    ASSERT_EQ(memory.size(), 524288u);
    std::vector<GpsRecord> stored;
    for (std::size_t block = 0; block < 2048; ++block) {
        for (std::size_t slot = 0; slot < 10; ++slot) {
            const std::uint8_t* at = memory.data() + block * 256 + slot * 24;
            if (recordValid(at)) {
                stored.push_back({static_cast<std::int32_t>(readU32({at, 24}, 0)),
                                  static_cast<std::int32_t>(readU32({at, 24}, 4)),
                                  static_cast<std::int32_t>(readU32({at, 24}, 8)),
                                  static_cast<std::int32_t>(readU32({at, 24}, 12)),
                                  readU16({at, 24}, 16), readU16({at, 24}, 18),
                                  readU16({at, 24}, 20)});
            } else {
                for (std::size_t i = 0; i < 24; ++i) {
                    ASSERT_EQ(at[i], 0xFF) << "block " << block << " slot " << slot;
                }
            }
        }
    }
    ASSERT_GE(stored.size(), 200u);
    for (std::size_t i = 1; i < stored.size(); ++i) {
        // One fix every 5 seconds, a car's distance apart, north-east of Warsaw.
        const GpsRecord& a = stored[i - 1];
        const GpsRecord& b = stored[i];
        EXPECT_EQ((b.time % 100 + 60 - a.time % 100) % 60, 5) << i;
        EXPECT_LT(std::abs(b.latitude - a.latitude), 10000) << i;  // under a minute of arc
        EXPECT_LT(std::abs(b.longitude - a.longitude), 10000) << i;
        EXPECT_GT(b.latitude, 52000000);
        EXPECT_GT(b.longitude, 21000000);
        EXPECT_LT(b.course, 36000);
        EXPECT_EQ(b.date, 140624);
    }
}

TEST_F(SimulatedTrackerTest, EveryCommandRoundTrips) {
    open();
    EXPECT_EQ(link.queryFirmwareVersion(), 107u);
    sim.setFirmwareVersion(106);
    EXPECT_EQ(link.queryFirmwareVersion(), 106u);

    // The whole EEPROM reads back as stored, then a written page reads back as written.
    ConfigImage image{};
    for (int p = 0; p < kEepromPages; ++p) {
        ASSERT_TRUE(link.readEepromPage(
            p, std::span<std::uint8_t, kPageSize>(image.data() + p * kPageSize, kPageSize)));
    }
    EXPECT_EQ(image, sampleConfigurationImage());
    ASSERT_TRUE(link.writeEepromPage(255, page(1)));
    PageData back{};
    ASSERT_TRUE(link.readEepromPage(255, back));
    EXPECT_EQ(back, page(1));
    EXPECT_TRUE(std::equal(back.begin(), back.end(), sim.eeprom().begin() + 255 * 32));

    ASSERT_TRUE(link.writeFirmwarePage(0, page(2)));
    ASSERT_TRUE(link.writeFirmwarePage(1, page(3)));
    ASSERT_EQ(sim.firmwarePages().size(), 2u);
    EXPECT_EQ(sim.firmwarePages()[0].index, 0);
    EXPECT_EQ(sim.firmwarePages()[1].data, page(3));

    PageData gps{};
    ASSERT_TRUE(link.readGpsPage(0, gps));
    EXPECT_TRUE(std::equal(gps.begin(), gps.end(), sampleGpsMemory().begin()));

    sim.setErasePollsUntilDone(3);
    ASSERT_TRUE(link.startGpsErase());
    EXPECT_EQ(link.pollGpsErase(), EraseStatus::Erasing);
    EXPECT_EQ(link.pollGpsErase(), EraseStatus::Erasing);
    EXPECT_NE(sim.gpsMemory()[0], 0xFF);
    EXPECT_EQ(link.pollGpsErase(), EraseStatus::Finished);
    EXPECT_TRUE(std::all_of(sim.gpsMemory().begin(), sim.gpsMemory().end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
    ASSERT_TRUE(link.readGpsPage(16383, gps));
    PageData erased;
    erased.fill(0xFF);
    EXPECT_EQ(gps, erased);

    link.closeDevice();
    EXPECT_FALSE(sim.isOpen());
    EXPECT_TRUE(sim.violations().empty()) << sim.violations().front();
    EXPECT_EQ(sim.exchanges(), 2 + 256 + 2 + 2 + 1 + 1 + 3 + 1);
    EXPECT_TRUE(std::all_of(sim.readTimeouts().begin(), sim.readTimeouts().end(),
                            [](int t) { return t == kReplyTimeoutMs; }));
    EXPECT_EQ(sim.elapsed(), 0us);
}

TEST_F(SimulatedTrackerTest, RequestsATrackerWouldNotTakeAreRefusedAndRecorded) {
    open();
    Report good{};
    good[1] = 0xFD;
    good[2] = 4;
    const PageData data = page(7);
    std::copy(data.begin(), data.end(), good.begin() + 4);
    writeU16(good, 36, pageSum(data));

    auto mutated = [&](std::size_t at, std::uint8_t value) {
        Report r = good;
        r[at] = value;
        return r;
    };
    const struct {
        const char* name;
        Report request;
    } cases[] = {
        {"report number 1", mutated(0, 1)},
        {"page sum off by one", mutated(36, static_cast<std::uint8_t>(good[36] + 1))},
        {"padding not zero", mutated(64, 1)},
        {"page index 256", mutated(3, 1)},
        {"unknown command", mutated(1, 0xF7)},
    };
    const auto before = sim.eeprom();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t violations = sim.violations().size();
        const std::optional<Report> reply = link.exchangeReport(c.request);
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[1], 0x00);
        EXPECT_EQ(sim.violations().size(), violations + 1);
    }
    EXPECT_EQ(sim.eeprom(), before);
    EXPECT_EQ(sim.requests().back(), cases[4].request);

    // A read request with data in it is refused too.
    Report read{};
    read[1] = 0xFC;
    read[10] = 1;
    ASSERT_TRUE(link.exchangeReport(read));
    EXPECT_EQ(sim.violations().back(), "command 0xFC: byte 10 not zero");
}

TEST_F(SimulatedTrackerTest, InjectedFaultsFailThePageRead) {
    using Fault = SimulatedTracker::Fault;
    const struct {
        Fault fault;
        bool accepted;
        std::size_t reads;
    } cases[] = {
        {Fault::ShortWrite, false, 0}, {Fault::NoReply, false, 1},
        {Fault::ShortRead, false, 1},  {Fault::WrongCode, false, 1},
        {Fault::BadPageSum, false, 1}, {Fault::OtherPageIndex, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        SimulatedTracker sim;
        RecordingSink host;
        DeviceLink link(sim);
        ASSERT_TRUE(link.openDevice(host));
        sim.injectFault({c.fault});
        PageData destination = page(0x42);
        EXPECT_EQ(link.readEepromPage(1, destination), c.accepted);
        EXPECT_EQ(sim.readTimeouts().size(), c.reads);
        if (!c.accepted) {
            EXPECT_EQ(destination, page(0x42));
        }
        // The fault hit one exchange only.
        EXPECT_TRUE(link.readEepromPage(1, destination));
        EXPECT_TRUE(std::equal(destination.begin(), destination.end(), sim.eeprom().begin() + 32));
    }
}

TEST_F(SimulatedTrackerTest, AFaultHitsOnlyTheCommandAndPageItNames) {
    open();
    sim.injectFault({SimulatedTracker::Fault::BadPageSum, 0xFA, 7, 0, true});
    PageData p{};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(link.readGpsPage(i, p), i != 7) << i;
        EXPECT_TRUE(link.readEepromPage(7, p));
    }
    EXPECT_FALSE(link.readGpsPage(7, p));  // repeats

    sim.injectFault({SimulatedTracker::Fault::WrongCode, -1, -1, sim.exchanges() + 2});
    EXPECT_TRUE(link.startGpsErase());
    EXPECT_EQ(link.pollGpsErase(), EraseStatus::Erasing);  // the wrong code is no EraseDone
}

TEST_F(SimulatedTrackerTest, NoReplyWaitsTheReadTimeout) {
    int waits = 0;
    sim.setWait([&](std::chrono::microseconds) { ++waits; });
    open();
    sim.injectFault({SimulatedTracker::Fault::NoReply, 0xFB});
    EXPECT_FALSE(link.queryFirmwareVersion());
    EXPECT_EQ(sim.elapsed(), 1s);
    EXPECT_EQ(waits, 1);
}

TEST_F(SimulatedTrackerTest, LatencyIsAddedPerExchangeAndTooMuchOfItTimesOut) {
    std::chrono::microseconds waited{0};
    sim.setWait([&](std::chrono::microseconds t) { waited += t; });
    sim.setLatency(2ms);
    open();
    PageData p{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(link.readGpsPage(i, p));
    }
    EXPECT_EQ(sim.elapsed(), 6ms);
    EXPECT_EQ(waited, 6ms);

    sim.setLatency(1500ms);
    EXPECT_FALSE(link.readGpsPage(3, p));
    EXPECT_EQ(sim.elapsed(), 1006ms);
}

TEST_F(SimulatedTrackerTest, UnplugAfterAnExchange) {
    sim.unplugAfterExchange(3);
    open();
    PageData p{};
    EXPECT_TRUE(link.readEepromPage(0, p));
    EXPECT_TRUE(link.readEepromPage(1, p));
    EXPECT_TRUE(link.readEepromPage(2, p));
    EXPECT_FALSE(link.readEepromPage(3, p));
    EXPECT_EQ(sim.exchanges(), 3);
    link.closeDevice();

    EXPECT_FALSE(link.openDevice(host));
    sim.unplugAfterExchange(0);
    sim.replug();
    EXPECT_TRUE(link.openDevice(host));
    EXPECT_TRUE(link.readEepromPage(3, p));
    EXPECT_EQ(host.logLines.filter("Veltromark"),
              (QStringList{"Veltromark found, vid: Vid_0483, pid: A04D", "Veltromark not found.",
                           "Veltromark found, vid: Vid_0483, pid: A04D"}));
}

TEST_F(SimulatedTrackerTest, TrackerAbsentOrWithAnotherProductIdIsNotFound) {
    sim.setPresent(false);
    EXPECT_FALSE(link.openDevice(host));
    sim.setPresent(true);
    sim.setProductId(0xA04E);
    EXPECT_FALSE(link.openDevice(host));
    EXPECT_TRUE(sim.openedPaths().empty());
    EXPECT_EQ(host.logLines.filter("Veltromark"),
              (QStringList{"Veltromark not found.", "Veltromark not found."}));
}

TEST_F(SimulatedTrackerTest, OfTwoTrackersTheFirstEnumeratedIsUsed) {
    sim.addDevice("sim:other-product", 0x0483, 0xA04E, true);
    sim.addDevice("sim:veltromark-2", 0x0483, 0xA04D);
    open();
    EXPECT_EQ(link.queryFirmwareVersion(), 107u);
    EXPECT_EQ(sim.openedPaths(), std::vector<std::string>{SimulatedTracker::kPath});

    // The other tracker enumerated first: it is the one opened, and it does not answer.
    SimulatedTracker second;
    second.addDevice("sim:veltromark-0", 0x0483, 0xA04D, true);
    DeviceLink other(second);
    EXPECT_TRUE(other.openDevice(host));
    EXPECT_FALSE(other.queryFirmwareVersion());
    EXPECT_EQ(second.openedPaths(), std::vector<std::string>{"sim:veltromark-0"});
}

TEST_F(SimulatedTrackerTest, OpenFailureIsLoggedAndTheFirstExchangeFails) {
    sim.failOpen("permission denied");
    EXPECT_FALSE(link.openDevice(host));
    PageData p = page(5);
    EXPECT_FALSE(link.readEepromPage(0, p));
    EXPECT_EQ(p, page(5));
    link.closeDevice();
    EXPECT_TRUE(sim.requests().empty());
    EXPECT_EQ(host.logLines, (QStringList{"Veltromark found, vid: Vid_0483, pid: A04D",
                                          "Cannot open the device: permission denied."}));
}

TEST_F(SimulatedTrackerTest, EraseThatNeverEndsLeavesTheMemory) {
    sim.setErasePollsUntilDone(0);
    open();
    EXPECT_EQ(link.pollGpsErase(), EraseStatus::Finished);  // nothing to wait for
    ASSERT_TRUE(link.startGpsErase());
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(link.pollGpsErase(), EraseStatus::Erasing);
    }
    EXPECT_TRUE(sim.erasing());
    EXPECT_EQ(sim.gpsMemory(), sampleGpsMemory());
}

}  // namespace
