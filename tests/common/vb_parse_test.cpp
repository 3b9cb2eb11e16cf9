// Reading German number and date text.

#include "common/vb_parse.h"

#include <gtest/gtest.h>

#include <vector>

namespace norvik {
namespace {

TEST(VbParseNumber, ReadsGermanNumbers) {
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"1234,5", 1234.5},
        {"1.234,56", 1234.56},
        {"-12,5", -12.5},
        {"+7", 7},
        {" 42 ", 42},
        {"\t3\t", 3},
        {"1.234.567", 1234567},
        {"5555.5", 55555},
        {"5,555.5", 5.5555},
        {",5", 0.5},
        {"5,", 5},
        {"1,5E3", 1500},
        {"1,5e-3", 0.0015},
        {"2E+2", 200},
        {"(12,5)", -12.5},
        {"12-", -12},
        {"12+", 12},
        {"12 \xE2\x82\xAC", 12},
        {"\xE2\x82\xAC 12", 12},
        {"-\xE2\x82\xAC"
         "12",
         -12},
        {"0", 0},
        {"-0", 0},
        {"007", 7},
        {"-0,001", -0.001},
        {"123456789012345678", 123456789012345678.0},
    };
    for (const auto& c : cases) {
        const auto v = ParseGermanNumber(c.text);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*v, c.expected) << c.text;
        EXPECT_TRUE(IsGermanNumber(c.text)) << c.text;
    }
}

TEST(VbParseNumber, RejectsOtherText) {
    for (const char* text : {"",    " ",    "abc",          "12abc",  "1,2,3",
                             ".5",  "1E",   "1E+",          "--1",    "(12",
                             "12)", "1 2",  "\xE2\x82\xAC", "-",      "1e999",
                             "(-)", "12--", "0x10",         "1,5 kg", "31.12.2004 13:45"}) {
        EXPECT_FALSE(ParseGermanNumber(text).has_value()) << text;
        EXPECT_FALSE(IsGermanNumber(text)) << text;
    }
}

TEST(VbParseDate, ReadsGermanDatesAndTimes) {
    const struct {
        const char* text;
        DateTime expected;
    } cases[] = {
        {"31.12.2004", {2004, 12, 31, 0, 0, 0}},
        {"1.2.2003", {2003, 2, 1, 0, 0, 0}},
        {"31.12.04", {2004, 12, 31, 0, 0, 0}},
        {"1.1.29", {2029, 1, 1, 0, 0, 0}},
        {"1.1.30", {1930, 1, 1, 0, 0, 0}},
        {"1.1.0100", {100, 1, 1, 0, 0, 0}},
        {"2004-12-31", {2004, 12, 31, 0, 0, 0}},
        {"31/12/2004", {2004, 12, 31, 0, 0, 0}},
        {"31-12-2004", {2004, 12, 31, 0, 0, 0}},
        {"31. 12. 2004", {2004, 12, 31, 0, 0, 0}},
        {"29.02.2004", {2004, 2, 29, 0, 0, 0}},
        {"31.12.2004 13:45", {2004, 12, 31, 13, 45, 0}},
        {"31.12.2004 13:45:07", {2004, 12, 31, 13, 45, 7}},
        {" 31.12.2004  13:45:07 ", {2004, 12, 31, 13, 45, 7}},
        {"13:45", {1899, 12, 30, 13, 45, 0}},
        {"13:45:07", {1899, 12, 30, 13, 45, 7}},
        {"0:00", {1899, 12, 30, 0, 0, 0}},
        {"1:45 PM", {1899, 12, 30, 13, 45, 0}},
        {"12:00 am", {1899, 12, 30, 0, 0, 0}},
        {"12:30 PM", {1899, 12, 30, 12, 30, 0}},
        {"31. Dezember 2004", {2004, 12, 31, 0, 0, 0}},
        {"31. Dez 2004", {2004, 12, 31, 0, 0, 0}},
        {"31-Dez-04", {2004, 12, 31, 0, 0, 0}},
        {"1. M\xC3\xA4rz 2005", {2005, 3, 1, 0, 0, 0}},
        {"1. Mrz. 05", {2005, 3, 1, 0, 0, 0}},
        {"1. M\xC3\xA4r 05", {2005, 3, 1, 0, 0, 0}},
        {"1 M\xC3\x84RZ 2005", {2005, 3, 1, 0, 0, 0}},
        {"Freitag, 31. Dezember 2004", {2004, 12, 31, 0, 0, 0}},
        {"Fr 31.12.2004 08:00", {2004, 12, 31, 8, 0, 0}},
    };
    for (const auto& c : cases) {
        const auto v = ParseGermanDate(c.text);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_EQ(*v, c.expected) << c.text;
        EXPECT_TRUE(IsGermanDate(c.text)) << c.text;
    }
}

TEST(VbParseDate, RejectsOtherText) {
    for (const char* text : {"",
                             " ",
                             "abc",
                             "31.12",
                             "31.12.",
                             "31.02.2004",
                             "29.02.2005",
                             "32.1.2004",
                             "1.13.2004",
                             "0.1.2004",
                             "25:00",
                             "12:60",
                             "12:00:60",
                             "13:45 PM",
                             "31.12.2004x",
                             "1234",
                             "1,5",
                             "31.12.2004 13",
                             "1.1.0099",
                             "31.12-2004",
                             "31. Foo 2004",
                             "31.12.2004 13:45:07:01",
                             "13:45 31.12.2004",
                             "1.1.10000",
                             "123:45",
                             "1:2:3:4"}) {
        EXPECT_FALSE(ParseGermanDate(text).has_value()) << text;
        EXPECT_FALSE(IsGermanDate(text)) << text;
    }
}

}  // namespace
}  // namespace norvik
