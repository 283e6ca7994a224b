#include "app/device_commands.h"

#include "app/main_window.h"
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
    window.setCommand(CommandButton::ReadMemory,
                      [&s](Form&, Host& host) { Button_read_memoryClick(host, s.link, s.gps); });
    window.setCommand(CommandButton::EraseMemory,
                      [&s](Form&, Host& host) { Button_erase_memoryClick(host, s.link); });
}
