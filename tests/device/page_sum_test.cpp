#include <gtest/gtest.h>

#include "device/protocol.h"

namespace {

PageData filled(std::uint8_t value) {
    PageData page;
    page.fill(value);
    return page;
}

PageData counting() {
    PageData page;
    for (std::size_t i = 0; i < page.size(); ++i) {
        page[i] = static_cast<std::uint8_t>(i + 1);
    }
    return page;
}

TEST(PageSum, AddsTheBytesAsUnsignedValues) {
    PageData high{};
    high[0] = 0x80;
    high[31] = 0x80;
    const struct {
        const char* name;
        PageData page;
        std::uint16_t sum;
    } cases[] = {
        {"zeros", filled(0x00), 0},
        {"all 0xFF", filled(0xFF), 8160},
        {"1 to 32", counting(), 528},
        {"two bytes with the top bit set", high, 256},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pageSum(c.page), c.sum) << c.name;
    }
}

TEST(ReportFields, AreLittleEndian) {
    Report report{};
    writeU16(report, 2, 0x1234);
    writeU32(report, 36, 0x89ABCDEF);
    EXPECT_EQ(report[2], 0x34);
    EXPECT_EQ(report[3], 0x12);
    EXPECT_EQ(report[36], 0xEF);
    EXPECT_EQ(report[39], 0x89);
    EXPECT_EQ(readU16(report, 2), 0x1234);
    EXPECT_EQ(readU32(report, 36), 0x89ABCDEFu);
}

}  // namespace
