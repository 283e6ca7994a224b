#include "operations/config_transfer.h"

#include <QDir>
#include <QStringList>
#include <span>

#include "image/decoder.h"
#include "image/encoder.h"
#include "operations/config_backup.h"
#include "operations/operation_support.h"
#include "version.h"

namespace {

// Reads the 256 configuration pages into `readImage`, stopping at the first failing page or,
// unless `stop` is kNeverStop, when asked to stop.
PageLoop readEeprom(ProgressSink& sink, DeviceLink& link, ConfigImage& readImage,
                    PageStop stop = PageStop{"Configuration read"}) {
    return transferPages(sink, kEepromPages, PageDirection::Read, stop,
                         [&](int p) { return link.ReadEepromPage(p, pageOf(readImage, p)); });
}

// Writes the 256 pages of `writeImage`, stopping at the first failing page; false then.
bool writeEeprom(ProgressSink& sink, DeviceLink& link, const ConfigImage& writeImage) {
    return transferPages(sink, kEepromPages, PageDirection::Write, kNeverStop, [&](int p) {
               return link.WriteEepromPage(p, pageOf(writeImage, p));
           }) == PageLoop::Complete;
}

// Where the configuration from before the write is, and what writes it back.
QString wayBack(const BackupPlan& plan, const Backup& backup) {
    return QStringLiteral(
               "Its configuration from before the write is in the backup %1; %2 "
               "writes it back.")
        .arg(QDir::toNativeSeparators(backup.path),
             QString(plan.restoreWith).replace(QLatin1String("%1"), backup.fileName()));
}

// Reads the tracker's configuration and keeps it in the backups folder. Nothing when it could
// not be read or kept; the log says why.
std::optional<Backup> backUp(ProgressSink& sink, DeviceLink& link, const BackupPlan& plan,
                             std::uint32_t firmware) {
    sink.log("Backup: reading the tracker's configuration.");
    ConfigImage image{};
    // Part of a write, which is never stopped half way.
    if (readEeprom(sink, link, image, kNeverStop) != PageLoop::Complete) {
        sink.log(
            "Backup read error: the tracker's configuration could not be read, so nothing "
            "was written.");
        return std::nullopt;
    }
    const SavedBackup saved = saveBackup(
        plan.folder, image, {QString::fromStdString(link.serialNumber()), firmware}, sink.now());
    if (!saved.backup) {
        sink.log("Backup error: " + saved.failure + ". Nothing was written.");
        return std::nullopt;
    }
    const QString path = QDir::toNativeSeparators(saved.backup->path);
    // A blank or damaged tracker's image is kept all the same: it is what the tracker held.
    sink.log(saved.backup->damaged
                 ? "Backup saved, marked damaged (the tracker's configuration fails its "
                   "checksum): " +
                       path
                 : "Backup saved: " + path);
    return saved.backup;
}

// Reads the 256 pages back and compares them with `written`: "Eeprom write success" only when
// the tracker holds every byte that was sent. The read-back runs to its end like the write.
bool verify(ProgressSink& sink, DeviceLink& link, const ConfigImage& written,
            const BackupPlan& plan, const Backup& backup) {
    sink.log("Verify: reading the configuration back.");
    ConfigImage stored{};
    if (readEeprom(sink, link, stored, kNeverStop) != PageLoop::Complete) {
        sink.log(
            "Verify read error: the configuration was written but could not be read back "
            "to check it. " +
            wayBack(plan, backup));
        return false;
    }
    QStringList differing;
    for (int p = 0; p < kEepromPages; ++p) {
        const auto a = pageOf(written, p);
        const auto b = pageOf(stored, p);
        if (!std::equal(a.begin(), a.end(), b.begin())) {
            differing << QString::number(p + 1);
        }
    }
    if (!differing.isEmpty()) {
        sink.log(QStringLiteral("Verify error: the tracker holds other bytes than were written "
                                "in page%1 %2 of %3. ")
                     .arg(differing.size() > 1 ? "s" : "", differing.join(QLatin1String(", ")))
                     .arg(kEepromPages) +
                 wayBack(plan, backup));
        return false;
    }
    sink.log("Eeprom write success");
    return true;
}

// The write of "Write config" and of a restore, once the image is ready: the tracker's
// firmware version checked, a backup made, the pages written and read back.
Outcome writeChecked(DeviceLink& link, OperationSink& sink, const ConfigImage& image,
                     const BackupPlan& plan) {
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
    if (*version != kTrackerFirmwareVersion) {
        return sink.failure(informationBox(QString::asprintf(
            "Uncompatible firmware version:\nDevice: %.2f\nConfigurator: %0.2f\n\nYou need to "
            "upload new firmware using \"Upload firmware\" button.",
            *version / 100.0, kTrackerFirmwareVersion / 100.0)));
    }
    const std::optional<Backup> backup = backUp(sink, link, plan, *version);
    if (!backup) {
        return sink.failure();
    }
    // A stop asked for before the first page leaves the tracker as it was; after it, the write
    // goes on to its end.
    if (!sink.mayGoOn()) {
        sink.log(QStringLiteral("Configuration write stopped before page 1/%1; the tracker's "
                                "configuration was not changed.")
                     .arg(kEepromPages));
        return sink.failure();
    }
    if (!writeEeprom(sink, link, image)) {
        sink.log("The tracker now holds a partly written configuration. " + wayBack(plan, *backup));
        return sink.failure();
    }
    return verify(sink, link, image, plan, *backup) ? sink.success() : sink.failure();
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
        const PageLoop read = readEeprom(sink, link, readImage);
        if (read == PageLoop::Failed) {
            // A page that did not come leaves a part of the image unread: even where the
            // checked region happens to be complete, the rest is not the tracker's.
            sink.log("Eeprom read error. Please reload configuration.");
        }
        if (read != PageLoop::Complete) {
            // Stopped on purpose, the stop line said where; either way no setting changes.
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
                           ConfigImage& writeImage, const BackupPlan& backups) {
    OperationSink sink(outer);
    if (const std::optional<QString> refusal = EncodeSettings(form, sink.now(), writeImage)) {
        return sink.failure(informationBox(*refusal));
    }
    return writeChecked(link, sink, writeImage, backups);
}

Outcome restoreConfiguration(DeviceLink& link, ProgressSink& outer, const ConfigImage& image,
                             const BackupPlan& backups) {
    OperationSink sink(outer);
    const QString version = imageVersionText(image);
    if (version != QLatin1String(kConfigFormatVersion.data(), kConfigFormatVersion.size())) {
        return sink.failure(informationBox(
            QStringLiteral("The backup holds configuration version \"%1\"; this program writes "
                           "only version \"%2\". Nothing was written.")
                .arg(version,
                     QLatin1String(kConfigFormatVersion.data(), kConfigFormatVersion.size()))));
    }
    return writeChecked(link, sink, image, backups);
}
