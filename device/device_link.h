#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "device/hid_transport.h"
#include "device/protocol.h"
#include "device/tracker_chooser.h"

class ProgressSink;

// Answer to an erase status poll.
enum class EraseStatus {
    ExchangeFailed,  // no complete exchange
    Finished,        // the tracker answered EraseDone
    Erasing,         // any other answer, also the echoed status code
};

// What the user is told to check when no tracker is found, or when the one found cannot be
// opened: the words depend on who reads them (the window's user, the command line's), so the
// link's owner gives them. An empty hint logs no line.
struct OpenHints {
    QString notFound;
    QString permissionDenied;  // Linux: the hidraw node is root's
    QString inUse;             // another program holds the tracker
    QString other;             // anything else
};

// The line logged when the tracker is found.
inline constexpr const char* kTrackerFoundLine = "Veltromark found, vid: Vid_0483, pid: A04D";

// The link to the tracker: opens the tracker its chooser picks, carries the strict
// request/reply exchange of 65-byte reports, and closes it again. One instance serves the whole
// program; every device operation opens it at its start and closes it on every way out:
//
//     if (!link.openDevice(sink)) { link.closeDevice(); return; }
//     ... command operations ...
//     link.closeDevice();
//
// The command operations build their request, exchange it and accept the reply by its code
// (and, for page reads, its page sum). They never log and never retry.
class DeviceLink {
  public:
    explicit DeviceLink(HidTransport& transport, OpenHints hints = {});
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Opens the tracker the chooser picks (the first in enumeration order unless a path was
    // chosen) and logs "Veltromark found, vid: Vid_0483, pid: A04D", or logs "Veltromark not
    // found." and the hint of what to check, and returns false. A tracker that is found but
    // cannot be opened logs the found line, the reason and the hint for that reason, and
    // returns false as well: nothing can be exchanged with it.
    bool openDevice(ProgressSink& sink);

    // Which tracker openDevice takes, and its serial number.
    TrackerChooser& chooser() { return chooser_; }
    const TrackerChooser& chooser() const { return chooser_; }

    // Closes the device. Harmless when nothing is open.
    void closeDevice();

    // True between an openDevice that found the tracker and the next closeDevice.
    bool isOpen() const { return state_ != State::Closed; }

    // Sends one request and reads one reply, waiting at most kReplyTimeoutMs. Fails when the
    // write does not take all 65 bytes (no read is then attempted) or when no complete reply
    // arrives in time. The reply is returned in the 65-byte form (byte 0 the report number 0)
    // and its content is not looked at. The wait is one read of the transport; the window runs
    // operations on a thread of their own, so nothing else needs a turn during it.
    std::optional<Report> exchangeReport(const Report& request);

    // Page writes: succeed when the tracker echoes the command code.
    bool writeEepromPage(int pageIndex, std::span<const std::uint8_t, kPageSize> data);
    bool writeFirmwarePage(int pageIndex, std::span<const std::uint8_t, kPageSize> data);

    // Page reads: on a reply with the echoed code and a matching page sum, copy its 32 data
    // bytes into `destination`; on any other outcome `destination` is left untouched. The page
    // index in the reply is not compared with the one asked for.
    bool readEepromPage(int pageIndex, std::span<std::uint8_t, kPageSize> destination);
    bool readGpsPage(int pageIndex, std::span<std::uint8_t, kPageSize> destination);

    // The firmware version in hundredths (107 is 1.07), or nothing when the exchange failed.
    std::optional<std::uint32_t> queryFirmwareVersion();

    // Starts the GPS memory erase; true when the tracker accepted it.
    bool startGpsErase();

    // Asks whether the GPS memory erase has finished.
    EraseStatus pollGpsErase();

  private:
    enum class State { Closed, Open };

    bool writePage(Command command, int pageIndex, int pageCount,
                   std::span<const std::uint8_t, kPageSize> data);
    bool readPage(Command command, int pageIndex, int pageCount,
                  std::span<std::uint8_t, kPageSize> destination);
    std::optional<Report> exchangeCommand(Command command);

    HidTransport& transport_;
    TrackerChooser chooser_;
    OpenHints hints_;
    State state_ = State::Closed;
};
