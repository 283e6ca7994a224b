// The configurator wired to a simulated tracker instead of USB: every button works without a
// device, at about the pace of a real one. The firmware it uploads is a fixed test image that
// only ever reaches the simulation.
#include <QApplication>
#include <chrono>

#include "app/beacon_preview.h"
#include "app/device_commands.h"
#include "app/main_window.h"
#include "app/program_options.h"
#include "app/startup.h"
#include "operations/firmware_resource.h"
#include "sim/simulated_tracker.h"

int main(int argc, char** argv) {
    if (const auto status = answerCommandLine(argc, argv, QStringLiteral("veltromark-demo"))) {
        return *status;
    }
    chooseTextRenderer();
    QApplication application(argc, argv);
    SimulatedTracker tracker;
    tracker.setLatency(std::chrono::milliseconds(1));
    tracker.setWait(SimulatedTracker::realSleep());
    tracker.setErasePollsUntilDone(4);
    tracker.setRecording(false);
    DeviceSession session(tracker);
    session.simulated = true;
    StartupOptions options;
    options.prepare = [&session](MainWindow& window) {
        attachCommands(window, session);
        session.firmwareSource = demoFirmware;
        window.beaconPreview()->setGpsMemory(&session.gps);
    };
    return runApplication(std::move(options));
}
