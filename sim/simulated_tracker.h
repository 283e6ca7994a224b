#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_transport.h"
#include "device/protocol.h"
#include "sim/sample_contents.h"

// A tracker in software, seen through the HID transport: it has a configuration EEPROM, a
// firmware version, a GPS memory and an erase that takes a while, it checks every request as
// strictly as the tracker's firmware would, and it can misbehave on purpose. Tests use it to
// drive the device operations; the demo build runs the whole program against it.
//
// Time: nothing waits unless a wait function is set (setWait); latency and read timeouts are
// added to elapsed() either way. A reply comes `latency` after its request, also across
// several reads with timeouts shorter than that.
class SimulatedTracker : public HidTransport {
  public:
    // Path of the tracker on the simulated bus.
    static constexpr const char* kPath = "sim:veltromark-1";

    // Ways to misbehave on one exchange.
    enum class Fault {
        ShortWrite,      // the write takes 64 bytes and the request is lost
        NoReply,         // the request is handled but no reply comes (the read times out)
        ShortRead,       // the reply comes 63 bytes long
        WrongCode,       // the reply's code byte is 0x00
        BadPageSum,      // the reply's page sum is one too high
        OtherPageIndex,  // the reply names the page after the one asked for
        Unplug,          // the tracker is pulled out as the request arrives: nothing is done
        StoredWrongly,   // a page write is acknowledged, but the page keeps one byte changed
    };
    // Which exchanges a fault hits: every field left at its default matches anything.
    struct FaultRule {
        Fault fault;
        int command = -1;     // request code, -1 any
        int page = -1;        // page index of the request, -1 any
        int exchange = 0;     // 1-based exchange number since construction, 0 any
        bool repeat = false;  // hit every matching exchange, not only the first
    };

    // A write the tracker took: the firmware page as it arrived.
    struct FirmwarePage {
        std::uint16_t index;
        PageData data;
    };

    using Wait = std::function<void(std::chrono::microseconds)>;
    // A wait function that really sleeps (for the demo build).
    static Wait realSleep();

    // A tracker fresh from the box: the sample configuration, firmware 1.07, the sample track.
    SimulatedTracker();

    // HidTransport.
    std::vector<std::string> enumerate(std::uint16_t vendor, std::uint16_t product) override;
    OpenResult open(const std::string& path) override;
    void close() override;
    int write(std::span<const std::uint8_t, kReportSize> report) override;
    int read(std::span<std::uint8_t, kReplyPayloadSize> payload, int timeoutMs) override;

    // --- The tracker's memories.
    ConfigImage& eeprom() { return eeprom_; }
    const ConfigImage& eeprom() const { return eeprom_; }
    std::vector<std::uint8_t>& gpsMemory() { return gps_; }
    const std::vector<std::uint8_t>& gpsMemory() const { return gps_; }
    std::uint32_t firmwareVersion() const { return firmwareVersion_; }
    void setFirmwareVersion(std::uint32_t version) { firmwareVersion_ = version; }
    // Firmware pages in the order they arrived.
    const std::vector<FirmwarePage>& firmwarePages() const { return firmwarePages_; }

    // --- The GPS memory erase.
    // The n-th status poll after an erase command answers EraseDone and leaves the memory
    // erased; the polls before it answer "still erasing". 0 or less: the erase never ends.
    void setErasePollsUntilDone(int polls) { erasePollsUntilDone_ = polls; }
    bool erasing() const { return erasing_; }
    int erasePolls() const { return erasePolls_; }

