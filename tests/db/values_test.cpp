// Values come back typed by the column, whichever back end stores them.

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
    {"DATE", DateTime{2004, 12, 31}, DateTime{2004, 12, 31}},
    {"DATE", Null{}, Null{}},
    {"TIMESTAMP", DateTime{2004, 12, 31, 13, 45, 7}, DateTime{2004, 12, 31, 13, 45, 7}},
    {"TIMESTAMP", DateTime{2004, 2, 29}, DateTime{2004, 2, 29}},
    {"TIME", DateTime{1899, 12, 30, 13, 45, 0}, DateTime{1899, 12, 30, 13, 45, 0}},
    // MariaDB's BOOLEAN is TINYINT(1): see the ODBC tests.
    {"BOOLEAN", true, true, "", "odbc-mariadb"},
    {"BOOLEAN", false, false, "", "odbc-mariadb"},
    {"DATE", std::string("2004-12-31T08:15"), DateTime{2004, 12, 31, 8, 15, 0}, "sqlite"},
    {"DATETIME", std::string("2004-12-31 08:15:30.750"), DateTime{2004, 12, 31, 8, 15, 30},
     "sqlite"},
    {"DATE", std::string("unbekannt"), std::string("unbekannt"), "sqlite"},
    {"DATE", int64_t{20041231}, int64_t{20041231}, "sqlite"},
    {"DECIMAL(10,3)", std::string("+007.250"), Decimal{"7.25"}, "sqlite"},
    {"BLOB", std::string("a\0b", 3), std::string("a\0b", 3), "sqlite"},
    {"TIMESTAMPTZ", std::string("2004-12-31 13:45:07.6"), DateTime{2004, 12, 31, 13, 45, 7},
     "postgresql"},
    {"SMALLINT", int64_t{-7}, int64_t{-7}, "postgresql"},
    {"REAL", 1.5, 1.5, "postgresql"},
    {"NUMERIC", std::string("-0.000100"), Decimal{"-0.000100"}, "postgresql"},
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
    }
}

TEST_P(BackendTest, ExpressionsKeepTheirOwnType) {
    if (::norvik::test::SqlOf(GetParam()) == "mariadb") GTEST_SKIP() << "\"||\" is OR in MariaDB";
    auto rs = db_->OpenRecordSet("SELECT 2 * 3 AS n, 'a' || 'b' AS s, NULL AS z");
    EXPECT_EQ(rs->Item("n"), Value(int64_t{6}));
    EXPECT_EQ(rs->Item("s"), Value(std::string("ab")));
    EXPECT_TRUE(IsNull(rs->Item("z")));
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
