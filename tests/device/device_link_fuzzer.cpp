// Feeds arbitrary transport results and replies to every command operation of the device
// link and checks what it must never do: read outside a report, accept a reply it should
// refuse, refuse one it should accept, or touch the caller's page on a refusal.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "device/device_link.h"
#include "recording_sink.h"

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

class FuzzTransport : public HidTransport {
  public:
    FuzzTransport(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool exhausted() const { return pos_ >= size_; }
    std::uint8_t next() { return pos_ < size_ ? data_[pos_++] : 0; }

    std::vector<std::string> enumerate(std::uint16_t, std::uint16_t) override { return {"fuzz"}; }
    OpenResult open(const std::string&) override { return {true, {}}; }
    void close() override {}

    int write(std::span<const std::uint8_t, kReportSize> report) override {
        std::copy(report.begin(), report.end(), request.begin());
        ++writes;
        static constexpr int kResults[] = {65, 65, 65, 65, 64, 0, -1, 66, 130};
        writeResult = kResults[next() % std::size(kResults)];  // zero: all 65 bytes taken
        return writeResult;
    }

    int read(std::span<std::uint8_t, kReplyPayloadSize> payload, int timeoutMs) override {
        require(timeoutMs > 0 && timeoutMs <= 1000);
        require(writeResult == 65);  // never a read after a failed write
        ++reads;
        // One choice byte: how much comes, which code, whether the page sum matches. Zero (also
        // at the end of the input) is a good reply.
        const std::uint8_t choice = next();
        static constexpr int kResults[] = {64, 64, 64, 64, 63, 1, 0, -1, 65, 1000};
        readResult = kResults[(choice & 0x0F) % std::size(kResults)];
        reply.fill(0);
        for (std::size_t i = 1; i < kReportSize; ++i) {
            reply[i] = next();
        }
        switch ((choice >> 4) & 3) {
            case 0:
            case 1:
                reply[1] = expectedCode;
                break;
            case 2:
                reply[1] = kEraseDone;
                break;
            case 3:
                break;  // whatever the input holds
        }
        if ((choice & 0x40) == 0) {
            writeU16(
                reply, 36,
                pageSum(std::span<const std::uint8_t, kPageSize>(reply.data() + 4, kPageSize)));
        }
        const int delivered = std::clamp(readResult, 0, static_cast<int>(kReplyPayloadSize));
        std::copy_n(reply.begin() + 1, delivered, payload.begin());
        return readResult;
    }

    // The last exchange went through completely.
    bool complete() const { return writeResult == 65 && readResult == 64; }

    std::uint8_t expectedCode = 0;  // the command the next request carries
    Report request{};
    Report reply{};
    int writeResult = 0;
    int readResult = 0;
    int writes = 0;
    int reads = 0;

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The request just sent has the layout of `code` for `page`, zeros where nothing is listed.
void checkRequest(const Report& r, std::uint8_t code, int page, const PageData* data) {
    require(r[0] == 0 && r[1] == code);
    require(readU16(r, 2) == page);
    std::size_t zeroFrom = 4;
    if (data) {
        require(std::equal(data->begin(), data->end(), r.begin() + 4));
        require(readU16(r, 36) == pageSum(*data));
        zeroFrom = 38;
    }
    require(std::all_of(r.begin() + zeroFrom, r.end(), [](std::uint8_t b) { return b == 0; }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzTransport transport(data, size);
    RecordingSink host;
    DeviceLink link(transport);
    require(link.openDevice(host));

    for (int round = 0; round < 64 && !transport.exhausted(); ++round) {
        // Low bits: the operation; bit 3: any 16-bit page index instead of one in range.
        const std::uint8_t choice = transport.next();
        const int op = (choice & 7) % 7;
        static constexpr std::uint8_t kCodes[] = {0xFD, 0xFE, 0xFC, 0xFA, 0xFB, 0xF9, 0xF8};
        static constexpr int kLimits[] = {256, 3520, 256, 16384, 1, 1, 1};
        transport.expectedCode = kCodes[op];
        int page = transport.next() | (transport.next() << 8);
        if ((choice & 8) == 0) {
            page %= kLimits[op];
        }
        PageData data{};
        if (op < 2) {
            for (std::uint8_t& b : data) {
                b = transport.next();
            }
        }
        PageData destination;
        destination.fill(0xA5);
        const PageData before = destination;
        const int writesBefore = transport.writes;

        auto sent = [&] { return transport.writes == writesBefore + 1; };
        auto codeIs = [&](std::uint8_t code) { return transport.reply[1] == code; };
        auto sumMatches = [&] {
            return pageSum(std::span<const std::uint8_t, kPageSize>(
                       transport.reply.data() + 4, kPageSize)) == readU16(transport.reply, 36);
        };

        switch (op) {
            case 0:
            case 1: {
                const bool eeprom = op == 0;
                const std::uint8_t code = eeprom ? 0xFD : 0xFE;
                const bool ok =
                    eeprom ? link.writeEepromPage(page, data) : link.writeFirmwarePage(page, data);
                const bool inRange = eeprom ? page < 256 : true;
                require(sent() == inRange);
                if (inRange) {
                    checkRequest(transport.request, code, page, &data);
                    require(ok == (transport.complete() && codeIs(code)));
                } else {
                    require(!ok);
                }
                break;
            }
            case 2:
            case 3: {
                const bool eeprom = op == 2;
                const std::uint8_t code = eeprom ? 0xFC : 0xFA;
                const bool ok = eeprom ? link.readEepromPage(page, destination)
                                       : link.readGpsPage(page, destination);
                const bool inRange = page < (eeprom ? 256 : 16384);
                require(sent() == inRange);
                if (inRange) {
                    checkRequest(transport.request, code, page, nullptr);
                    require(ok == (transport.complete() && codeIs(code) && sumMatches()));
                }
                if (ok) {
                    require(std::equal(destination.begin(), destination.end(),
                                       transport.reply.begin() + 4));
                } else {
                    require(destination == before);
                }
                break;
            }
            case 4: {
                const std::optional<std::uint32_t> version = link.queryFirmwareVersion();
                require(sent());
                checkRequest(transport.request, 0xFB, 0, nullptr);
                require(version.has_value() == (transport.complete() && codeIs(0xFB)));
                require(!version || *version == readU32(transport.reply, 2));
                break;
            }
            case 5: {
                const bool ok = link.startGpsErase();
                require(sent());
                checkRequest(transport.request, 0xF9, 0, nullptr);
                require(ok == (transport.complete() && codeIs(0xF9)));
                break;
            }
            case 6: {
                const EraseStatus status = link.pollGpsErase();
                require(sent());
                checkRequest(transport.request, 0xF8, 0, nullptr);
                if (!transport.complete()) {
                    require(status == EraseStatus::ExchangeFailed);
                } else {
                    require(status ==
                            (codeIs(0xA9) ? EraseStatus::Finished : EraseStatus::Erasing));
                }
                break;
            }
        }
    }
    link.closeDevice();
    return 0;
}
