#pragma once

#include "device/device_link.h"
#include "image/image.h"
#include "operations/firmware_upload.h"
#include "operations/gps_memory.h"

class MainWindow;

// What the main window keeps for the device operations for its whole life: the link to the
// tracker and the operations' buffers, zero-filled at start.
struct DeviceSession {
    explicit DeviceSession(HidTransport& transport) : link(transport) {}

    DeviceLink link;
    ConfigImage readImage{};
    ConfigImage writeImage{};
    FirmwareBuffer firmware{};
    GpsBuffer gps = GpsBuffer(kGpsMemorySize, 0);
};

// Attaches the seven operations to the window's command buttons: the four device operations
// on `session`, and saving and reading configuration files. "Track…" opens the track view of
// the session's GPS buffer, and a complete GPS download offers it at its end.
void attachCommands(MainWindow& window, DeviceSession& session);
