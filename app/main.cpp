#include <QApplication>

#include "app/beacon_preview.h"
#include "app/device_commands.h"
#include "app/main_window.h"
#include "app/program_options.h"
#include "app/startup.h"
#include "device/hidapi_transport.h"
#include "operations/firmware_resource.h"

int main(int argc, char** argv) {
    if (const auto status = answerCommandLine(argc, argv, QStringLiteral("veltromark"))) {
        return *status;
    }
    chooseTextRenderer();
    QApplication application(argc, argv);
    HidapiTransport transport;
    DeviceSession session(transport);
    StartupOptions options;
    options.prepare = [&session](MainWindow& window) {
        attachCommands(window, session);
        session.firmwareSource = embeddedFirmware;
        window.beaconPreview()->setGpsMemory(&session.gps);
    };
    return runApplication(std::move(options));
}