    // --- Presence on the bus.
    // No tracker on the bus (as if unplugged) or back again.
    void setPresent(bool present);
    bool present() const { return present_; }
    // The tracker answers to another product id (0xA04E: a sibling product).
    void setProductId(std::uint16_t product) { product_ = product; }
    // Another HID device on the bus, enumerated before or after the tracker. It can be opened
    // but takes no report. Two trackers: addDevice("sim:veltromark-2", 0x0483, 0xA04D).
    void addDevice(const std::string& path, std::uint16_t vendor, std::uint16_t product,
                   bool beforeTracker = false);
    // Opening the tracker fails with this reason, of this kind (an empty reason: opening works
    // again). The two a user can do something about: failOpen("permission denied",
    // OpenFailure::PermissionDenied) and failOpen("it is in use by another program",
    // OpenFailure::InUse).
    void failOpen(const std::string& reason, OpenFailure kind = OpenFailure::Other) {
        openFailure_ = reason;
        openFailureKind_ = kind;
    }
    // The tracker is pulled out right after the reply of exchange n (1-based, since
    // construction): later writes and reads fail and it is no longer enumerated.
    void unplugAfterExchange(int n) { unplugAfter_ = n; }
    // Puts the tracker back on the bus after an unplug.
    void replug() { setPresent(true); }
    // The process gets `signal` (std::raise) as the request of exchange n (1-based, since
    // construction) arrives, or as the tracker is opened when n is 0; the exchange then goes on
    // as usual. So a test stops an operation at an exact point, whatever the timing.
    void raiseSignalAt(int n, int signal) {
        signalExchange_ = n;
        signal_ = signal;
    }

    bool isOpen() const { return openPath_.has_value(); }
    // Every path opened, in order.
    const std::vector<std::string>& openedPaths() const { return openedPaths_; }
    int closeCount() const { return closes_; }

    // --- Faults and timing.
    void injectFault(const FaultRule& rule) { faults_.push_back({rule, false}); }
    void clearFaults() { faults_.clear(); }
    void setLatency(std::chrono::microseconds perExchange) { latency_ = perExchange; }
    void setWait(Wait wait) { wait_ = std::move(wait); }
    std::chrono::microseconds elapsed() const { return elapsed_; }

    // --- What was sent.
    // Every request the tracker received (also refused and short-written ones), in order.
    const std::vector<Report>& requests() const { return requests_; }
    // Why requests were refused: any entry means the link sent something a real tracker
    // would not take.
    const std::vector<std::string>& violations() const { return violations_; }
    // The timeout of every read, in order.
    const std::vector<int>& readTimeouts() const { return readTimeouts_; }
    int exchanges() const { return exchanges_; }
    // Whether requests and read timeouts are recorded (on by default). A long session (the
    // demo, a benchmark) turns it off so that memory does not grow with every exchange.
    void setRecording(bool on) { recording_ = on; }
    // Forgets the recorded requests, violations and read timeouts.
    void clearRecords() {
        requests_.clear();
        violations_.clear();
        readTimeouts_.clear();
    }

  private:
    struct BusDevice {
        std::string path;
        std::uint16_t vendor;
        std::uint16_t product;
    };
    struct ArmedFault {
        FaultRule rule;
        bool used;
    };

    bool trackerReachable() const { return present_ && !unplugged_; }
    bool connectedToTracker() const;
    std::optional<Fault> takeFault(std::uint8_t command, std::uint16_t page);
    // The tracker's answer to one request; a request it refuses gets the code 0x00.
    Report handle(const Report& request);
    bool check(const Report& request, int pageLimit, std::size_t zeroFrom);
    void violation(std::string what);
    void pass(std::chrono::microseconds time);

    bool recording_ = true;
    ConfigImage eeprom_;
    std::vector<std::uint8_t> gps_;
    std::uint32_t firmwareVersion_ = 107;
    std::vector<FirmwarePage> firmwarePages_;

    bool erasing_ = false;
    int erasePolls_ = 0;
    int erasePollsUntilDone_ = 3;

    bool present_ = true;
    bool unplugged_ = false;
    std::uint16_t product_ = kTrackerProductId;
    std::vector<BusDevice> before_;
    std::vector<BusDevice> after_;
    std::string openFailure_;
    OpenFailure openFailureKind_ = OpenFailure::Other;
    int unplugAfter_ = 0;
    int signalExchange_ = -1;
    int signal_ = 0;
    std::optional<std::string> openPath_;
    std::vector<std::string> openedPaths_;
    int closes_ = 0;

    std::vector<ArmedFault> faults_;
    std::chrono::microseconds latency_{0};
    Wait wait_;
    std::chrono::microseconds elapsed_{0};

    // The reply waiting to be read, how many of its 64 payload bytes come, and how long it
    // still takes to arrive.
    std::optional<Report> pending_;
    int pendingLength_ = 0;
    std::chrono::microseconds pendingDelay_{0};

    std::vector<Report> requests_;
    std::vector<std::string> violations_;
    std::vector<int> readTimeouts_;
    int exchanges_ = 0;
};
