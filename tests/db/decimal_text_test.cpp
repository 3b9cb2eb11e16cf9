#include "db/decimal_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace norvik::db {
namespace {

TEST(ParseWholeNumberTest, ReadsExactlyWhatFromCharsReads) {
    struct Case {
        std::string text;
        std::optional<int64_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"-0", 0},
        {"42", 42},
        {"-7", -7},
        {"000123", 123},
        {"999999999999999999", 999999999999999999},  // the longest read without from_chars
        {"-9223372036854775808", INT64_MIN},         // longer: from_chars, still exact
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", std::nullopt},  // one past the largest
        {"", std::nullopt},
        {"-", std::nullopt},
        {"+5", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"1.5", std::nullopt},
        {"12a", std::nullopt},
        {"1e3", std::nullopt},
    };
    for (const Case& c : cases) {
        int64_t value = -1;
        EXPECT_EQ(ParseWholeNumber(c.text, value), c.value.has_value()) << c.text;
        if (c.value) {
            EXPECT_EQ(value, *c.value) << c.text;
        }
    }
}

// The shortest text in fixed notation that reads back as the same double.
std::string ShortestFixed(double value) {
    char text[400];
    const auto res = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, res.ptr);
}

TEST(DecimalTextOfTest, WritesTheShortestTextThatReadsBackAsTheSameDouble) {
    std::vector<double> values = {0.29,      0.1 + 0.2,   1.005,   999999999.99, 1e9,
                                  1e9 + 0.5, 1e15 + 0.25, 123.456, -0.001,       5e-324,
                                  0.015,     -42.1,       1.0 / 3, 2.675};
    for (int64_t cents = -200000; cents <= 200000; cents += 7) values.push_back(cents / 100.0);
    for (int64_t cents = 99999990000; cents < 99999990100; ++cents) values.push_back(cents / 100.0);
    for (const double value : values) {
        NumberText text;
        ASSERT_TRUE(DecimalTextOf(value, text)) << value;
        EXPECT_EQ(text.View(), ShortestFixed(value)) << value;
    }
    NumberText text;
    ASSERT_TRUE(DecimalTextOf(-0.0, text));
    EXPECT_EQ(text.View(), "0");
    EXPECT_FALSE(DecimalTextOf(std::nan(""), text));
    EXPECT_FALSE(DecimalTextOf(-HUGE_VAL, text));
}

}  // namespace
}  // namespace norvik::db
