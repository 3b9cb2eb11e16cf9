// The text, number and date functions of the common layer on the cases of cases/functions.tsv (the
// function, its arguments and what it must give), and VB's Format on every kind of value: the cases
// of cases/format.tsv (the value's kind and text, the format, the text it must give) and formats
// too long for a table.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <system_error>

#include "common/cp1252_case.h"
#include "common/data_path.h"
#include "common/text_helpers.h"
#include "common/utf8.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"
#include "common/vb_format.h"
#include "common/vb_parse.h"
#include "support/cases.h"

namespace norvik {
namespace {

// What the function of a case gives as text; numbers are compared apart, as doubles.
std::string Result(const test::CaseRow& c) {
    const std::string& f = c[0];
    if (f == "GetField") return GetField(std::stoi(c[1]), c[2], c[3], "\"");
    if (f == "ToText") return ToText(test::CaseValue(c[1], c[2]));
    if (f == "DataFolder") return DataFolder(c[1]);
    if (f == "ReplaceDataPath") return ReplaceDataPath(c[1], c[2]);
    if (f == "ReplaceText") return ReplaceText(c[1], c[2], c[3]);
    if (f == "BaseName") return BaseName(c[1]);
    if (f == "CharCount") return std::to_string(CharCount(c[1]));
    if (f == "LeftChars") return std::string(LeftChars(c[1], std::stoul(c[2])));
    if (f == "RightChars") return std::string(RightChars(c[1], std::stoul(c[2])));
    if (f == "ByteOffsetOfChar") return std::to_string(ByteOffsetOfChar(c[1], std::stoul(c[2])));
    if (f == "UpperCase") return UpperCase(c[1]);
    if (f == "LowerCase") return LowerCase(c[1]);
    if (f == "EqualsIgnoreCase") return EqualsIgnoreCase(c[1], c[2]) ? "1" : "0";
    if (f == "DecodeUtf8") {
        const Utf8Char got = DecodeUtf8(c[1], 0);
        return std::to_string(static_cast<uint32_t>(got.codePoint)) + "|" +
               std::to_string(got.length) + "|" + (got.malformed ? "1" : "0");
    }
    if (f == "RoundToLong" || f == "RoundToInteger") {
        try {
            return std::to_string(f == "RoundToLong" ? RoundToLong(std::stod(c[1]))
                                                     : RoundToInteger(std::stod(c[1])));
        } catch (const VbError& e) {
            return "error " + std::to_string(e.Number());
        }
    }
    if (f == "ToOleDate")
        return fmt::format("{}", std::get<DateTime>(test::CaseValue("date", c[1])).ToOleDate());
    if (f == "FromOleDate")
        return test::DescribeValue(DateTime::FromOleDate(std::stod(c[1]))).substr(5);
    if (f == "IsValid")
        return std::get<DateTime>(test::CaseValue("date", c[1])).IsValid() ? "1" : "0";
    if (f == "AppendUtf8") {
        // The bytes of a character, and whether they decode back to it, whole.
        std::string text;
        AppendUtf8(text, static_cast<char32_t>(std::stoul(c[1])));
        const Utf8Char back = DecodeUtf8(text, 0);
        return back.codePoint == static_cast<char32_t>(std::stoul(c[1])) &&
                       back.length == text.size()
                   ? text
                   : "decodes otherwise";
    }
    if (f == "ToVbError") {
        // A failure of a kind ("vb", "file", "memory", "other") with its text, as the caller sees
        // it.
        try {
            if (c[1] == "vb") throw VbError(kErrPathNotFound, c[2]);
            if (c[1] == "file")
                throw std::filesystem::filesystem_error(
                    "open", c[2], std::error_code(ENOENT, std::generic_category()));
            if (c[1] == "memory") throw std::bad_alloc();
            throw std::runtime_error(c[2]);
        } catch (const std::exception& e) {
            const VbError error = ToVbError(e);
            return std::to_string(error.Number()) + " " + error.Description();
        }
    }
    if (f == "ParseGermanDate") {
        const auto date = ParseGermanDate(c[1]);
        if (date.has_value() != IsGermanDate(c[1])) return "Is and Parse disagree";
        return date ? test::DescribeValue(*date).substr(5) : "-";
    }
    ADD_FAILURE() << c.where << ": no function " << f;
    return "";
}

TEST(CommonFunctions, GiveWhatTheTableSays) {
    for (const test::CaseRow& c : test::ReadCases("common/cases/functions.tsv")) {
        const std::string& f = c[0];
        if (f == "ToNumber") {
            EXPECT_DOUBLE_EQ(ToNumber(test::CaseValue(c[1], c[2])),
                             std::strtod(c[3].c_str(), nullptr))
                << c.where;
        } else if (f == "ParseGermanNumber") {
            const auto number = ParseGermanNumber(c[1]);
            EXPECT_EQ(number.has_value(), c[2] != "-") << c.where;
            EXPECT_EQ(IsGermanNumber(c[1]), c[2] != "-") << c.where;
            if (number && c[2] != "-") {
                EXPECT_DOUBLE_EQ(*number, std::strtod(c[2].c_str(), nullptr)) << c.where;
            }
        } else {
            EXPECT_EQ(Result(c), c.fields.back()) << c.where;
        }
    }
}

TEST(CommonFunctions, ReplaceTextStopsASelfFeedingReplacement) {
    // The first replacement that would start above 1 MiB is not made.
    const std::string grown = ReplaceText(std::string(40, 'a') + "b", "ab", "bbaa");
    EXPECT_EQ(grown.size(), (size_t{1} << 20) + 1);
    EXPECT_EQ(std::count(grown.begin(), grown.end(), 'b'), 524269);
}

TEST(VbFormat, GivesTheTextOfEveryCase) {
    const auto cases = test::ReadCases("common/cases/format.tsv");
    EXPECT_GE(cases.size(), 500u);
    for (const test::CaseRow& c : cases)
        EXPECT_EQ(Format(test::CaseValue(c[0], c[1]), test::Repeated(c[2])), test::Repeated(c[3]))
            << c.where;
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
