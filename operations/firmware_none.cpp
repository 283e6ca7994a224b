#include "operations/firmware_resource.h"

// This build carries no firmware image (configure with -DVELTROMARK_FIRMWARE=... to embed one).
std::optional<QByteArray> embeddedFirmware() {
    return std::nullopt;
}
