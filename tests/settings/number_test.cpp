#include <gtest/gtest.h>

#include "settings/number.h"

TEST(WholeNumber, ParsesSignedDecimalsWithin32Bits) {
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"0", 0},
        {"0250", 250},
        {"-5", -5},
        {"+7", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"12a", std::nullopt},
        {"1.5", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"0x1F", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseWholeNumber(c.text), c.value) << c.text;
    }
}

TEST(WholeNumber, ConversionErrorNamesTheText) {
    try {
        toWholeNumber("12a");
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.message(), "'12a' is not a valid integer value.");
    }
    EXPECT_EQ(toWholeNumber("1000"), 1000);
}
