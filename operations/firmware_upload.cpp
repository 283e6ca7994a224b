#include "operations/firmware_upload.h"

#include <algorithm>
#include <span>
#include <utility>

#include "operations/operation_support.h"

bool Button_upload_firmwareClick(Host& host, DeviceLink& link, FirmwareBuffer& buffer) {
    LinkCloser closer(link);
    if (!link.OpenDevice(host)) {
        return false;
    }
    CommandButtonsDisabled disabled(host);
    return UploadFirmware(host, link, buffer);
}

bool UploadFirmware(Host& host, DeviceLink& link, FirmwareBuffer& buffer) {
    const std::optional<QByteArray> image = host.firmwareImage();
    if (!image) {
        host.information("Firmware resource not found (FindResource).");
        return false;
    }
    const auto size = static_cast<std::size_t>(image->size());
    if (size > buffer.size()) {
        host.information("Firmware file too long.");
        return false;
    }
    // The rest of the buffer is cleared, so the last page is padded with zeros even after a
    // larger image went out before.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image->constData());
    std::copy(bytes, bytes + size, buffer.begin());
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(size), buffer.end(), 0);
    const int pageCount = static_cast<int>((size + kPageSize - 1) / kPageSize);

    if (!transferPages(
            host, pageCount, PageDirection::Write, PageEvents::RunBetweenPages,
            [&](int p) { return link.WriteFirmwarePage(p, pageOf(std::as_const(buffer), p)); })) {
        return false;
    }
    host.log("Firmware upgrade success");
    return true;
}
