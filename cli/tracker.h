#pragma once

#include <memory>

#include "device/device_link.h"
#include "device/hid_transport.h"
#include "settings/wording.h"

struct Invocation;

// What the operations' messages call the tool's commands.
Wording commandLineWording();

// The tracker at --device, else the first tracker found, or a simulated one, misbehaving
// when asked to. A stop signal meanwhile asks the operation to stop (see StopSignals).
class Tracker {
  public:
    explicit Tracker(Invocation& in);
    DeviceLink& link() { return *link_; }
    HidTransport& transport() { return *transport_; }

  private:
    std::unique_ptr<HidTransport> transport_;
    std::unique_ptr<DeviceLink> link_;
};
