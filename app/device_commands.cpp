#include "app/device_commands.h"

#include <QPushButton>

#include "app/main_window.h"
#include "app/track_view_window.h"
#include "configfile/config_file.h"
#include "operations/config_transfer.h"

namespace {

// For the lifetime of a device operation: the buttons as MainWindow::operationStarted sets
// them, and the window's events running between the slices of every reply wait, so that a
// slow or silent tracker never freezes the window. Everything back on every way out.
class RunningOperation {
  public:
    enum class Stop { Offered, NotOffered };

    RunningOperation(MainWindow& window, DeviceSession& session, CommandButton button, Stop stop)
        : window_(window), session_(session) {
        window_.operationStarted(button, stop == Stop::Offered);
        session_.link.setWhileWaiting([&sink = window_.sink()] { sink.letEventsRun(); });
    }
    ~RunningOperation() {
        session_.link.setWhileWaiting({});
        window_.operationEnded();
    }
    RunningOperation(const RunningOperation&) = delete;
    RunningOperation& operator=(const RunningOperation&) = delete;

  private:
    MainWindow& window_;
    DeviceSession& session_;
};

using Stop = RunningOperation::Stop;

}  // namespace

void Button_read_configClick(MainWindow& window, DeviceSession& s) {
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::ReadConfig, Stop::Offered);
        outcome = readConfiguration(s.link, window.sink(), window.form(), s.readImage);
    }
    window.showBoxes(outcome.boxes);
}

void Button_write_configClick(MainWindow& window, DeviceSession& s) {
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::WriteConfig, Stop::NotOffered);
        outcome = writeConfiguration(s.link, window.sink(), window.form(), s.writeImage);
    }
    window.showBoxes(outcome.boxes);
}

void Button_upload_firmwareClick(MainWindow& window, DeviceSession& s) {
    const std::optional<QByteArray> image = s.firmwareSource ? s.firmwareSource() : std::nullopt;
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::UploadFirmware, Stop::NotOffered);
        outcome = uploadFirmware(s.link, window.sink(), image, s.firmware);
    }
    window.showBoxes(outcome.boxes);
}

void Button_save_to_fileClick(MainWindow& window) {
    if (const std::optional<QString> path = window.chooseFile(FileDialog::SaveConfig)) {
        window.showBoxes(exportConfiguration(window.form(), *path).boxes);
    }
}

void Button_read_from_fileClick(MainWindow& window) {
    if (const std::optional<QString> path = window.chooseFile(FileDialog::OpenConfig)) {
        window.showBoxes(importConfiguration(window.form(), *path).boxes);
    }
}

bool Button_read_memoryClick(MainWindow& window, DeviceSession& s) {
    const std::optional<QString> path = window.chooseFile(FileDialog::SaveGpsLog);
    if (!path) {
        return false;
    }
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::ReadMemory, Stop::Offered);
        outcome = downloadGpsMemory(s.link, window.sink(), *path, s.gps);
    }
    window.showBoxes(outcome.boxes);
    return outcome.ok;
}

void Button_erase_memoryClick(MainWindow& window, DeviceSession& s) {
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::EraseMemory, Stop::Offered);
        outcome = eraseGpsMemory(s.link, window.sink());
    }
    window.showBoxes(outcome.boxes);
}

void attachCommands(MainWindow& window, DeviceSession& s) {
    window.setCommand(CommandButton::ReadConfig,
                      [&window, &s] { Button_read_configClick(window, s); });
    window.setCommand(CommandButton::WriteConfig,
                      [&window, &s] { Button_write_configClick(window, s); });
    window.setCommand(CommandButton::UploadFirmware,
                      [&window, &s] { Button_upload_firmwareClick(window, s); });
    window.setCommand(CommandButton::SaveToFile, [&window] { Button_save_to_fileClick(window); });
    window.setCommand(CommandButton::ReadFromFile,
                      [&window] { Button_read_from_fileClick(window); });
    // One track view for the window's life, shown again (with the last download) on demand.
    auto* view = new TrackViewWindow(window.dialogs(), window.programFolder(), s.gps, &window);
    const auto showTrack = [view] {
        view->showLastDownload();
        view->show();
        view->raise();
        view->activateWindow();
    };
    QObject::connect(window.trackButton(), &QPushButton::clicked, view, showTrack);
    window.setCommand(CommandButton::ReadMemory, [&s, &window, showTrack] {
        if (!Button_read_memoryClick(window, s)) {
            return;
        }
        // The download's own lines are on screen before the question.
        window.sink().flush();
        if (window.dialogs().question(&window, QStringLiteral("Tracker GPS memory"),
                                      QStringLiteral("Show the track of the download?"))) {
            showTrack();
        }
    });
    window.setCommand(CommandButton::EraseMemory,
                      [&window, &s] { Button_erase_memoryClick(window, s); });
}
