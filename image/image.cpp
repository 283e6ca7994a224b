#include "image/image.h"

#include <algorithm>
#include <numeric>

#include "image/layout.h"

std::uint32_t imageChecksum(const ConfigImage& image) {
    // At most 1,260 × 255 = 321,300: no overflow.
    return std::accumulate(image.begin() + kStampOffset, image.begin() + kImageFieldsEnd,
                           std::uint32_t{0});
}

bool CheckImage(const ConfigImage& image) {
    return readU32(image, kChecksumOffset) == imageChecksum(image) &&
           std::equal(kEndMarker.begin(), kEndMarker.end(), image.begin() + kEndMarkerOffset);
}
