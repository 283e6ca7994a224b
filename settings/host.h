#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// The file dialogs of the program: three of the main window, four of the track view.
enum class FileDialog {
    SaveConfig,      // "Save to file": *.cfg, default name "veltromark.cfg"
    OpenConfig,      // "Read from file": *.cfg
    SaveGpsLog,      // GPS memory "Read": *.log, default name "veltromark_gpsdata.log"
    OpenGpsLog,      // track view: an NMEA log, *.log
    OpenGpsDump,     // track view: a raw GPS memory dump, *.bin
    SaveTrackImage,  // track view: the view as *.png
    SaveGpxTrack,    // track view: the track as *.gpx
};

// Everything an operation does to the user and the machine: the activity log, the progress
// bar, the command buttons, dialogs, sleeping and the clock. The window implements it with
// widgets; tests use a recording fake.
class Host {
  public:
    virtual ~Host() = default;

    // Appends one line to the activity log.
    virtual void log(const QString& line) = 0;

    // Progress bar: position 0 of `maximum`; one step; back to position 0 (maximum kept).
    virtual void progressStart(int maximum) = 0;
    virtual void progressStep() = 0;
    virtual void progressReset() = 0;

    // Enables or disables the seven command buttons together.
    virtual void setCommandButtonsEnabled(bool enabled) = 0;

    // Lets pending window events run (repaint of log and progress bar, input).
    virtual void processEvents() = 0;

    // Modal information box titled "Information" with one OK button.
    virtual void information(const QString& text) = 0;
    // The application's error box: error icon, title "Veltromark Configurator", OK button.
    virtual void applicationError(const QString& text) = 0;
    // A modal box with its own title (information icon, OK button).
    virtual void messageBox(const QString& title, const QString& text) = 0;

    // Shows a file dialog; the chosen path, or nothing when the user cancels.
    virtual std::optional<QString> chooseFile(FileDialog dialog) = 0;

    // Blocks for `milliseconds`.
    virtual void sleep(int milliseconds) = 0;

    // Current time in whole seconds since 1970-01-01 UTC.
    virtual std::int64_t currentTime() = 0;

    // The firmware image the program carries, or nothing when it carries none.
    virtual std::optional<QByteArray> firmwareImage() = 0;
};
