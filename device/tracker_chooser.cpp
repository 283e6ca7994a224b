#include "device/tracker_chooser.h"

#include <algorithm>

std::vector<HidDeviceInfo> TrackerChooser::trackers() const {
    return transport_.describe(kTrackerVendorId, kTrackerProductId);
}

std::optional<std::string> TrackerChooser::pathToOpen() const {
    const std::vector<std::string> paths =
        transport_.enumerate(kTrackerVendorId, kTrackerProductId);
    // The first tracker in enumeration order is the one used, unless another one was chosen;
    // the others are left alone.
    const auto chosen =
        chosenPath_.empty() ? paths.begin() : std::find(paths.begin(), paths.end(), chosenPath_);
    if (chosen == paths.end()) {
        return std::nullopt;
    }
    return *chosen;
}

std::string TrackerChooser::serialNumber() const {
    for (const HidDeviceInfo& device : trackers()) {
        if (chosenPath_.empty() || device.path == chosenPath_) {
            return device.serialNumber;
        }
    }
    return {};
}
