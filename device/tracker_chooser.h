#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/hid_transport.h"

// Which tracker the program talks to: the trackers on the bus, and the one the device link
// opens, which is the first found in enumeration order unless a path was chosen. It only looks
// at what the bus reports; nothing is opened and nothing is sent to a tracker.
class TrackerChooser {
  public:
    explicit TrackerChooser(HidTransport& transport) : transport_(transport) {}

    // Every tracker present, in enumeration order, with its serial number and product text
    // where the transport knows them.
    std::vector<HidDeviceInfo> trackers() const;

    // Picks the tracker at `path` instead of the first one found; an empty path goes back to
    // the first. A path where no tracker is found counts as no tracker.
    void choosePath(std::string path) { chosenPath_ = std::move(path); }

    // The path of the tracker to open: the chosen one, or else the first found; nothing when
    // that tracker is not there.
    std::optional<std::string> pathToOpen() const;

    // The USB serial number of the tracker pathToOpen gives, empty when it has none or none is
    // found.
    std::string serialNumber() const;

  private:
    HidTransport& transport_;
    std::string chosenPath_;
};
