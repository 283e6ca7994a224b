#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

#include "device/device_link.h"
#include "image/image.h"
#include "operations/config_backup.h"
#include "operations/firmware_upload.h"
#include "operations/gps_memory.h"
#include "settings/wording.h"

class MainWindow;

// What the window tells its user to check when the tracker is missing or cannot be opened.
OpenHints windowOpenHints();
// What the operations' messages call the window's buttons and boxes.
Wording windowWording();

// What the main window keeps for the device operations for its whole life: the link to the
// tracker, the operations' buffers, zero-filled at start, and where the firmware image for
// "Upload firmware" comes from (by default the program carries none).
struct DeviceSession {
    explicit DeviceSession(HidTransport& transport) : link(transport, windowOpenHints()) {}

    DeviceLink link;
    const Wording words = windowWording();
    ConfigImage readImage{};
    ConfigImage writeImage{};
    FirmwareBuffer firmware{};
    GpsBuffer gps = GpsBuffer(kGpsMemorySize, 0);
    std::function<std::optional<QByteArray>()> firmwareSource;
    // Where "Write config" keeps its backups and "Restore…" finds them.
    QString backupFolder = defaultBackupFolder();
    // The tracker is the simulated one (the demo): the window says so rather than show its
    // serial number.
    bool simulated = false;
};

// The handlers of the seven command buttons: each asks for what it needs and shows the boxes
// of the outcome. The ones that reach the tracker run their operation on the operation thread
// (MainWindow::runOperation) on copies of what they need, and the window takes the result when
// it has ended; a configuration read, a GPS download and the erase wait offer Stop on their
// own button. "Read config" and "Read from file" first ask Save / Discard / Cancel when the
// settings changed since they were last kept.
void readSettingsFromTracker(MainWindow& window, DeviceSession& session);
void writeSettingsToTracker(MainWindow& window, DeviceSession& session);
void uploadFirmwareToTracker(MainWindow& window, DeviceSession& session);
void saveSettingsToFile(MainWindow& window);
void loadSettingsFromFile(MainWindow& window);
// `downloaded` runs once the whole memory was read, the log written and the session's GPS
// buffer replaced.
void downloadGpsMemoryToFile(MainWindow& window, DeviceSession& session,
                             const std::function<void()>& downloaded = {});
void eraseGpsMemoryOnTracker(MainWindow& window, DeviceSession& session);

// "Restore…": lists the backups, shows the chosen one against the window's settings in the
// compare list and, after a question, writes it back to the tracker as it is stored.
void restoreBackup(MainWindow& window, DeviceSession& session);

// Attaches the seven handlers and "Restore…" to the window's command buttons. "Track…" opens the
// track view of the session's GPS buffer, and a complete GPS download offers it at its end.
void attachCommands(MainWindow& window, DeviceSession& session);
