#include "device/device_link.h"

#include <QString>
#include <algorithm>
#include <utility>

#include "settings/progress_sink.h"

namespace {

// PageData indexes travel as 16 bits.
constexpr int kPageIndexLimit = 0x10000;

Report makeRequest(Command command, int pageIndex) {
    Report request{};  // every byte not set below is zero
    request[0] = 0;    // report number
    request[kCodeOffset] = static_cast<std::uint8_t>(command);
    writeU16(request, kPageIndexOffset, static_cast<std::uint16_t>(pageIndex));
    return request;
}

bool echoes(const Report& reply, Command command) {
    return reply[kCodeOffset] == static_cast<std::uint8_t>(command);
}

}  // namespace

DeviceLink::DeviceLink(HidTransport& transport, OpenHints hints)
    : transport_(transport), chooser_(transport), hints_(std::move(hints)) {}

namespace {

void logHint(ProgressSink& sink, const QString& hint) {
    if (!hint.isEmpty()) {
        sink.log(hint);
    }
}

}  // namespace

DeviceLink::~DeviceLink() {
    closeDevice();
}

bool DeviceLink::openDevice(ProgressSink& sink) {
    closeDevice();
    const std::optional<std::string> path = chooser_.pathToOpen();
    if (!path) {
        sink.log("Veltromark not found.");
        logHint(sink, hints_.notFound);
        return false;
    }
    const OpenResult result = transport_.open(*path);
    sink.log(kTrackerFoundLine);
    if (result.opened) {
        state_ = State::Open;
        return true;
    }
    // Nothing can be exchanged with a tracker that did not open: the operation ends here,
    // with the reason and what to do about it.
    transport_.close();
    QString reason = QString::fromStdString(result.reason).trimmed();
    while (reason.endsWith('.')) {
        reason.chop(1);
    }
    if (reason.isEmpty()) {
        reason = "the system refused access";
    }
    sink.log("Cannot open the device: " + reason + ".");
    switch (result.failure) {
        case OpenFailure::PermissionDenied:
            logHint(sink, hints_.permissionDenied);
            break;
        case OpenFailure::InUse:
            logHint(sink, hints_.inUse);
            break;
        case OpenFailure::Other:
            logHint(sink, hints_.other);
            break;
    }
    return false;
}

void DeviceLink::closeDevice() {
    if (state_ != State::Closed) {
        transport_.close();
        state_ = State::Closed;
    }
}

std::optional<Report> DeviceLink::exchangeReport(const Report& request) {
    if (state_ != State::Open) {
        return std::nullopt;  // like a write that transfers nothing
    }
    if (transport_.write(request) != static_cast<int>(kReportSize)) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kReplyPayloadSize> payload{};
    const int read = transport_.read(payload, kReplyTimeoutMs);
    if (read != static_cast<int>(kReplyPayloadSize)) {
        return std::nullopt;
    }
    // The HID layer drops the report number; put the reply back in its 65-byte form.
    Report reply{};
    reply[0] = 0;
    std::copy(payload.begin(), payload.end(), reply.begin() + 1);
    return reply;
}

bool DeviceLink::writePage(Command command, int pageIndex, int pageCount,
                           std::span<const std::uint8_t, kPageSize> data) {
    if (pageIndex < 0 || pageIndex >= pageCount) {
        return false;  // a page the tracker does not have: nothing is sent
    }
    Report request = makeRequest(command, pageIndex);
    std::copy(data.begin(), data.end(), request.begin() + kPageDataOffset);
    writeU16(request, kPageSumOffset, pageSum(data));
    const std::optional<Report> reply = exchangeReport(request);
    return reply && echoes(*reply, command);
}

bool DeviceLink::readPage(Command command, int pageIndex, int pageCount,
                          std::span<std::uint8_t, kPageSize> destination) {
    if (pageIndex < 0 || pageIndex >= pageCount) {
        return false;
    }
    const std::optional<Report> reply = exchangeReport(makeRequest(command, pageIndex));
    if (!reply || !echoes(*reply, command)) {
        return false;
    }
    const std::span<const std::uint8_t, kPageSize> data(reply->data() + kPageDataOffset, kPageSize);
    if (pageSum(data) != readU16(*reply, kPageSumOffset)) {
        return false;
    }
    std::copy(data.begin(), data.end(), destination.begin());
    return true;
}

std::optional<Report> DeviceLink::exchangeCommand(Command command) {
    return exchangeReport(makeRequest(command, 0));
}

bool DeviceLink::writeEepromPage(int pageIndex, std::span<const std::uint8_t, kPageSize> data) {
    return writePage(Command::EepromPageWrite, pageIndex, kEepromPages, data);
}

bool DeviceLink::writeFirmwarePage(int pageIndex, std::span<const std::uint8_t, kPageSize> data) {
    return writePage(Command::FirmwarePageWrite, pageIndex, kPageIndexLimit, data);
}

bool DeviceLink::readEepromPage(int pageIndex, std::span<std::uint8_t, kPageSize> destination) {
    return readPage(Command::EepromPageRead, pageIndex, kEepromPages, destination);
}

bool DeviceLink::readGpsPage(int pageIndex, std::span<std::uint8_t, kPageSize> destination) {
    return readPage(Command::GpsPageRead, pageIndex, kGpsPages, destination);
}

std::optional<std::uint32_t> DeviceLink::queryFirmwareVersion() {
    const std::optional<Report> reply = exchangeCommand(Command::FirmwareVersionQuery);
    if (!reply || !echoes(*reply, Command::FirmwareVersionQuery)) {
        return std::nullopt;
    }
    return readU32(*reply, kVersionOffset);
}

bool DeviceLink::startGpsErase() {
    const std::optional<Report> reply = exchangeCommand(Command::GpsMemoryErase);
    return reply && echoes(*reply, Command::GpsMemoryErase);
}

EraseStatus DeviceLink::pollGpsErase() {
    const std::optional<Report> reply = exchangeCommand(Command::GpsEraseStatus);
    if (!reply) {
        return EraseStatus::ExchangeFailed;
    }
    return (*reply)[kCodeOffset] == kEraseDone ? EraseStatus::Finished : EraseStatus::Erasing;
}
