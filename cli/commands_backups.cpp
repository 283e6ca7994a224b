// The backup commands: backups and restore.

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <optional>
#include <vector>

#include "cli/cli_sink.h"
#include "cli/command_registry.h"
#include "cli/configuration_io.h"
#include "cli/confirmation.h"
#include "cli/files.h"
#include "cli/tracker.h"
#include "operations/config_backup.h"
#include "operations/config_transfer.h"
#include "settings/visible_text.h"

static int runBackups(Invocation& in) {
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

const CliCommand backupsCommand = {
    .name = "backups",
    .summary = "List the configuration backups made before each write.",
    .description =
        "Before every write-config, restore or \"Write config\" of the window, the tracker's "
        "configuration is read and kept as a backup file of its 8192 bytes in the user's data "
        "folder (~/.local/share/veltromark/backups; on Windows the local application data "
        "folder), at least the newest 50 of each tracker. Each backup is numbered, one above the "
        "highest in the folder, and ranks by that number whatever the clock said. Lists them "
        "newest first, one line each with the time (UTC), callsign and SSID, firmware version, "
        "USB serial number, whether the image was damaged and the file, separated by tabs.",
    .run = runBackups,
};

static int runRestore(Invocation& in) {
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
    // The question comes once the tracker is found and its configuration read: it names the
    // tracker's serial number where the backup was made of another one.
    const Confirm ask =
        confirmation(in, QStringLiteral("restore %1").arg(QFileInfo(path).fileName()));
    Tracker tracker(in);
    return status(shown(
        in.sink,
        restoreBackupFile(tracker.link(), in.sink, commandLineWording(), path, toolBackups(),
                          [&ask](const RestoreCheck& check) { return ask(check.question); })));
}

const CliCommand restoreCommand = {
    .name = "restore",
    .summary = "Write a configuration backup back to the tracker.",
    .description =
        "Writes the image of a backup (a file, or a name that backups lists) to the tracker "
        "exactly as it is stored, as \"Restore\u2026\" of the window does: only to the "
        "firmware that write-config writes to and only an image of the configuration version "
        "this program writes, after a backup of what the tracker holds now, and read back to "
        "check it. Once the tracker is found and its configuration read, asks on a terminal, "
        "saying whose backup it is and warning when it was made of a tracker with another USB "
        "serial number or is marked damaged; without a terminal it needs --yes. The backup "
        "being restored is never deleted to make room.",
    .arguments = {{.name = "BACKUP", .help = "The backup to write."}},
    .worksOnTracker = true,
    .asks = true,
    .run = runRestore,
};
