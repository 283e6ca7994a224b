#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "device/device_link.h"
#include "recording_sink.h"

namespace {

// What the link's owner tells its user to check, one hint per failure.
const OpenHints kHints{"Check the cable.", "Install the udev rule.", "Close the program.",
                       "Again."};

// A transport that answers from a script and records what the link did with it.
class ScriptedTransport : public HidTransport {
  public:
    struct Step {
        int writeResult = 65;
        int readResult = 64;
        Report reply{};  // 65-byte form; the read hands over bytes 1 to 64
    };

    std::vector<std::string> enumerate(std::uint16_t vendor, std::uint16_t product) override {
        enumerated.emplace_back(vendor, product);
        return paths;
    }
    OpenResult open(const std::string& path) override {
        opened.push_back(path);
        return openResult;
    }
    void close() override { ++closes; }
    int write(std::span<const std::uint8_t, kReportSize> report) override {
        Report copy;
        std::copy(report.begin(), report.end(), copy.begin());
        written.push_back(copy);
        if (script.empty()) {
            return -1;
        }
        return script.front().writeResult;
    }
    int read(std::span<std::uint8_t, kReplyPayloadSize> payload, int timeoutMs) override {
        timeouts.push_back(timeoutMs);
        if (script.empty()) {
            return -1;
        }
        const Step step = script.front();
        script.pop_front();
        std::copy(step.reply.begin() + 1, step.reply.end(), payload.begin());
        return step.readResult;
    }

    std::vector<std::string> paths{"hid:first"};
    OpenResult openResult{true, {}};
    std::deque<Step> script;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> enumerated;
    std::vector<std::string> opened;
    std::vector<Report> written;
    std::vector<int> timeouts;
    int closes = 0;
};

PageData pattern(std::uint8_t seed) {
    PageData page;
    for (std::size_t i = 0; i < page.size(); ++i) {
        page[i] = static_cast<std::uint8_t>(seed + 7 * i);
    }
    return page;
}

// A reply carrying a page with its sum, as the tracker sends it.
Report pageReply(std::uint8_t code, const PageData& data, int sumOffset = 0) {
    Report reply{};
    reply[1] = code;
    std::copy(data.begin(), data.end(), reply.begin() + 4);
    writeU16(reply, 36, static_cast<std::uint16_t>(pageSum(data) + sumOffset));
    return reply;
}

// A request written out byte by byte from the report layout.
Report request(std::uint8_t code, std::uint16_t page, const PageData* data = nullptr) {
    Report r{};
    r[1] = code;
    r[2] = static_cast<std::uint8_t>(page & 0xFF);
    r[3] = static_cast<std::uint8_t>(page >> 8);
    if (data) {
        unsigned sum = 0;
        for (std::size_t i = 0; i < 32; ++i) {
            r[4 + i] = (*data)[i];
            sum += (*data)[i];
        }
        r[36] = static_cast<std::uint8_t>(sum & 0xFF);
        r[37] = static_cast<std::uint8_t>((sum >> 8) & 0xFF);
    }
    return r;
}

class DeviceLinkTest : public ::testing::Test {
  protected:
    void open() { ASSERT_TRUE(link.openDevice(host)); }

