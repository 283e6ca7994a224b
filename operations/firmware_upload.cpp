#include "operations/firmware_upload.h"

#include <algorithm>
#include <span>
#include <utility>

#include "operations/operation_support.h"
#include "settings/wording.h"

Question firmwareQuestion(std::size_t imageSize) {
    const std::size_t pages = (imageSize + kPageSize - 1) / kPageSize;
    return {QStringLiteral("Firmware upload"),
            QStringLiteral("The firmware image is %1 bytes (%2 pages). The tracker's present "
                           "firmware cannot be read back, so there is no copy of it to go back "
                           "to.\n\nUpload the firmware now?")
                .arg(imageSize)
                .arg(pages)};
}

Outcome uploadFirmware(DeviceLink& link, ProgressSink& outer, const Wording& words,
                       const std::optional<QByteArray>& image, FirmwareBuffer& buffer,
                       const Confirm& confirm) {
    OperationSink sink(outer);
    LinkCloser closer(link);
    if (!link.openDevice(sink)) {
        return sink.failure();
    }
    if (!image) {
        return sink.failure(informationBox(words.noFirmware));
    }
    const auto size = static_cast<std::size_t>(image->size());
    if (size > buffer.size()) {
        return sink.failure(informationBox("Firmware file too long."));
    }
    if (!confirm(firmwareQuestion(size))) {
        sink.log("Firmware upload cancelled.");
        return sink.failure();
    }
    // The rest of the buffer is cleared, so the last page is padded with zeros even after a
    // larger image went out before.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image->constData());
    std::copy(bytes, bytes + size, buffer.begin());
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(size), buffer.end(), 0);
    const int pageCount = static_cast<int>((size + kPageSize - 1) / kPageSize);
    // A stop asked for before the first page leaves the tracker's firmware as it was.
    if (!sink.mayGoOn()) {
        sink.log(QStringLiteral("Firmware upload stopped before page 1/%1; the tracker's firmware "
                                "was not changed.")
                     .arg(pageCount));
        return sink.failure();
    }

    // Never stopped half way: a tracker with half its firmware does not start.
    if (transferPages(sink, pageCount, PageDirection::Write, kNeverStop, [&](int p) {
            return link.writeFirmwarePage(p, pageOf(std::as_const(buffer), p));
        }) != PageLoop::Complete) {
        // The tracker has taken a part of the new image in place of the old one.
        sink.log(
            "Firmware upgrade incomplete: the tracker now holds partial firmware. Uploading the "
            "firmware again puts it right.");
        return sink.failure();
    }
    sink.log("Firmware upgrade success");
    return sink.success();
}
