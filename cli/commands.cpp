#include "cli/commands.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "aprs/beacon_packets.h"
#include "cli/cli_sink.h"
#include "cli/configuration_io.h"
#include "cli/confirmation.h"
#include "cli/files.h"
#include "cli/json_output.h"
#include "cli/stop_signal.h"
#include "cli/tracker.h"
#include "configfile/config_file.h"
#include "device/device_link.h"
#include "device/gps_record.h"
#include "device/hidapi_transport.h"
#include "image/compare.h"
#include "image/decoder.h"
#include "image/encoder.h"
#include "image/image.h"
#include "operations/config_backup.h"
#include "operations/config_transfer.h"
#include "operations/firmware_resource.h"
#include "operations/firmware_upload.h"
#include "operations/gps_memory.h"
#include "operations/gpx_track.h"
#include "operations/nmea_log.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/output_file.h"
#include "settings/schema.h"
#include "settings/visible_text.h"
#include "sim/simulated_fault.h"
#include "sim/simulated_tracker.h"

int runBackups(Invocation& in) {
    const QString folder = defaultBackupFolder();
    const std::vector<Backup> backups = listBackups(folder);
    if (backups.empty()) {
        in.sink.say(QStringLiteral("No configuration backups in %1.")
                        .arg(QDir::toNativeSeparators(folder)));
        return kExitSuccess;
    }
    // Newest first, tab-separated: time (UTC), station, firmware, USB serial, state, file.
    for (auto b = backups.rbegin(); b != backups.rend(); ++b) {
        // Each field written out visibly on its own, so that the tabs between them stay tabs.
        QStringList fields{
            b->time.toString(Qt::ISODate),
            b->station(),
            b->firmware ? QString::asprintf("%.2f", *b->firmware / 100.0) : QStringLiteral("-"),
            b->serial.isEmpty() ? QStringLiteral("-") : b->serial,
            b->damaged ? QStringLiteral("damaged") : QStringLiteral("good"),
            QDir::toNativeSeparators(b->path)};
        for (QString& field : fields) {
            field = visibleText(field);
        }
        in.out((fields.join(QLatin1Char('\t')) + u'\n').toUtf8());
    }
    return kExitSuccess;
}

int runRestore(Invocation& in) {
    // A path, or the name of a backup in the backups folder as "backups" lists it.
    QString path = in.arguments[0];
    if (!QFileInfo::exists(path) && !path.contains(QLatin1Char('/')) &&
        !path.contains(QLatin1Char('\\'))) {
        const QString inFolder = QDir(defaultBackupFolder()).filePath(path);
        if (QFileInfo::exists(inFolder)) {
            path = inFolder;
        }
    }
    if (!regularFile(in.sink, path)) {
        return kExitFailed;
    }
    QString failure;
    const std::optional<ConfigImage> image = loadBackup(path, &failure);
    if (!image) {
        in.sink.say(complaint(failure));
        return kExitFailed;
    }
    // The question comes once the tracker is found and its configuration read: it names the
    // tracker's serial number where the backup was made of another one.
    const Confirm ask =
        confirmation(in, QStringLiteral("restore %1").arg(QFileInfo(path).fileName()));
    Tracker tracker(in);
    in.sink.log(QStringLiteral("Restoring the backup %1.").arg(QDir::toNativeSeparators(path)));
    return status(shown(
        in.sink,
        restoreConfiguration(tracker.link(), in.sink, {path, *image}, toolBackups(),
                             [&ask](const RestoreCheck& check) { return ask(check.question); })));
}