    ScriptedTransport transport;
    RecordingSink host;
    DeviceLink link{transport, kHints};
};

TEST_F(DeviceLinkTest, OpenDeviceFindsTheTrackerByItsIds) {
    EXPECT_TRUE(link.openDevice(host));
    EXPECT_TRUE(link.isOpen());
    ASSERT_EQ(transport.enumerated.size(), 1u);
    EXPECT_EQ(transport.enumerated[0].first, 0x0483);
    EXPECT_EQ(transport.enumerated[0].second, 0xA04D);
    EXPECT_EQ(transport.opened, std::vector<std::string>{"hid:first"});
    EXPECT_EQ(host.logLines, QStringList{"Veltromark found, vid: Vid_0483, pid: A04D"});
}

TEST_F(DeviceLinkTest, OpenDeviceWithoutTrackerLogsNotFound) {
    transport.paths.clear();
    EXPECT_FALSE(link.openDevice(host));
    EXPECT_FALSE(link.isOpen());
    EXPECT_TRUE(transport.opened.empty());
    EXPECT_EQ(host.logLines, (QStringList{"Veltromark not found.", "Check the cable."}));
}

TEST_F(DeviceLinkTest, OnlyTheFirstOfTwoTrackersIsOpened) {
    transport.paths = {"hid:first", "hid:second"};
    open();
    EXPECT_EQ(transport.opened, std::vector<std::string>{"hid:first"});
}

TEST_F(DeviceLinkTest, AChosenPathPicksThatTrackerAndOnlyATracker) {
    const struct {
        std::string chosen;
        std::vector<std::string> opened;
        QString line;
    } cases[] = {
        {"hid:second", {"hid:second"}, "Veltromark found, vid: Vid_0483, pid: A04D"},
        {"", {"hid:first"}, "Veltromark found, vid: Vid_0483, pid: A04D"},
        // A path that enumeration did not give as a tracker is never opened.
        {"hid:other", {}, "Veltromark not found."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        ScriptedTransport bus;
        bus.paths = {"hid:first", "hid:second"};
        RecordingSink log;
        DeviceLink link(bus);
        link.chooser().choosePath(c.chosen);
        EXPECT_EQ(link.openDevice(log), !c.opened.empty());
        EXPECT_EQ(bus.opened, c.opened);
        EXPECT_EQ(log.logLines.value(0), c.line);
    }
}

TEST_F(DeviceLinkTest, ATrackerThatCannotBeOpenedIsFoundAndItsExchangesFail) {
    const struct {
        std::string reason;
        QString line;
    } cases[] = {
        {"permission denied", "Cannot open the device: permission denied."},
        {"it is in use by another program.",
         "Cannot open the device: it is in use by another program."},
        {"", "Cannot open the device: the system refused access."},
    };
    for (const auto& c : cases) {
        RecordingSink host;
        ScriptedTransport transport;
        transport.openResult = {false, c.reason};
        DeviceLink link(transport, kHints);
        EXPECT_FALSE(link.openDevice(host));  // nothing can be exchanged: the operation ends
        EXPECT_EQ(host.logLines,
                  (QStringList{"Veltromark found, vid: Vid_0483, pid: A04D", c.line, "Again."}));
        EXPECT_FALSE(link.queryFirmwareVersion());
        EXPECT_TRUE(transport.written.empty());
        link.closeDevice();
        EXPECT_FALSE(link.isOpen());
    }
}

TEST_F(DeviceLinkTest, CloseDeviceIsHarmlessBeforeOpenAndTwice) {
    link.closeDevice();
    EXPECT_EQ(transport.closes, 0);
    open();
    link.closeDevice();
    link.closeDevice();
    EXPECT_EQ(transport.closes, 1);
    EXPECT_FALSE(link.isOpen());
}

TEST_F(DeviceLinkTest, NothingIsSentWhileClosed) {
    PageData page = pattern(1);
    EXPECT_FALSE(link.readEepromPage(0, page));
    EXPECT_FALSE(link.writeEepromPage(0, page));
    EXPECT_EQ(link.pollGpsErase(), EraseStatus::ExchangeFailed);
    EXPECT_TRUE(transport.written.empty());
}

// The reply wait: one read of the whole second; nothing in it is no reply.
TEST_F(DeviceLinkTest, ExchangeReportPutsTheReportNumberBackAndWaitsOneSecondOnce) {
    open();
    Report reply{};
    for (std::size_t i = 1; i < reply.size(); ++i) {
        reply[i] = static_cast<std::uint8_t>(i);
    }
    for (const bool inTime : {true, false}) {
        transport.script.assign(1, {65, inTime ? 64 : 0, reply});
        transport.timeouts.clear();
        const std::optional<Report> got = link.exchangeReport(request(0xFB, 0));
        EXPECT_EQ(got, inTime ? std::optional<Report>(reply) : std::nullopt) << inTime;
        EXPECT_EQ(transport.timeouts, std::vector<int>{kReplyTimeoutMs});
    }
}

TEST_F(DeviceLinkTest, PagesOutsideTheMemoryAreNotSent) {
    open();
    PageData page = pattern(3);
    EXPECT_FALSE(link.readEepromPage(256, page));
    EXPECT_FALSE(link.writeEepromPage(-1, page));
    EXPECT_FALSE(link.readGpsPage(16384, page));
    EXPECT_FALSE(link.writeFirmwarePage(65536, page));
    EXPECT_TRUE(transport.written.empty());
    EXPECT_EQ(page, pattern(3));
}

// How one exchange goes wrong (or not).
enum class Outcome { Accepted, WrongCode, SumOffByOne, ShortRead, Timeout, ShortWrite };

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Accepted:
            return "accepted";
        case Outcome::WrongCode:
            return "wrong code";
        case Outcome::SumOffByOne:
            return "page sum off by one";
        case Outcome::ShortRead:
            return "short read";
        case Outcome::Timeout:
            return "timeout";
        case Outcome::ShortWrite:
            return "short write";
    }
    return "";
}

// One command operation: the exact request it must send, and the reply that accepts it.
struct Operation {
    const char* name;
    Report expectedRequest;
    Report goodReply;
    bool checksPageSum;
    // Runs the operation into `destination`; true when it reports success.
    std::function<bool(DeviceLink&, PageData& destination)> run;
};

