#include "app/device_commands.h"

#include <QPushButton>

#include "app/main_window.h"
#include "app/track_view_window.h"
#include "configfile/config_file.h"
#include "operations/config_transfer.h"

void attachCommands(MainWindow& window, DeviceSession& s) {
    window.setCommand(CommandButton::ReadConfig, [&s](Form& form, Host& host) {
        Button_read_configClick(form, host, s.link, s.readImage);
    });
    window.setCommand(CommandButton::WriteConfig, [&s](Form& form, Host& host) {
        Button_write_configClick(form, host, s.link, s.writeImage);
    });
    window.setCommand(CommandButton::UploadFirmware, [&s](Form&, Host& host) {
        Button_upload_firmwareClick(host, s.link, s.firmware);
    });
    window.setCommand(CommandButton::SaveToFile, Button_save_to_fileClick);
    window.setCommand(CommandButton::ReadFromFile, Button_read_from_fileClick);
    // One track view for the window's life, shown again (with the last download) on demand.
    auto* view = new TrackViewWindow(window.dialogs(), window.programFolder(), s.gps, &window);
    const auto showTrack = [view] {
        view->showLastDownload();
        view->show();
        view->raise();
        view->activateWindow();
    };
    QObject::connect(window.trackButton(), &QPushButton::clicked, view, showTrack);
    window.setCommand(CommandButton::ReadMemory, [&s, &window, showTrack](Form&, Host& host) {
        if (!Button_read_memoryClick(host, s.link, s.gps)) {
            return;
        }
        // The download's own lines are on screen before the question.
        window.widgetHost().flush();
        if (window.dialogs().question(&window, QStringLiteral("Tracker GPS memory"),
                                      QStringLiteral("Show the track of the download?"))) {
            showTrack();
        }
    });
    window.setCommand(CommandButton::EraseMemory,
                      [&s](Form&, Host& host) { Button_erase_memoryClick(host, s.link); });
}
