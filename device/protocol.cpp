#include "device/protocol.h"

std::uint16_t pageSum(std::span<const std::uint8_t, kPageSize> page) {
    std::uint16_t sum = 0;
    for (const std::uint8_t byte : page) {
        sum = static_cast<std::uint16_t>(sum + byte);
    }
    return sum;
}
