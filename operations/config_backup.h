#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/image.h"

// Backups of the tracker's configuration: before every write the tracker's image is read and
// kept as a file of its raw 8,192 bytes, so that a wrong write, a write to the wrong tracker or
// one cut short can be undone byte for byte.
//
// A backup's name says what it holds, in letters, digits and "-" only, so that it is a valid
// name on every file system whatever bytes a damaged image carries:
//
//     20261207T214500Z-N0CALL-7-snA1B2C3-fw107.bin
//     <time, UTC>-<callsign>-<SSID>[-sn<USB serial>][-fw<firmware>][-damaged][-<n>].bin
//
// It starts with the time, so it can never be a name Windows reserves (CON, NUL, COM1, ...).
// "-damaged" marks an image that failed its checksum or end marker; "-2", "-3", ... tell apart
// backups made in the same second.

// How many backups of one tracker are kept; older ones are deleted, oldest first.
inline constexpr int kBackupsKept = 50;

// Where the backups go unless told otherwise: "veltromark/backups" in the user's data folder
// (~/.local/share on Linux, the local application data folder on Windows).
QString defaultBackupFolder();

// One backup file, as its name describes it.
struct Backup {
    QString path;
    QDateTime time;  // UTC, to the second
    QString callsign;
    QString ssid;    // "0" to "15", or "X" when the image holds no valid SSID
    QString serial;  // the tracker's USB serial number, empty when it had none
    std::optional<std::uint32_t> firmware;  // in hundredths (107), when it was known
    bool damaged = false;
    int sequence = 1;  // 2, 3, ... for further backups made in the same second

    QString fileName() const;
    // "N0CALL-7"
    QString station() const { return callsign + QLatin1Char('-') + ssid; }
};

// The backup a file name describes, or nothing for a file that is not a backup.
std::optional<Backup> parseBackupName(const QString& fileName);

// The backups in `folder`, oldest first; none when the folder does not exist.
std::vector<Backup> listBackups(const QString& folder);

// What the tracker told about itself besides its image.
struct TrackerIdentity {
    QString serial;                         // USB serial number, empty when none
    std::optional<std::uint32_t> firmware;  // in hundredths
};

// Keeps `image` as a new backup in `folder` (created when missing) made at `utcSeconds`, then
// deletes the oldest backups of the same tracker beyond `keep`. The tracker is recognised by
// its USB serial number, or by its callsign when it has none; the new backup is never deleted.
// Returns the backup, or the reason it could not be kept ("<path>: <reason>").
struct SavedBackup {
    std::optional<Backup> backup;
    QString failure;
};
SavedBackup saveBackup(const QString& folder, const ConfigImage& image,
                       const TrackerIdentity& tracker, std::int64_t utcSeconds,
                       int keep = kBackupsKept);

// The image of a backup file, or nothing with the reason in `failure`.
std::optional<ConfigImage> loadBackup(const QString& path, QString* failure);

// The configuration version text an image carries (the printable characters at its start).
QString imageVersionText(const ConfigImage& image);
