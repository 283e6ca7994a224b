#pragma once

#include <cstdint>
#include <span>

#include "aprs/beacon_packets.h"

// What the beacon texts' placeholders are shown with: the present time, and the position, time
// and date of the last record in `gpsMemory` (a download or a dump of the GPS memory) when it
// holds any.
SampleValues sampleValues(std::span<const std::uint8_t> gpsMemory);
