#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class DeviceLink;
class Host;
class OutputFile;

#include "device/gps_record.h"

// The image of the tracker's 512 KiB GPS memory, 16,384 pages of 32 bytes.
using GpsBuffer = std::vector<std::uint8_t>;

// Further files made from a complete download (a dump, a track), put in place together with
// the log: each is written into an OutputFile that the function appends to `outputs`. False
// when one of them could not be written (after saying why); then no file is replaced.
using GpsExtraOutputs =
    std::function<bool(const GpsBuffer& memory, std::vector<OutputFile*>& outputs)>;

// GPS memory "Read": asks for a log file, downloads the whole GPS memory and writes every
// valid record to the file as a $GPRMC and a $GPGGA line. The file is written beside the
// target and replaces it only once every byte of the log is on disk, so an existing file
// survives a missing device or a full disk ("Tracker GPS memory log not written: <path>:
// <reason>.").
// A download that stops on a failing page (a tracker that cannot be opened fails at page 1)
// says that the read was incomplete; the records read until then go to a new file, but an
// existing log is left as it was ("Existing log left as it was: <path>."), since the tracker
// still holds the whole track. True only when the whole memory was read and the log written;
// `buffer` then holds the whole memory.
bool Button_read_memoryClick(Host& host, DeviceLink& link, GpsBuffer& buffer,
                             const GpsExtraOutputs& extraOutputs = {});

// Reads all pages into `buffer` (resized to the memory size); false when a page failed.
bool ReadGpsMemory(Host& host, DeviceLink& link, GpsBuffer& buffer);

// GPS memory "Erase": starts the erase and waits for the tracker to finish it. True when the
// tracker reported the erase complete.
bool Button_erase_memoryClick(Host& host, DeviceLink& link);

// Polls the erase status up to 20 times, a second apart; true once the tracker reports done.
bool WaitGpsErase(Host& host, DeviceLink& link);
