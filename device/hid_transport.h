#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The tracker's USB identity.
inline constexpr std::uint16_t kTrackerVendorId = 0x0483;
inline constexpr std::uint16_t kTrackerProductId = 0xA04D;

// One request as it goes out: report number 0, then the 64 payload bytes.
inline constexpr std::size_t kReportSize = 65;
// One reply as the HID layer hands it over: the 64 payload bytes, no report number.
inline constexpr std::size_t kReplyPayloadSize = 64;
// How long one exchange waits for the tracker's reply.
inline constexpr int kReplyTimeoutMs = 1000;

// Why a device path could not be opened, as far as it tells what to do about it.
enum class OpenFailure {
    Other,             // anything else (unplugged meanwhile, a system error)
    PermissionDenied,  // the user may not open the device node (Linux, without the udev rule)
    InUse,             // another program holds the device
};

// Why opening a device path failed, or nothing when it opened.
struct OpenResult {
    bool opened = false;
    // When not opened: a short reason in lower case, without a full stop, for example
    // "permission denied".
    std::string reason;
    OpenFailure failure = OpenFailure::Other;
};

// One device found on the bus: its path and what it says of itself.
struct HidDeviceInfo {
    std::string path;
    std::string serialNumber;  // empty when it has none
    std::string product;       // the product text, empty when it has none
};

// The seam between the device link and the machine's HID layer. It follows hidapi's
// conventions, so the real implementation is a thin wrapper and a simulated tracker can stand
// in for the device in tests and in the demo build.
class HidTransport {
  public:
    virtual ~HidTransport() = default;

    // Paths of the present HID devices with this vendor and product, in the platform's order.
    virtual std::vector<std::string> enumerate(std::uint16_t vendor, std::uint16_t product) = 0;

    // The same devices as enumerate(), with their serial numbers and product texts where the
    // transport knows them.
    virtual std::vector<HidDeviceInfo> describe(std::uint16_t vendor, std::uint16_t product) {
        std::vector<HidDeviceInfo> devices;
        for (std::string& path : enumerate(vendor, product)) {
            devices.push_back({std::move(path), {}, {}});
        }
        return devices;
    }

    // Opens one path for reading and writing. Any device open before is closed first.
    virtual OpenResult open(const std::string& path) = 0;

    // Closes the open device; nothing happens when none is open.
    virtual void close() = 0;

    // Sends one output report (65 bytes, byte 0 the report number). Returns the number of
    // bytes written, or -1 on error (also when no device is open).
    virtual int write(std::span<const std::uint8_t, kReportSize> report) = 0;

    // Waits at most `timeoutMs` for one input report and copies its payload, without the
    // report number, into `payload`. Returns the number of bytes delivered, 0 when nothing came
    // in time, or -1 on error (also when no device is open). A wait cut short by a signal goes
    // on for the time still left: a signal is never a missing reply.
    virtual int read(std::span<std::uint8_t, kReplyPayloadSize> payload, int timeoutMs) = 0;
};
