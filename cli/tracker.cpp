#include "cli/tracker.h"

#include "cli/cli_sink.h"
#include "cli/command.h"
#include "device/hidapi_transport.h"
#include "sim/simulated_fault.h"
#include "sim/simulated_tracker.h"

namespace {

// A simulated tracker finishes its erase at this poll, so that a simulated run shows the
// waiting line without taking seconds.
constexpr int kSimulatedErasePolls = 2;
// ... and the pause between polls is this many times shorter than on a real tracker.
constexpr int kSimulatedSleepDivisor = 20;

// What the tool tells its user to check when the tracker is missing or cannot be opened.
OpenHints commandLineOpenHints() {
    return {
        QStringLiteral(
            "Is the tracker plugged in? \"veltromark-cli list\" shows what the system sees."),
        QStringLiteral("The udev rule 70-veltromark.rules gives you access to the tracker: the "
                       "package installs it; otherwise copy it to /etc/udev/rules.d/, run \"sudo "
                       "udevadm control --reload-rules\", then unplug the tracker and plug it in "
                       "again."),
        QStringLiteral("Close the other program that has the tracker open, then try again."),
        QStringLiteral("Unplug the tracker, plug it in again and try again."),
    };
}

}  // namespace

Wording commandLineWording() {
    return {
        QStringLiteral("with \"veltromark-cli write-config\""),
        QStringLiteral("with \"veltromark-cli upload-firmware FILE.bin\""),
        QStringLiteral("with \"veltromark-cli read-gps\""),
        QStringLiteral("This build carries no firmware image; give the image's file: "
                       "\"veltromark-cli upload-firmware FILE.bin\"."),
        QStringLiteral("Cannot create the GPS log"),
        QStringLiteral("nothing was downloaded."),
    };
}

Tracker::Tracker(Invocation& in) {
    if (in.simulate || in.fault) {
        auto sim = std::make_unique<SimulatedTracker>();
        sim->setErasePollsUntilDone(kSimulatedErasePolls);
        in.sink.setSleepDivisor(kSimulatedSleepDivisor);
        if (in.fault) {
            injectSimulatedFault(*sim, *in.fault);
        }
        transport_ = std::move(sim);
    } else {
        transport_ = std::make_unique<HidapiTransport>();
    }
    link_ = std::make_unique<DeviceLink>(*transport_, commandLineOpenHints());
    link_->chooser().choosePath(in.device.toStdString());
}
