// Texts of the database layer on the cases of cases/functions.tsv: the function, its arguments and
// what it must give.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

#include "backend_fixture.h"
#include "db/decimal_text.h"
#include "db/secret_text.h"
#include "db/statement_rewrite.h"
#include "support/cases.h"

namespace norvik::db::test {
namespace {

// What the function of a case gives, as the table writes it.
std::string Result(const ::norvik::test::CaseRow& c) {
    const std::string& f = c[0];
    if (f == "RedactSecrets") return c[2].empty() ? RedactSecrets(c[1]) : RedactSecrets(c[1], c[2]);
    if (f == "ParseWholeNumber") {
        int64_t value = -1;
        return ParseWholeNumber(c[1], value) ? std::to_string(value) : "-";
    }
    if (f == "SplitStatements") {
        // The statements, each ended by "¦".
        std::string out;
        for (const std::string_view s : SplitStatements(c[1], c[2] == "mysql"))
            out += std::string(s) + "¦";
        return out;
    }
    if (f == "WithoutComments") return WithoutComments(c[1]);
    if (f == "Open") {
        const std::string error = RaisedBy([&] { Connection::Open(c[1]); });
        if (error.empty() || error.find("heim") != std::string::npos ||
            error.find("Zq7") != std::string::npos)
            return error + " (a password shows or nothing failed)";
        return ::norvik::test::Matches(error, c[2]) ? c[2] : error;
    }
    ADD_FAILURE() << c.where << ": no function " << f;
    return "";
}

TEST(DbFunctions, GiveWhatTheTableSays) {
    for (const ::norvik::test::CaseRow& c : ::norvik::test::ReadCases("db/cases/functions.tsv"))
        EXPECT_EQ(Result(c), c.fields.back()) << c.where;
}

// The shortest text in fixed notation that reads back as the same double.
std::string ShortestFixed(double value) {
    char text[400];
    const auto res = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, res.ptr);
}

TEST(DbFunctions, DecimalTextIsTheShortestThatReadsBackAsTheSameDouble) {
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
}  // namespace norvik::db::test
