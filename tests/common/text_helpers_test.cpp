#include "common/text_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/vb_convert.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

struct GetFieldCase {
    int index;
    const char* text;
    const char* separator;
    const char* expected;
};

TEST(GetField, TakesFieldsQuotesAndNumbersApart) {
    const GetFieldCase cases[] = {
        {2, "X;\"A;B\";Z", ";", "A;B"},  // separator inside quotes kept, quotes dropped
        {0, "X;\"A;B\";Z", ";", "3"},    // field count
        {1, "007", ",", "7"},            // unquoted number normalised
        {1, "\"007\"", ",", "007"},      // quoted text kept as written
        {1, "1,50", ";", "1,5"},         // comma as decimal point
        {1, "\"1,50\"", ";", "1,50"},
        {5, "a;b;c", ";", ""},  // past the last field
        {1, "", ";", ""},
        {0, "", ";", "0"},
        {3, "a,,c", ",", "c"},
        {2, "a,,c", ",", ""},
        {1, "\"\"", ",", ""},        // two quotes: an empty constant
        {1, "A\"\"B", ",", "AB"},    // doubled quotes yield nothing
        {2, "x, T ,y", ",", " T "},  // blanks of a text field stay
        {2, "x, 12 ,y", ",", "12"},  // a blank-padded number is a number
        {1, "-0,25", ";", "-0,25"},
        {1, "1e3", ";", "1000"},
        {1, "12345678901234567890", ";", "1,23456789012346E+19"},
        {1, "Müller;Jörg", ";", "Müller"},
        {2, "a§b", "§", "b"},              // a separator of two bytes
        {1, "1.234,56", ";", "1.234,56"},  // not a number once commas are points
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetField(c.index, c.text, c.separator, "\""), c.expected)
            << c.index << " of " << c.text;
}

TEST(ToNumber, ReadsGermanNumbers) {
    const std::pair<Value, double> cases[] = {
        {std::string("1.234,56"), 1234.56},
        {std::string("12"), 12},
        {Null{}, 0},
        {std::string("abc"), 0},
        {std::string("-3,5x"), -3.5},
        {std::string(" 1 2 "), 12},
        {int64_t{42}, 42},
        {2.5, 2.5},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_DOUBLE_EQ(ToNumber(value), expected) << ToText(value);
}

TEST(ReplaceText, ReplacesUntilNoneIsLeft) {
    EXPECT_EQ(ReplaceText("abb", "ab", "a"), "a");
    EXPECT_EQ(ReplaceText("abb", "ab", "xab"), "abb");  // replacement holds the search text
    EXPECT_EQ(ReplaceText("a.b.c", ".", ""), "abc");
    EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceText("1.234,56", ",", "."), "1.234.56");
    EXPECT_EQ(ReplaceText("%DataPath%\\k.txt", "%DataPath%", "/srv/daten"), "/srv/daten\\k.txt");
    // The leftmost match goes first, also where matches overlap or a replacement makes a new one.
    EXPECT_EQ(ReplaceText("aaabb", "ab", "ba"), "bbaaa");
    EXPECT_EQ(ReplaceText("xaaaby", "aab", "a"), "xaay");
    EXPECT_EQ(ReplaceText("abababab", "aba", "c"), "cbcb");
    EXPECT_EQ(ReplaceText("aabb", "ab", "a"), "aa");
    // A self-feeding replacement stops at a bound instead of exhausting memory: the first
    // replacement that would start above 1 MiB is not made.
    const std::string grown = ReplaceText(std::string(40, 'a') + "b", "ab", "bbaa");
    EXPECT_EQ(grown.size(), (size_t{1} << 20) + 1);
    EXPECT_EQ(std::count(grown.begin(), grown.end(), 'b'), 524269);
}

TEST(BaseName, CutsFolderAndEverythingFromTheFirstPoint) {
    EXPECT_EQ(BaseName("C:\\Vorlagen\\Kunden.neu.EXP"), "Kunden");
    EXPECT_EQ(BaseName("/srv/export/KUNDEN.EXP"), "KUNDEN");
    EXPECT_EQ(BaseName("D:Kunden.EXP"), "Kunden");
    EXPECT_EQ(BaseName("ohne"), "ohne");
    EXPECT_EQ(BaseName(""), "");
}

TEST(Rounding, GoesToTheEvenNeighbourAndRaisesOnOverflow) {
    EXPECT_EQ(RoundToLong(2.5), 2);
    EXPECT_EQ(RoundToLong(3.5), 4);
    EXPECT_EQ(RoundToLong(-2.5), -2);
    EXPECT_EQ(RoundToInteger(33.5), 34);
    try {
        RoundToLong(1e12);
        FAIL() << "no overflow";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), kErrOverflow);
    }
}

TEST(ValueText, WritesTheClassicGermanForms) {
    const std::pair<Value, const char*> cases[] = {
        {Null{}, ""},
        {int64_t{-42}, "-42"},
        {1234.56, "1234,56"},
        {0.1 + 0.2, "0,3"},
        {1e15, "1E+15"},
        {123456789012345.0, "123456789012345"},
        {0.0001, "0,0001"},
        {0.00001, "1E-05"},
        {-0.0, "0"},
        {Decimal{"-1234.500"}, "-1234,5"},
        {Decimal{"12.00"}, "12"},
        {std::string("Müller"), "Müller"},
        {DateTime{2004, 12, 31, 0, 0, 0}, "31.12.2004"},
        {DateTime{2004, 12, 31, 13, 45, 0}, "31.12.2004 13:45:00"},
        {DateTime{1899, 12, 30, 8, 5, 9}, "08:05:09"},
        {DateTime{1899, 12, 30, 0, 0, 0}, "00:00:00"},
        {true, "Wahr"},
        {false, "Falsch"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(ToText(value), expected);
}

TEST(DateTime, ConvertsToAndFromOleDates) {
    EXPECT_DOUBLE_EQ((DateTime{1899, 12, 30, 0, 0, 0}.ToOleDate()), 0.0);
    EXPECT_DOUBLE_EQ((DateTime{2004, 12, 31, 12, 0, 0}.ToOleDate()), 38352.5);
    EXPECT_EQ(DateTime::FromOleDate(38352.5), (DateTime{2004, 12, 31, 12, 0, 0}));
    EXPECT_EQ(DateTime::FromOleDate(-1.25), (DateTime{1899, 12, 29, 6, 0, 0}));
    EXPECT_TRUE((DateTime{2024, 2, 29}.IsValid()));
    EXPECT_FALSE((DateTime{2023, 2, 29}.IsValid()));
}

}  // namespace
}  // namespace norvik
