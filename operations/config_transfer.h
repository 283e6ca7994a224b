#pragma once

#include <cstdint>
#include <functional>

#include "image/image.h"
#include "settings/outcome.h"
#include "settings/wording.h"

#include <QString>

class DeviceLink;
class Form;
class ProgressSink;
struct TrackerIdentity;

// Reads the tracker's configuration into `readImage`, checks it, puts it into the settings and
// asks the tracker for its firmware version, which the outcome shows ("Firmware version:
// 1.07"). Succeeds once the settings hold the tracker's configuration (also when the version
// query after it fails). A page that fails ends the read, and the sink may stop it between
// pages: the settings are left as they were either way. After a read that succeeded,
// `tracker` (when given) holds the tracker's USB serial number and the firmware version it
// reported (none when that query failed). `words` (here and below) name the controls that
// write a configuration and upload firmware, as the messages that point to them say.
Outcome readConfiguration(DeviceLink& link, ProgressSink& sink, const Wording& words, Form& form,
                          ConfigImage& readImage, TrackerIdentity* tracker = nullptr);

// Where the backups made before a write go, and how the user writes one back.
struct BackupPlan {
    QString folder;
    // The button or command that writes a backup back, as a sentence's subject; "%1" stands
    // for the backup's file name. "\"Restore…\"", "\"veltromark-cli restore %1\"".
    QString restoreWith;
};

// Validates and encodes the settings into `writeImage` and, when the tracker runs the matching
// firmware, writes the image to it: first the tracker's configuration is read and kept as a
// backup in `backups.folder` (when that read fails nothing is written), and after the write
// the pages are read back and compared with the image. Succeeds when the tracker holds
// exactly the image; a write cut short or a page stored wrongly names the backup. The write
// (with its backup and check) is never stopped half way, whatever the sink answers; when the
// sink asks to stop before the first page is sent, nothing is written.
Outcome writeConfiguration(DeviceLink& link, ProgressSink& sink, const Wording& words,
                           const Form& form, ConfigImage& writeImage, const BackupPlan& backups);

// A backup to write back: the file it was loaded from and its bytes.
struct RestoreSource {
    QString path;  // never deleted to make room for the backup the restore makes first
    ConfigImage image{};
};

// What a restore asks once the tracker is open and its present configuration is read, before
// anything is kept or written.
struct RestoreCheck {
    // Whose backup it is, a warning when it was made of another tracker (another USB serial
    // number) or is marked damaged, and the question whether to write it. Titled "Restore".
    Question question;
    QString trackerSerial;      // the open tracker's USB serial number, empty when none
    bool otherTracker = false;  // the backup's name gives another serial number
    ConfigImage present{};      // what the tracker holds now, as read for its backup
    ConfigImage backup{};       // what the backup would write
};
// Answers the restore's question: true to keep the present configuration and write the backup.
using ConfirmRestore = std::function<bool(const RestoreCheck&)>;

// Writes a backup's image back to the tracker as it is stored, on the same terms as a write:
// the matching firmware, a backup of what the tracker holds now, the check after it. Refuses
// an image of a configuration version other than this program's before the tracker is opened.
// Once the tracker's present configuration is read, `confirm` is asked; nothing is kept or
// written when it says no ("Restore cancelled.").
Outcome restoreConfiguration(DeviceLink& link, ProgressSink& sink, const Wording& words,
                             const RestoreSource& backup, const BackupPlan& backups,
                             const ConfirmRestore& confirm);

struct RestoreOutcome : Outcome {
    bool settingsDecoded = false;  // `settings` holds the restored backup's settings
};

// A restore as the window and the tool run it: loads the backup at `path` (a file that is not
// a backup is refused with a box that says why), logs "Restoring the backup <path>." and
// writes it back as restoreConfiguration does. When it succeeded and `settings` is given, the
// backup's settings are decoded onto it; a backup marked damaged is not, and leaves
// `settingsDecoded` false.
RestoreOutcome restoreBackupFile(DeviceLink& link, ProgressSink& sink, const Wording& words,
                                 const QString& path, const BackupPlan& backups,
                                 const ConfirmRestore& confirm, Form* settings = nullptr);
