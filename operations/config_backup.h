#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
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
//     000042-20261207T214500Z-N0CALL-7-snA1B2C3-fw107.bin
//     <number>-<time, UTC>-<callsign>-<SSID>[-sn<USB serial>][-h<hash>][-fw<firmware>]
//         [-damaged].bin
//
// The number ranks the backups of a folder, newest highest: each backup takes the highest
// number in the folder plus one, so the order holds whatever the clock says. Names of the
// older form start with the time and have no number ("-2", "-3", ... at the end told apart
// those of one second); they rank below every numbered one, by their time.
// "-damaged" marks an image that failed its checksum or end marker. "-h" and 8 hex digits
// follow a USB serial number that holds more than letters and digits (or more than a name
// keeps of it): a short hash of the whole serial, so that "VM-0001" and "VM_0001" stay two
// trackers.

// How many backups of one tracker are kept at least; older ones are deleted, oldest first.
inline constexpr int kBackupsKept = 50;

// Where the backups go unless told otherwise: "veltromark/backups" in the user's data folder
// (~/.local/share on Linux, the local application data folder on Windows).
QString defaultBackupFolder();

// One backup file, as its name describes it.
struct Backup {
    QString path;
    std::int64_t number = 0;  // its rank in the folder; 0 for a name of the older form
    QDateTime time;           // UTC, to the second
    QString callsign;
    QString ssid;        // "0" to "15", or "X" when the image holds no valid SSID
    QString serial;      // the letters and digits of the tracker's USB serial number
    QString serialHash;  // 8 hex digits when the serial held more than `serial` says
    std::optional<std::uint32_t> firmware;  // in hundredths (107), when it was known
    bool damaged = false;
    int sequence = 1;  // older form only: 2, 3, ... for further backups of the same second

    QString fileName() const;
    // "N0CALL-7"
    QString station() const { return callsign + QLatin1Char('-') + ssid; }
    // Whether both were made of one tracker: by USB serial number where either has one, else
    // by callsign.
    bool sameTracker(const Backup& other) const;
};

// The backup a file name describes, or nothing for a file that is not a backup.
std::optional<Backup> parseBackupName(const QString& fileName);

// The backups in `folder`, oldest (lowest ranked) first; none when the folder does not exist.
// Links are left out: a backup is read from, and deleted as, a file of the folder itself.
std::vector<Backup> listBackups(const QString& folder);

// What the tracker told about itself besides its image.
struct TrackerIdentity {
    QString serial;                         // USB serial number, empty when none
    std::optional<std::uint32_t> firmware;  // in hundredths
};

// Whether `backup` was made of the tracker with the USB serial number `serial` (empty: none).
bool madeOf(const Backup& backup, const QString& serial);

// Keeps `image` as a new backup in `folder` (created when missing) made at `utcSeconds`, then
// deletes the lowest ranked backups of the same tracker beyond the newest `keep`, but never the
// new one nor a file of `spared` (the backup being restored). The tracker is recognised by its
// USB serial number, or by its callsign when it has none.
//
// The file is made under a temporary name and then given its own, never replacing a name in use
// and never following a link; its number is claimed exclusively, and taken again on a clash, so
// that programs saving at the same time never share a name nor a number. A backup that fails
// half way leaves no file with a backup's name.
// Returns the backup and the files deleted to make room, or the reason it could not be kept
// ("<path>: <reason>").
struct SavedBackup {
    std::optional<Backup> backup;
    QString failure;
    QStringList removed;  // paths
};
SavedBackup saveBackup(const QString& folder, const ConfigImage& image,
                       const TrackerIdentity& tracker, std::int64_t utcSeconds,
                       int keep = kBackupsKept, const QStringList& spared = {});

// The image of a backup file, or nothing with the reason in `failure`.
std::optional<ConfigImage> loadBackup(const QString& path, QString* failure);

// The configuration version text an image carries (the printable characters at its start).
QString imageVersionText(const ConfigImage& image);
