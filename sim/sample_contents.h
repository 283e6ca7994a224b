#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gps/gps_record.h"
#include "image/image.h"

// What a simulated tracker holds when it comes out of the box: a configuration that a user has
// already edited, and a GPS memory with one recorded drive.

// A valid configuration image with believable settings that differ from the start-up
// defaults.
ConfigImage sampleConfigurationImage();

// The drive recorded in the sample GPS memory, in memory order.
std::vector<GpsRecord> sampleTrack();

// 512 KiB of GPS memory holding sampleTrack() from block 0 on, ten records per block, and
// erased (0xFF) everywhere else.
std::vector<std::uint8_t> sampleGpsMemory();