std::vector<Operation> operations() {
    static const PageData data = pattern(0xC3);
    static const PageData incoming = pattern(0x11);
    Report version{};
    version[1] = 0xFB;
    writeU32(version, 2, 0x12345678);
    Report erase{};
    erase[1] = 0xF9;
    return {
        {"writeEepromPage", request(0xFD, 0xAB, &data), pageReply(0xFD, PageData{}), false,
         [](DeviceLink& l, PageData&) { return l.writeEepromPage(0xAB, data); }},
        {"writeFirmwarePage", request(0xFE, 0x0102, &data), pageReply(0xFE, PageData{}), false,
         [](DeviceLink& l, PageData&) { return l.writeFirmwarePage(0x0102, data); }},
        {"readEepromPage", request(0xFC, 0xAB), pageReply(0xFC, incoming), true,
         [](DeviceLink& l, PageData& d) { return l.readEepromPage(0xAB, d); }},
        {"readGpsPage", request(0xFA, 0x3FFF), pageReply(0xFA, incoming), true,
         [](DeviceLink& l, PageData& d) { return l.readGpsPage(0x3FFF, d); }},
        {"queryFirmwareVersion", request(0xFB, 0), version, false,
         [](DeviceLink& l, PageData&) { return l.queryFirmwareVersion() == 0x12345678u; }},
        {"startGpsErase", request(0xF9, 0), erase, false,
         [](DeviceLink& l, PageData&) { return l.startGpsErase(); }},
    };
}

TEST(DeviceLinkCommands, RequestsAndReplyAcceptance) {
    const Outcome outcomes[] = {Outcome::Accepted,  Outcome::WrongCode, Outcome::SumOffByOne,
                                Outcome::ShortRead, Outcome::Timeout,   Outcome::ShortWrite};
    for (const Operation& op : operations()) {
        for (const Outcome outcome : outcomes) {
            SCOPED_TRACE(std::string(op.name) + ", " + outcomeName(outcome));
            ScriptedTransport transport;
            RecordingSink host;
            DeviceLink link(transport);
            ASSERT_TRUE(link.openDevice(host));

            ScriptedTransport::Step step{65, 64, op.goodReply};
            switch (outcome) {
                case Outcome::Accepted:
                    break;
                case Outcome::WrongCode:
                    step.reply[1] ^= 0x01;
                    break;
                case Outcome::SumOffByOne:
                    writeU16(step.reply, 36,
                             static_cast<std::uint16_t>(readU16(step.reply, 36) + 1));
                    break;
                case Outcome::ShortRead:
                    step.readResult = 63;
                    break;
                case Outcome::Timeout:
                    step.readResult = 0;
                    break;
                case Outcome::ShortWrite:
                    step.writeResult = 64;
                    break;
            }
            transport.script.push_back(step);

            PageData destination = pattern(0x5A);
            const bool ok = op.run(link, destination);

            // A page sum is only checked on page reads; the other replies carry none.
            const bool expected = outcome == Outcome::Accepted ||
                                  (outcome == Outcome::SumOffByOne && !op.checksPageSum);
            EXPECT_EQ(ok, expected);
            EXPECT_EQ(transport.written, std::vector<Report>{op.expectedRequest});
            // No read after a short write; one read of the whole wait otherwise.
            EXPECT_EQ(transport.timeouts.size(), outcome == Outcome::ShortWrite ? 0u : 1u);
            if (op.checksPageSum && ok) {
                EXPECT_EQ(destination, pattern(0x11));
            } else {
                EXPECT_EQ(destination, pattern(0x5A)) << "a refused reply changed the page";
            }
        }
    }
}

TEST(DeviceLinkCommands, APageReadAcceptsAReplyForAnotherPageIndex) {
    ScriptedTransport transport;
    RecordingSink host;
    DeviceLink link(transport);
    ASSERT_TRUE(link.openDevice(host));
    Report reply = pageReply(0xFC, pattern(9));
    writeU16(reply, 2, 77);
    transport.script.push_back({65, 64, reply});
    PageData destination{};
    EXPECT_TRUE(link.readEepromPage(3, destination));
    EXPECT_EQ(destination, pattern(9));
}

TEST(DeviceLinkCommands, EraseStatusIsFinishedOnlyOnEraseDone) {
    const struct {
        const char* name;
        std::uint8_t code;
        int readResult;
        EraseStatus status;
    } cases[] = {
        {"EraseDone", 0xA9, 64, EraseStatus::Finished},
        {"echoed status code", 0xF8, 64, EraseStatus::Erasing},
        {"zero", 0x00, 64, EraseStatus::Erasing},
        {"one below EraseDone", 0xA8, 64, EraseStatus::Erasing},
        {"short read", 0xA9, 63, EraseStatus::ExchangeFailed},
        {"timeout", 0xA9, 0, EraseStatus::ExchangeFailed},
        {"unplugged", 0xA9, -1, EraseStatus::ExchangeFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedTransport transport;
        RecordingSink host;
        DeviceLink link(transport);
        ASSERT_TRUE(link.openDevice(host));
        Report reply{};
        reply[1] = c.code;
        transport.script.push_back({65, c.readResult, reply});
        EXPECT_EQ(link.pollGpsErase(), c.status);
        EXPECT_EQ(transport.written, std::vector<Report>{request(0xF8, 0)});
    }
}

}  // namespace
