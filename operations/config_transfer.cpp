#include "operations/config_transfer.h"

#include <span>

#include "image/decoder.h"
#include "image/encoder.h"
#include "operations/operation_support.h"

void ReadEeprom(Host& host, DeviceLink& link, ConfigImage& readImage) {
    transferPages(host, kEepromPages, PageDirection::Read, PageEvents::Held,
                  [&](int p) { return link.ReadEepromPage(p, pageOf(readImage, p)); });
}

bool ShowFirmwareVersion(Host& host, DeviceLink& link) {
    const std::optional<std::uint32_t> version = link.QueryFirmwareVersion();
    if (!version) {
        return false;
    }
    host.information(QString::asprintf("Firmware version: %.2f", *version / 100.0));
    return true;
}

bool Button_read_configClick(Form& form, Host& host, DeviceLink& link, ConfigImage& readImage) {
    readImage.fill(0);
    {
        LinkCloser closer(link);
        if (!link.OpenDevice(host)) {
            return false;
        }
        ReadEeprom(host, link, readImage);
    }
    if (!CheckImage(readImage)) {
        host.log("Eeprom checksum error. Please reload configuration.");
        return false;
    }
    if (!DecodeImage(form, host, readImage)) {
        host.log("Eeprom read error. Please reload configuration.");
        return false;
    }
    host.log("Eeprom read success.");

    LinkCloser closer(link);
    if (link.OpenDevice(host)) {
        ShowFirmwareVersion(host, link);
    }
    return true;
}

bool WriteEeprom(Host& host, DeviceLink& link, const ConfigImage& writeImage) {
    if (!transferPages(host, kEepromPages, PageDirection::Write, PageEvents::Held,
                       [&](int p) { return link.WriteEepromPage(p, pageOf(writeImage, p)); })) {
        return false;
    }
    host.log("Eeprom write success");
    return true;
}

bool Button_write_configClick(Form& form, Host& host, DeviceLink& link, ConfigImage& writeImage) {
    if (!EncodeSettings(form, host, writeImage)) {
        return false;
    }
    LinkCloser closer(link);
    if (!link.OpenDevice(host)) {
        return false;
    }
    const std::optional<std::uint32_t> version = link.QueryFirmwareVersion();
    if (!version) {
        // Without this line the log would end at the found line with nothing written and no
        // word why.
        host.log("Firmware version read error.");
        return false;
    }
    if (*version != ConfiguratorFirmwareVersion) {
        host.information(QString::asprintf(
            "Uncompatible firmware version:\nDevice: %.2f\nConfigurator: %0.2f\n\nYou need to "
            "upload new firmware using \"Upload firmware\" button.",
            *version / 100.0, ConfiguratorFirmwareVersion / 100.0));
        return false;
    }
    return WriteEeprom(host, link, writeImage);
}
