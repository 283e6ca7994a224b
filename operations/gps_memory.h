#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include <QString>

#include "gps/gps_record.h"
#include "settings/outcome.h"
#include "settings/wording.h"

class DeviceLink;
class OutputFile;
class ProgressSink;

// The image of the tracker's 512 KiB GPS memory, 16,384 pages of 32 bytes.
using GpsBuffer = std::vector<std::uint8_t>;

// Further files made from a complete download (a dump, a track), put in place together with
// the log: each is written into an OutputFile that the function appends to `outputs`. False
// when one of them could not be written (after saying why); then no file is replaced.
using GpsExtraOutputs =
    std::function<bool(const GpsBuffer& memory, std::vector<OutputFile*>& outputs)>;

// Downloads the whole GPS memory and writes every valid record to the log at `path` as a
// $GPRMC and a $GPGGA line. The log is written beside the target and replaces it only once
// every byte of it is on disk, so an existing file survives a missing device or a full disk
// ("Cannot write <path>: <reason>", as the command line words it); a log that cannot be
// created at all is refused with a box before the tracker is contacted, whose second line names
// the file and the reason.
// A download that stops on a failing page (a tracker that cannot be opened fails at page 1)
// says that the read was incomplete; the records read until then go to a new file, but an
// existing log is left as it was ("Existing log left as it was: <path>."), since the tracker
// still holds the whole track. A download the sink stops between pages ("GPS memory download
// stopped before page 101/16384.") writes no file at all. Succeeds only when the whole memory
// was read and the log written; `buffer` then holds the whole memory.
Outcome downloadGpsMemory(DeviceLink& link, ProgressSink& sink, const Wording& words,
                          const QString& path, GpsBuffer& buffer,
                          const GpsExtraOutputs& extraOutputs = {});

// Reads all pages into `buffer` (resized to the memory size); false when a page failed.
bool readGpsMemory(DeviceLink& link, ProgressSink& sink, GpsBuffer& buffer);

// The question asked before the GPS memory is erased.
Question eraseQuestion(const Wording& words);

// Once the tracker is open, asks `confirm` (nothing is erased when it says no: "Erase
// cancelled.", nor when the sink asks to stop before the request is sent), starts the erase of the
// GPS memory and waits for the tracker to finish it, polling up to 20 times a second apart. The
// sink may stop the wait after any pause; the line then says that the tracker may still be erasing.
// Succeeds when the tracker reported the erase complete.
Outcome eraseGpsMemory(DeviceLink& link, ProgressSink& sink, const Wording& words,
                       const Confirm& confirm);
