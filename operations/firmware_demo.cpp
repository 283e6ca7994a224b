#include <cstdint>

#include "operations/firmware_resource.h"

QByteArray demoFirmware() {
    // A fixed linear congruential sequence: the same bytes in every build and run.
    QByteArray image(45056, '\0');
    std::uint32_t state = 0x56454C54;  // "VELT"
    for (char& byte : image) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return image;
}
