#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class DeviceLink;
class Host;

#include "device/gps_record.h"

// The image of the tracker's 512 KiB GPS memory, 16,384 pages of 32 bytes.
using GpsBuffer = std::vector<std::uint8_t>;

// GPS memory "Read": asks for a log file, downloads the whole GPS memory and writes every
// valid record to the file as a $GPRMC and a $GPGGA line. The file is written beside the
// target and replaces it only once the log is complete, so an existing file survives a missing
// device or a failure. A download that stops on a failing page still writes the records read
// until then, and says that the read was incomplete. True only when the whole memory was read
// and the log written; `buffer` then holds the whole memory.
bool Button_read_memoryClick(Host& host, DeviceLink& link, GpsBuffer& buffer);

// Reads all pages into `buffer` (resized to the memory size); false when a page failed.
bool ReadGpsMemory(Host& host, DeviceLink& link, GpsBuffer& buffer);

// GPS memory "Erase": starts the erase and waits for the tracker to finish it. True when the
// tracker reported the erase complete.
bool Button_erase_memoryClick(Host& host, DeviceLink& link);

// Polls the erase status up to 20 times, a second apart; true once the tracker reports done.
bool WaitGpsErase(Host& host, DeviceLink& link);
