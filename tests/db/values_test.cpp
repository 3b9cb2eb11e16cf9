// Values come back typed by the column, whichever back end stores them.

#include <limits>

#include "backend_fixture.h"

namespace norvik::db::test {
namespace {

struct TypedCase {
    const char* type;
    Value stored;
    Value expected;
    const char* only = "";   // a back end when the case fits only that one
    const char* notOn = "";  // a back end the case does not fit
};

const TypedCase kTypedCases[] = {
    {"BIGINT", int64_t{-42}, int64_t{-42}},
    {"BIGINT", Null{}, Null{}},
    {"DOUBLE PRECISION", -0.1, -0.1},
    {"NUMERIC(12,2)", Decimal{"-1234.5"}, Decimal{"-1234.5"}},
    {"NUMERIC(12,2)", int64_t{7}, Decimal{"7"}},
    {"NUMERIC(12,2)", 0.1, Decimal{"0.1"}},
    {"VARCHAR(40)", std::string("Grüße aus Köln: ÄÖÜ äöü ß"),
     std::string("Grüße aus Köln: ÄÖÜ äöü ß")},
    {"TEXT", std::string(), std::string()},
    // What a text stream escapes or marks: backslash, tab, line ends, a null's own mark.
    {"TEXT", std::string("a\\b\tc\nd\r\\N\x01"), std::string("a\\b\tc\nd\r\\N\x01")},
    {"TEXT", std::string("\\N"), std::string("\\N")},
    {"DATE", DateTime{2004, 12, 31}, DateTime{2004, 12, 31}},
    {"DATE", Null{}, Null{}},
    {"TIMESTAMP", DateTime{2004, 12, 31, 13, 45, 7}, DateTime{2004, 12, 31, 13, 45, 7}},
    {"TIMESTAMP", DateTime{2004, 2, 29}, DateTime{2004, 2, 29}},
    {"TIME", DateTime{1899, 12, 30, 13, 45, 0}, DateTime{1899, 12, 30, 13, 45, 0}},
    // MariaDB's BOOLEAN is TINYINT(1): see the ODBC tests.
    {"BOOLEAN", true, true, "", "odbc-mariadb"},
    {"BOOLEAN", false, false, "", "odbc-mariadb"},
    {"DATE", std::string("2004-12-31T08:15"), DateTime{2004, 12, 31, 8, 15, 0}, "sqlite"},
    // Fractions of a second round to the nearest second, carrying into the date.
    {"DATETIME", std::string("2004-12-31 08:15:30.750"), DateTime{2004, 12, 31, 8, 15, 31},
     "sqlite"},
    {"DATETIME", std::string("2004-12-31 08:15:30.499"), DateTime{2004, 12, 31, 8, 15, 30},
     "sqlite"},
    {"DATETIME", std::string("2004-12-31 23:59:59.5"), DateTime{2005, 1, 1}, "sqlite"},
    {"TIMESTAMPTZ", std::string("2004-12-31 13:45:07+01:00"), DateTime{2004, 12, 31, 13, 45, 7},
     "sqlite"},
    {"DATETIME2", std::string("2004-02-29 13:45:07"), DateTime{2004, 2, 29, 13, 45, 7}, "sqlite"},
    {"TEXT", std::string("2004-12-31"), std::string("2004-12-31"), "sqlite"},
    {"DATE", std::string("unbekannt"), std::string("unbekannt"), "sqlite"},
    {"DATE", int64_t{20041231}, int64_t{20041231}, "sqlite"},
    {"DECIMAL(10,3)", std::string("+007.250"), Decimal{"7.25"}, "sqlite"},
    {"TIMESTAMPTZ", std::string("2004-12-31 13:45:07.6"), DateTime{2004, 12, 31, 13, 45, 8},
     "postgresql"},
    {"TIMESTAMP(3)", std::string("2004-02-28 23:59:59.5"), DateTime{2004, 2, 29}, "postgresql"},
    {"TIME WITH TIME ZONE", std::string("13:45:07+02"), DateTime{1899, 12, 30, 13, 45, 7},
     "postgresql"},
    {"MONEY", std::string("12.50"), Decimal{"12.50"}, "postgresql"},
    {"MONEY", std::string("-1234567.05"), Decimal{"-1234567.05"}, "postgresql"},
    {"SMALLINT", int64_t{-7}, int64_t{-7}, "postgresql"},
    {"REAL", 1.5, 1.5, "postgresql"},
    {"NUMERIC", std::string("-0.000100"), Decimal{"-0.000100"}, "postgresql"},
    {"NUMERIC", std::string("100000002.00030"), Decimal{"100000002.00030"}, "postgresql"},
    {"NUMERIC", std::string("Infinity"), std::numeric_limits<double>::infinity(), "postgresql"},
    // A type without a binary form: the rows come as escaped text.
    {"JSON", std::string("[\"\\\\N\",\t\r\n1]"), std::string("[\"\\\\N\",\t\r\n1]"), "postgresql"},
    {"JSON", Null{}, Null{}, "postgresql"},
    {"DATE", std::string("infinity"), std::string("infinity"), "postgresql"},
    {"DATE", std::string("0044-03-15 BC"), std::string("0044-03-15 BC"), "postgresql"},
    {"TIMESTAMP", std::string("-infinity"), std::string("-infinity"), "postgresql"},
    {"TIMESTAMP", std::string("1960-06-30 23:59:59.5"), DateTime{1960, 7, 1}, "postgresql"},
    {"TIMESTAMP", std::string("2004-12-31 13:45:07.000001"), DateTime{2004, 12, 31, 13, 45, 7},
     "postgresql"},
    {"UUID", std::string("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"),
     std::string("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"), "postgresql"},
};

TEST_P(BackendTest, ColumnsYieldTypedValues) {
    int n = 0;
    for (const TypedCase& c : kTypedCases) {
        if ((*c.only && GetParam() != c.only) || GetParam() == c.notOn) continue;
        const std::string table = "v" + std::to_string(++n);
        SCOPED_TRACE(std::string(c.type) + " " + Describe(c.stored));
        db_->Execute("CREATE TABLE " + table + " (v " + c.type + ")");
        EXPECT_EQ(db_->Execute("INSERT INTO " + table + " (v) VALUES (?)", {c.stored}), 1);
        auto rs = db_->OpenRecordSet("SELECT v FROM " + table);
        ASSERT_FALSE(rs->Eof());
        EXPECT_TRUE(SameValue(rs->Item(0), c.expected)) << Describe(rs->Item(0));
        EXPECT_EQ(rs->Item(0).index(), c.expected.index());
        if (GetParam() != "postgresql") continue;
        // PostgreSQL streams a longer result another way: the same values.
        rs.reset();
        rs = db_->OpenRecordSet("SELECT v FROM " + table + ", generate_series(1, 1001) AS g");
        EXPECT_TRUE(SameValue(rs->Item(0), c.expected)) << Describe(rs->Item(0));
        EXPECT_EQ(rs->Item(0).index(), c.expected.index());
    }
}

TEST_P(BackendTest, ExpressionsKeepTheirOwnType) {
    if (::norvik::test::SqlOf(GetParam()) == "mariadb") GTEST_SKIP() << "\"||\" is OR in MariaDB";
    auto rs = db_->OpenRecordSet("SELECT 2 * 3 AS n, 'a' || 'b' AS s, NULL AS z");
    EXPECT_EQ(rs->Item("n"), Value(int64_t{6}));
    EXPECT_EQ(rs->Item("s"), Value(std::string("ab")));
    EXPECT_TRUE(IsNull(rs->Item("z")));
}

TEST_P(BackendTest, ComputedDatesAreDatesButDateLikeTextStaysText) {
    db_->Execute("CREATE TABLE b (datum DATE, code VARCHAR(10))");
    db_->Execute("INSERT INTO b VALUES ('2026-01-05', '2026-01-05'), ('2026-03-01', NULL)");
    auto rs = db_->OpenRecordSet(
        "SELECT MAX(datum) AS letzte, COALESCE(MIN(code), '-') AS code, MAX(code) AS kennung "
        "FROM b");
    EXPECT_EQ(rs->Item("letzte"), Value(DateTime{2026, 3, 1}));
    // SQLite gives an expression no declared type, so its exact ISO date text is taken as a date
    // even over a text column; PostgreSQL knows the expression is text. A text column itself
    // stays text on both (see the typed cases).
    EXPECT_EQ(rs->Item("code"), norvik::test::SqlOf(GetParam()) == "sqlite"
                                    ? Value(DateTime{2026, 1, 5})
                                    : Value(std::string("2026-01-05")));
    auto times = db_->OpenRecordSet("SELECT '12:30' AS t, '2026-13-01' AS falsch");
    EXPECT_EQ(times->Item("t"), Value(std::string("12:30")));
    EXPECT_EQ(times->Item("falsch"), Value(std::string("2026-13-01")));
}

TEST_P(BackendTest, BinaryColumnsComeAsTheSameHexTextOnEveryBackEnd) {
    const bool postgres = norvik::test::SqlOf(GetParam()) == "postgresql";
    db_->Execute(std::string("CREATE TABLE bin (v ") + (postgres ? "BYTEA" : "BLOB") + ")");
    db_->Execute(postgres ? "INSERT INTO bin VALUES ('\\x6100ff'), (''), (NULL)"
                          : "INSERT INTO bin VALUES (X'6100FF'), (X''), (NULL)");
    auto rs = db_->OpenRecordSet("SELECT v FROM bin");
    std::vector<Value> values;
    for (; !rs->Eof(); rs->MoveNext()) values.push_back(rs->Item(0));
    EXPECT_EQ(values, (std::vector<Value>{std::string("6100FF"), std::string(), Null{}}));
}

TEST_P(BackendTest, AQuestionMarkIsAnOperatorWhenNoParametersArePassed) {
    if (GetParam() != "postgresql") GTEST_SKIP() << "jsonb exists on PostgreSQL only";
    auto rs = db_->OpenRecordSet(
        "SELECT '{\"a\": 1}'::jsonb ? 'a' AS hat_a, '{\"a\": 1}'::jsonb ?| array['b'] AS hat_b");
    EXPECT_EQ(rs->Item("hat_a"), Value(true));
    EXPECT_EQ(rs->Item("hat_b"), Value(false));
    EXPECT_EQ(db_->Execute("SELECT 1 WHERE '{}'::jsonb ? 'x'"), 0);
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
