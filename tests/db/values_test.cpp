// Values come back typed by the column, whichever back end stores them.

#include "backend_fixture.h"
#include "support/cases.h"

namespace norvik::db::test {
namespace {

// The cases of cases/values.tsv: the back ends, the column's type, the value stored (a parameter of
// its kind, SQL text after "sql", or after "select" a statement that reads it from the empty column
// of {TABLE}), the value read back, and "exact" where a decimal is compared by its text rather than
// its number.
TEST_P(BackendTest, ColumnsYieldTypedValues) {
    int n = 0;
    for (const auto& c : ::norvik::test::ReadCases("db/cases/values.tsv")) {
        if (!Applies(c[0], GetParam())) continue;
        SCOPED_TRACE(c.where);
        const std::string table = "v" + std::to_string(++n);
        db_->Execute("CREATE TABLE " + table + " (v " + c[1] + ")");
        const std::string insert = "INSERT INTO " + table + " (v) VALUES ";
        std::string select = "SELECT v FROM " + table;
        if (c[2] == "select")
            select = c[3].substr(0, c[3].find("{TABLE}")) + table +
                     c[3].substr(c[3].find("{TABLE}") + 7);
        else if (c[2] == "sql")
            EXPECT_EQ(db_->Execute(insert + "(" + c[3] + ")"), 1);
        else
            EXPECT_EQ(db_->Execute(insert + "(?)", {::norvik::test::CaseValue(c[2], c[3])}), 1);
        auto rs = db_->OpenRecordSet(select);
        ASSERT_FALSE(rs->Eof());
        const Value expected = ::norvik::test::CaseValue(c[4], c[5]);
        const bool exact = c.fields.size() > 6 && c[6] == "exact";
        EXPECT_TRUE(exact ? rs->Item(0) == expected : SameValue(rs->Item(0), expected))
            << DescribeValue(rs->Item(0)).substr(0, 80);
        EXPECT_EQ(rs->Item(0).index(), expected.index());
        if (GetParam() != "postgresql") continue;
        // PostgreSQL streams a longer result another way: the same values.
        rs.reset();
        rs = db_->OpenRecordSet("SELECT * FROM (" + select + ") AS r, generate_series(1, 1001)");
        EXPECT_TRUE(exact ? rs->Item(0) == expected : SameValue(rs->Item(0), expected))
            << "1001 rows: " << DescribeValue(rs->Item(0)).substr(0, 80);
        EXPECT_EQ(rs->Item(0).index(), expected.index());
    }
    EXPECT_GT(n, 10);
}

TEST_P(BackendTest, ComputedDatesAreDatesButDateLikeTextStaysText) {
    db_->Execute("CREATE TABLE b (datum DATE, code VARCHAR(10))");
    db_->Execute("INSERT INTO b VALUES ('2026-01-05', '2026-01-05'), ('2026-03-01', NULL)");
    auto rs = db_->OpenRecordSet(
        "SELECT MAX(datum) AS letzte, COALESCE(MIN(code), '-') AS code, MAX(code) AS kennung "
        "FROM b");
    EXPECT_EQ(rs->Item("letzte"), Value(DateTime{2026, 3, 1}));
    // SQLite gives an expression no declared type, so its exact ISO date text is taken as a date
    // even over a text column; PostgreSQL knows the expression is text. A text column itself stays
    // text on both (see the typed cases).
    EXPECT_EQ(rs->Item("code"), norvik::test::SqlOf(GetParam()) == "sqlite"
                                    ? Value(DateTime{2026, 1, 5})
                                    : Value(std::string("2026-01-05")));
    auto times = db_->OpenRecordSet("SELECT '12:30' AS t, '2026-13-01' AS falsch");
    EXPECT_EQ(times->Item("t"), Value(std::string("12:30")));
    EXPECT_EQ(times->Item("falsch"), Value(std::string("2026-13-01")));
}

TEST_P(BackendTest, ParametersFilterRecordSets) {
    db_->Execute("CREATE TABLE p (id INTEGER, d DATE, name VARCHAR(20))");
    for (int64_t i = 1; i <= 4; ++i)
        db_->Execute("INSERT INTO p VALUES (?, ?, ?)",
                     {i, DateTime{2004, 1, static_cast<int>(i)}, std::string("n?")});
    // A "?" inside a literal is text, not a parameter.
    auto rs = db_->OpenRecordSet(
        "SELECT '?' AS q, id FROM p WHERE d >= ? AND name = ? -- id?\nORDER BY id;",
        {DateTime{2004, 1, 3}, std::string("n?")});
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Item("q"), Value(std::string("?")));
    EXPECT_EQ(rs->Item("id"), Value(int64_t{3}));
}

}  // namespace
}  // namespace norvik::db::test
