#include "operations/config_transfer.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <span>

#include "image/decoder.h"
#include "image/encoder.h"
#include "operations/config_backup.h"
#include "operations/operation_support.h"
#include "settings/visible_text.h"
#include "settings/wording.h"
#include "version.h"

namespace {

// Reads the 256 configuration pages into `readImage`, stopping at the first failing page or,
// unless `stop` is kNeverStop, when asked to stop.
PageLoop readEeprom(ProgressSink& sink, DeviceLink& link, ConfigImage& readImage,
                    PageStop stop = PageStop{"Configuration read"}) {
    return transferPages(sink, kEepromPages, PageDirection::Read, stop,
                         [&](int p) { return link.readEepromPage(p, pageOf(readImage, p)); });
}

// Writes the 256 pages of `writeImage`, stopping at the first failing page; false then.
bool writeEeprom(ProgressSink& sink, DeviceLink& link, const ConfigImage& writeImage) {
    return transferPages(sink, kEepromPages, PageDirection::Write, kNeverStop, [&](int p) {
               return link.writeEepromPage(p, pageOf(writeImage, p));
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

// Reads the tracker's configuration for its backup. False when it could not be read; the log
// says why.
bool readForBackup(ProgressSink& sink, DeviceLink& link, ConfigImage& present) {
    sink.log("Backup: reading the tracker's configuration.");
    // Part of a write, which is never stopped half way.
    if (readEeprom(sink, link, present, kNeverStop) != PageLoop::Complete) {
        sink.log(
            "Backup read error: the tracker's configuration could not be read, so nothing "
            "was written.");
        return false;
    }
    return true;
}

// Keeps `present` in the backups folder, never deleting a file of `spared` to make room.
// Nothing when it could not be kept; the log says why.
std::optional<Backup> keep(ProgressSink& sink, const BackupPlan& plan, const ConfigImage& present,
                           const TrackerIdentity& tracker, const QStringList& spared) {
    const SavedBackup saved =
        saveBackup(plan.folder, present, tracker, sink.now(), kBackupsKept, spared);
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
    for (const QString& removed : saved.removed) {
        sink.log(QStringLiteral("Backup removed to make room (the newest %1 of each tracker are "
                                "kept): %2")
                     .arg(kBackupsKept)
                     .arg(QDir::toNativeSeparators(removed)));
    }
    return saved.backup;
}

// The serial number a backup's name gives, in words.
QString serialWords(const Backup& backup) {
    if (!backup.serial.isEmpty()) {
        return QStringLiteral("USB serial number ") + backup.serial;
    }
    return backup.serialHash.isEmpty()
               ? QStringLiteral("no USB serial number")
               : QStringLiteral("a USB serial number without letters or digits");
}

// The restore's question, worded for the tracker that is open.
RestoreCheck restoreCheck(const RestoreSource& source, const QString& serial,
                          const ConfigImage& present) {
    RestoreCheck check;
    check.trackerSerial = serial;
    check.present = present;
    check.backup = source.image;
    const QString name = QFileInfo(source.path).fileName();
    QStringList lines;
    if (const std::optional<Backup> b = parseBackupName(name)) {
        lines << QStringLiteral("The backup %1 was made of %2 (%3) at %4 UTC.")
                     .arg(name, b->station(), serialWords(*b),
                          b->time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        check.otherTracker = !madeOf(*b, serial);
        if (check.otherTracker) {
            lines << QStringLiteral("Warning: it was made of another tracker; this one has %1.")
                         .arg(serial.isEmpty() ? QStringLiteral("no USB serial number")
                                               : "USB serial number " + visibleText(serial));
        }
    } else {
        lines << QStringLiteral(
                     "%1 is not named as a backup, so it does not say which tracker it was made "
                     "of.")
                     .arg(visibleText(name));
    }
    if (!CheckImage(source.image)) {
        lines << QStringLiteral(
            "It is marked damaged: its checksum or end marker is wrong, so the tracker may not "
            "work with it.");
    }
    lines << QStringLiteral(
        "Write it to the tracker? It replaces the tracker's whole configuration; a backup of "
        "the present one is kept first.");
    check.question = {QStringLiteral("Restore"), lines.join(QLatin1Char('\n'))};
    return check;
}

// A restore's question, asked between reading the tracker's configuration and keeping it.
struct RestoreAsk {
    const RestoreSource& source;
    const ConfirmRestore& confirm;
};

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

// A write of the settings and of a restore, once the image is ready: the tracker's
// firmware version checked, its configuration read and (for a restore, once the user said
// yes) kept, the pages written and read back.
Outcome writeChecked(DeviceLink& link, OperationSink& sink, const Wording& words,
                     const ConfigImage& image, const BackupPlan& plan,
                     const RestoreAsk* restore = nullptr) {
    LinkCloser closer(link);
    if (!link.openDevice(sink)) {
        return sink.failure();
    }
    const std::optional<std::uint32_t> version = link.queryFirmwareVersion();
    if (!version) {
        // Without this line the log would end at the found line with nothing written and no
        // word why.
        sink.log("Firmware version read error.");
        return sink.failure();
    }
    if (*version != kTrackerFirmwareVersion) {
        return sink.failure(informationBox(
            QString::asprintf("Uncompatible firmware version:\nDevice: %.2f\nConfigurator: "
                              "%0.2f\n\nYou need to upload new firmware ",
                              *version / 100.0, kTrackerFirmwareVersion / 100.0) +
            words.uploadFirmware + u'.'));
    }
    ConfigImage present{};
    if (!readForBackup(sink, link, present)) {
        return sink.failure();
    }
    const QString serial = QString::fromStdString(link.chooser().serialNumber());
    QStringList spared;
    if (restore != nullptr) {
        if (!restore->confirm(restoreCheck(restore->source, serial, present))) {
            sink.log("Restore cancelled.");
            return sink.failure();
        }
        spared << restore->source.path;
    }
    const std::optional<Backup> backup = keep(sink, plan, present, {serial, *version}, spared);
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

Outcome readConfiguration(DeviceLink& link, ProgressSink& outer, const Wording& words, Form& form,
                          ConfigImage& readImage, TrackerIdentity* tracker) {
    OperationSink sink(outer);
    readImage.fill(0);
    {
        LinkCloser closer(link);
        if (!link.openDevice(sink)) {
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
    const Outcome decoded = DecodeImage(form, readImage, words);
    outcome.show(decoded.boxes, sink.lines());
    if (!decoded.ok) {
        sink.log("Eeprom read error. Please reload configuration.");
        return sink.failure(std::move(outcome));
    }
    sink.log("Eeprom read success.");

    LinkCloser closer(link);
    std::optional<std::uint32_t> version;
    if (link.openDevice(sink)) {
        version = link.queryFirmwareVersion();
        if (version) {
            outcome.show(
                informationBox(QString::asprintf("Firmware version: %.2f", *version / 100.0)),
                sink.lines());
        }
    }
    if (tracker != nullptr) {
        *tracker = {QString::fromStdString(link.chooser().serialNumber()), version};
    }
    return sink.success(std::move(outcome));
}

Outcome writeConfiguration(DeviceLink& link, ProgressSink& outer, const Wording& words,
                           const Form& form, ConfigImage& writeImage, const BackupPlan& backups) {
    OperationSink sink(outer);
    if (const std::optional<SettingProblem> refusal =
            EncodeSettings(form, sink.now(), writeImage)) {
        Outcome refused;
        refused.refusedSetting = refusal->setting;
        return sink.failure(informationBox(refusal->message), std::move(refused));
    }
    return writeChecked(link, sink, words, writeImage, backups);
}

Outcome restoreConfiguration(DeviceLink& link, ProgressSink& outer, const Wording& words,
                             const RestoreSource& backup, const BackupPlan& backups,
                             const ConfirmRestore& confirm) {
    OperationSink sink(outer);
    const QString version = imageVersionText(backup.image);
    if (version != QLatin1String(kConfigFormatVersion.data(), kConfigFormatVersion.size())) {
        return sink.failure(informationBox(
            QStringLiteral("The backup holds configuration version \"%1\"; this program writes "
                           "only version \"%2\". Nothing was written.")
                .arg(version,
                     QLatin1String(kConfigFormatVersion.data(), kConfigFormatVersion.size()))));
    }
    const RestoreAsk ask{backup, confirm};
    return writeChecked(link, sink, words, backup.image, backups, &ask);
}

RestoreOutcome restoreBackupFile(DeviceLink& link, ProgressSink& outer, const Wording& words,
                                 const QString& path, const BackupPlan& backups,
                                 const ConfirmRestore& confirm, Form* settings) {
    OperationSink sink(outer);
    RestoreOutcome restored;
    QString failure;
    const std::optional<ConfigImage> image = loadBackup(path, &failure);
    if (!image) {
        static_cast<Outcome&>(restored) = sink.failure(informationBox(failure));
        return restored;
    }
    sink.log(QStringLiteral("Restoring the backup %1.").arg(QDir::toNativeSeparators(path)));
    static_cast<Outcome&>(restored) =
        restoreConfiguration(link, sink, words, {path, *image}, backups, confirm);
    if (restored.ok && settings != nullptr && CheckImage(*image)) {
        const Outcome decoded = DecodeImage(*settings, *image, words);
        restored.show(decoded.boxes, sink.lines());
        restored.settingsDecoded = decoded.ok;
    }
    return restored;
}
