#pragma once

#include <QByteArray>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "settings/outcome.h"
#include "settings/wording.h"

class DeviceLink;
class ProgressSink;

// The largest firmware image the program can send: 3,520 pages of 32 bytes.
inline constexpr std::size_t kFirmwareBufferSize = 112640;
using FirmwareBuffer = std::array<std::uint8_t, kFirmwareBufferSize>;

// The question asked before an image of `imageSize` bytes is uploaded.
Question firmwareQuestion(std::size_t imageSize);

// Sends the firmware `image` to the tracker page by page through `buffer`, letting window
// events run between pages; an image of nothing (the program carries none) or one too long for
// the buffer is refused with a box once the tracker is open. Before the first page `confirm`
// is asked; nothing is sent when it says no ("Firmware upload cancelled.") or when the sink asks
// to stop before the first page. Once begun, the upload is never stopped. An upload that
// stops part way says that the tracker holds partial firmware. Succeeds when every page was
// sent.
Outcome uploadFirmware(DeviceLink& link, ProgressSink& sink, const Wording& words,
                       const std::optional<QByteArray>& image, FirmwareBuffer& buffer,
                       const Confirm& confirm);
