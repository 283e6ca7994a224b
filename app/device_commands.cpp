#include "app/device_commands.h"

#include <QPushButton>

#include "app/main_window.h"
#include "app/track_view_window.h"
#include "configfile/config_file.h"
#include "operations/config_transfer.h"

namespace {

// Disables the command buttons for its lifetime and enables them again on every way out, for
// the operations that let window events run between exchanges.
class CommandButtonsDisabled {
  public:
    explicit CommandButtonsDisabled(MainWindow& window) : window_(window) {
        window_.setCommandButtonsEnabled(false);
    }
    ~CommandButtonsDisabled() { window_.setCommandButtonsEnabled(true); }
    CommandButtonsDisabled(const CommandButtonsDisabled&) = delete;
    CommandButtonsDisabled& operator=(const CommandButtonsDisabled&) = delete;

  private:
    MainWindow& window_;
};

}  // namespace

void Button_read_configClick(MainWindow& window, DeviceSession& s) {
    window.showBoxes(readConfiguration(s.link, window.sink(), window.form(), s.readImage).boxes);
}

void Button_write_configClick(MainWindow& window, DeviceSession& s) {
    window.showBoxes(writeConfiguration(s.link, window.sink(), window.form(), s.writeImage).boxes);
}

void Button_upload_firmwareClick(MainWindow& window, DeviceSession& s) {
    const std::optional<QByteArray> image = s.firmwareSource ? s.firmwareSource() : std::nullopt;
    Outcome outcome;
    {
        CommandButtonsDisabled disabled(window);
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
        const ImportOutcome imported = importConfiguration(window.form(), *path);
        window.showBoxes(imported.boxes);
        // The file is loaded all the same; the log tells what of it was not.
        for (const UnreadValue& value : imported.unread) {
            window.sink().log(value.line());
        }
    }
}

bool Button_read_memoryClick(MainWindow& window, DeviceSession& s) {
    const std::optional<QString> path = window.chooseFile(FileDialog::SaveGpsLog);
    if (!path) {
        return false;
    }
    Outcome outcome;
    {
        CommandButtonsDisabled disabled(window);
        outcome = downloadGpsMemory(s.link, window.sink(), *path, s.gps);
    }
    window.showBoxes(outcome.boxes);
    return outcome.ok;
}

void Button_erase_memoryClick(MainWindow& window, DeviceSession& s) {
    Outcome outcome;
    {
        CommandButtonsDisabled disabled(window);
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
