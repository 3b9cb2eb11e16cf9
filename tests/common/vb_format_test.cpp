// VB's Format on every kind of value: the cases of cases/format.tsv (the value's kind and text, the
// format, the text it must give), and formats too long for a table.

#include "common/vb_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/vb_convert.h"
#include "support/cases.h"

namespace norvik {
namespace {

TEST(VbFormat, GivesTheTextOfEveryCase) {
    const auto cases = test::ReadCases("common/cases/format.tsv");
    EXPECT_GE(cases.size(), 500u);
    for (const test::CaseRow& c : cases)
        EXPECT_EQ(Format(test::CaseValue(c[0], c[1]), c[2]), c[3]) << c.where;
}

TEST(VbFormat, LongAndHostileFormats) {
    const DateTime friday{2004, 12, 31, 0, 0, 0};
    std::string longDate;
    for (int i = 0; i < 100; ++i) longDate += "Freitag, 31. Dezember 2004";
    const struct {
        Value value;
        std::string format;
        std::string expected;
    } cases[] = {
        {1.0, std::string(10000, '0'), std::string(9999, '0') + "1"},
        {1.0, std::string(10000, '#'), "1"},
        {1.0, "0." + std::string(9998, '#'), "1,"},
        {5.0, std::string(10000, ';'), "5"},
        {5.0, std::string(10000, '"'), ""},
        {5.0, std::string(10000, '\\'), std::string(5000, '\\')},
        {std::string("ab"), std::string(10000, '@'), std::string(9998, ' ') + "ab"},
        {friday, std::string(600, 'd'), longDate},
        {0.5, std::string(20, '%'), "5" + std::string(39, '0') + std::string(20, '%')},
        {1e300, "0" + std::string(100, ','), "1"},
        {1e300, "0" + std::string(200, ','), "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.value, c.format), c.expected) << c.format.substr(0, 20);
}

TEST(VbFormat, ParsedFormatIsReusable) {
    const CompiledFormat money = CompiledFormat::Parse("#,##0.00;(#,##0.00);\"-\";\"?\"");
    std::string out = "[";
    for (const Value& v : {Value(1234.5), Value(-0.5), Value(int64_t{0}), Value(Null{}),
                           Value(std::string("9.876,5")), Value(std::string("n/a"))}) {
        money.Apply(v, out);
        out += "|";
    }
    EXPECT_EQ(out, "[1.234,50|(0,50)|-|?|9.876,50|n/a|");
    EXPECT_EQ(money.Apply(7.0), "7,00");
    EXPECT_EQ(CompiledFormat::Parse("").Apply(2.5), "2,5");
    EXPECT_EQ(CompiledFormat::Parse("Long Date").Apply(DateTime{2005, 3, 1, 0, 0, 0}),
              "Dienstag, 1. M\xC3\xA4rz 2005");
}

}  // namespace
}  // namespace norvik
