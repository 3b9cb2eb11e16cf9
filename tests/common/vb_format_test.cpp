// Format as a whole: the empty format, the parsed form reused, odd and hostile format texts.

#include "common/vb_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/vb_convert.h"
#include "format_cases.h"

namespace norvik {
namespace {

using test::Check;
using test::Text;

TEST(VbFormat, EmptyFormatGivesTheValueText) {
    Check({
        {1234.5, "", "1234,5"},
        {DateTime{2004, 12, 31, 13, 45, 0}, "", "31.12.2004 13:45:00"},
        {true, "", "Wahr"},
        {Null{}, "", ""},
        {Text("1.234,50"), "", "1.234,50"},
        {Decimal{"1.50"}, "", "1,5"},
        {int64_t{-7}, "", "-7"},
        {1e-7, "", "1E-07"},
    });
}

TEST(VbFormat, OnlySeparatorsAndLiterals) {
    Check({
        {5.0, ";", "5"},
        {-5.0, ";", "-5"},
        {0.0, ";;", "0"},
        {Text("abc"), ";;;", "abc"},
        {Null{}, ";;;", ""},
        {Text("1,5"), ";", "1,5"},
        {DateTime{2004, 12, 31, 0, 0, 0}, ";", "31.12.2004"},
        {5.0, "\"x\"", "x"},
        {-5.0, "\"x\"", "-x"},
        {-5.0, "\"x\";", "-x"},
        {Text("abc"), "\"x\"", "abc"},
        {5.0, "\\", ""},
        {5.0, "\"", ""},
        {5.0, "\"abc", "abc"},
        {5.0, " ", " "},
        {5.0, std::string("\0", 1), std::string("\0", 1)},
    });
}

TEST(VbFormat, LongAndHostileFormats) {
    Check({
        {1.0, std::string(10000, '0'), std::string(9999, '0') + "1"},
        {1.0, std::string(10000, '#'), "1"},
        {1.0, "0." + std::string(9998, '#'), "1,"},
        {5.0, std::string(10000, ';'), "5"},
        {5.0, std::string(10000, '"'), ""},
        {5.0, std::string(10000, '\\'), std::string(5000, '\\')},
        {Text("ab"), std::string(10000, '@'), std::string(9998, ' ') + "ab"},
        {DateTime{2004, 12, 31, 0, 0, 0}, std::string(600, 'd'),
         [] {
             std::string s;
             for (int i = 0; i < 100; ++i) s += "Freitag, 31. Dezember 2004";
             return s;
         }()},
        {0.5, std::string(20, '%'), "5" + std::string(39, '0') + std::string(20, '%')},
        {1e300, "0" + std::string(100, ','), "1"},
        {1e300, "0" + std::string(200, ','), "0"},
        {5.0, "\xC3\x28\xA0\xA1", "\xC3\x28\xA0\xA1"},
    });
}

TEST(VbFormat, ParsedFormatIsReusable) {
    const CompiledFormat money = CompiledFormat::Parse("#,##0.00;(#,##0.00);\"-\";\"?\"");
    std::string out = "[";
    money.Apply(1234.5, out);
    out += "|";
    money.Apply(-0.5, out);
    out += "|";
    money.Apply(int64_t{0}, out);
    out += "|";
    money.Apply(Null{}, out);
    out += "|";
    money.Apply(std::string("9.876,5"), out);
    out += "|";
    money.Apply(std::string("n/a"), out);
    out += "]";
    EXPECT_EQ(out, "[1.234,50|(0,50)|-|?|9.876,50|n/a]");
    EXPECT_EQ(money.Apply(7.0), "7,00");
    EXPECT_EQ(CompiledFormat::Parse("").Apply(2.5), "2,5");
    EXPECT_EQ(CompiledFormat::Parse("Long Date").Apply(DateTime{2005, 3, 1, 0, 0, 0}),
              "Dienstag, 1. M\xC3\xA4rz 2005");
}

TEST(VbFormat, FirstCodeDecidesTheKind) {
    Check({
        {5.0, "0 d", "5 d"},
        {5.0, "d 0", "4 0"},
        {5.0, "@ d", "5 d"},
        {Text("x"), "0 @", "x"},
        {38352.0, "yyyy \"#\"0", "2004 #0"},
        {Text("abc"), "mm", "abc"},
        {Text("31.12.2004"), "@", "31.12.2004"},
        {5.0, "!0", "!5"},
        {5.0, "<", "5"},
    });
}

}  // namespace
}  // namespace norvik
