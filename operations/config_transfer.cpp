#include "operations/config_transfer.h"

#include <span>

#include "image/decoder.h"
#include "image/encoder.h"
#include "operations/operation_support.h"

namespace {

// Reads the 256 configuration pages into `readImage`, stopping at the first failing page or
// when asked to stop.
PageLoop readEeprom(ProgressSink& sink, DeviceLink& link, ConfigImage& readImage) {
    return transferPages(sink, kEepromPages, PageDirection::Read, PageStop{"Configuration read"},
                         [&](int p) { return link.ReadEepromPage(p, pageOf(readImage, p)); });
}

// Writes the 256 pages of `writeImage`, stopping at the first failing page; false then.
bool writeEeprom(ProgressSink& sink, DeviceLink& link, const ConfigImage& writeImage) {
    if (transferPages(sink, kEepromPages, PageDirection::Write, kNeverStop, [&](int p) {
            return link.WriteEepromPage(p, pageOf(writeImage, p));
        }) != PageLoop::Complete) {
        return false;
    }
    sink.log("Eeprom write success");
    return true;
}

}  // namespace

Outcome readConfiguration(DeviceLink& link, ProgressSink& outer, Form& form,
                          ConfigImage& readImage) {
    OperationSink sink(outer);
    readImage.fill(0);
    {
        LinkCloser closer(link);
        if (!link.OpenDevice(sink)) {
            return sink.failure();
        }
        if (readEeprom(sink, link, readImage) == PageLoop::Stopped) {
            // Stopped on purpose: the settings stay as they are, and nothing more is said.
            return sink.failure();
        }
    }
    if (!CheckImage(readImage)) {
        sink.log("Eeprom checksum error. Please reload configuration.");
        return sink.failure();
    }
    Outcome outcome;
    const Outcome decoded = DecodeImage(form, readImage);
    outcome.show(decoded.boxes, sink.lines());
    if (!decoded.ok) {
        sink.log("Eeprom read error. Please reload configuration.");
        return sink.failure(std::move(outcome));
    }
    sink.log("Eeprom read success.");

    LinkCloser closer(link);
    if (link.OpenDevice(sink)) {
        if (const std::optional<std::uint32_t> version = link.QueryFirmwareVersion()) {
            outcome.show(
                informationBox(QString::asprintf("Firmware version: %.2f", *version / 100.0)),
                sink.lines());
        }
    }
    return sink.success(std::move(outcome));
}

Outcome writeConfiguration(DeviceLink& link, ProgressSink& outer, const Form& form,
                           ConfigImage& writeImage) {
    OperationSink sink(outer);
    if (const std::optional<QString> refusal = EncodeSettings(form, sink.now(), writeImage)) {
        return sink.failure(informationBox(*refusal));
    }
    LinkCloser closer(link);
    if (!link.OpenDevice(sink)) {
        return sink.failure();
    }
    const std::optional<std::uint32_t> version = link.QueryFirmwareVersion();
    if (!version) {
        // Without this line the log would end at the found line with nothing written and no
        // word why.
        sink.log("Firmware version read error.");
        return sink.failure();
    }
    if (*version != ConfiguratorFirmwareVersion) {
        return sink.failure(informationBox(QString::asprintf(
            "Uncompatible firmware version:\nDevice: %.2f\nConfigurator: %0.2f\n\nYou need to "
            "upload new firmware using \"Upload firmware\" button.",
            *version / 100.0, ConfiguratorFirmwareVersion / 100.0)));
    }
    return writeEeprom(sink, link, writeImage) ? sink.success() : sink.failure();
}
