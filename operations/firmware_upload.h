#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class DeviceLink;
class Host;

// The largest firmware image the program can send: 3,520 pages of 32 bytes.
inline constexpr std::size_t kFirmwareBufferSize = 112640;
using FirmwareBuffer = std::array<std::uint8_t, kFirmwareBufferSize>;

// "Upload firmware": sends the firmware image the program carries (Host::firmwareImage) to
// the tracker page by page, with the command buttons disabled while pages go out. True when
// every page was sent.
bool Button_upload_firmwareClick(Host& host, DeviceLink& link, FirmwareBuffer& buffer);

// Loads the image into `buffer` and sends it; reports its own outcome, and returns true when
// every page was sent.
bool UploadFirmware(Host& host, DeviceLink& link, FirmwareBuffer& buffer);
