#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "selection/criterion_condition.h"
#include "selection/sql_dialect.h"
#include "support/cases.h"

namespace norvik::test {
namespace {

Criterion Make(const std::string& column, int32_t valueKind, const std::string& entry) {
    Criterion c;
    c.ControlSource = column;
    c.Label = "Betrag";
    c.ValueKind = valueKind;
    c.Entry = entry;
    return c;
}

// Entries that cannot be used are refused before any SQL is written: the refused cases of
// cases/entries.tsv.
TEST(EntryTest, InvalidEntriesAreRefusedWithTheCriterionNamed) {
    for (const CaseRow& c : ReadCases("selection/cases/entries.tsv")) {
        if (c[0] != "refused") continue;
        SCOPED_TRACE(c.where);
        try {
            CriterionCondition(Make("betrag", std::stoi(c[1]), c[2]), SqliteDialect());
            ADD_FAILURE() << "accepted";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), std::stoi(c[3]));
            EXPECT_EQ(e.Description(), "Auswahl \"Betrag\": " + c[4]);
        }
    }
}

TEST(EntryTest, OnlyIdentifiersAreColumns) {
    for (const char* column : {"Straße", "k.Länge", "_x1", "Kunden.Kundennummer"}) {
        SCOPED_TRACE(column);
        EXPECT_EQ(CriterionCondition(Make(column, 0, "x"), SqliteDialect()),
                  std::string(column) + " = 'x'");
    }
    for (const char* column : {"", "1abc", "a.b.c", ".a", "a.", "na me", "name--", "\"name\"",
                               "name; DROP TABLE t", "x=1 OR y", "a×b", "n\xff"}) {
        SCOPED_TRACE(column);
        EXPECT_THROW(CriterionCondition(Make(column, 0, "x"), SqliteDialect()), VbError);
    }
}

TEST(EntryTest, PostgresLiteralsKeepBackslashesWhateverTheServerSetting) {
    EXPECT_EQ(PostgresDialect().TextLiteral("a\\'b"), "E'a\\\\''b'");
    EXPECT_EQ(PostgresDialect().TextLiteral("a'b"), "'a''b'");
}

TEST(EntryTest, UnknownBackendHasNoDialectUntilOneIsRegistered) {
    EXPECT_THROW(DialectFor("odbc:test"), VbError);
    RegisterDialect("odbc:test", std::make_shared<SqliteDialect>());
    EXPECT_EQ(DialectFor("odbc:test")->DateLiteral({2005, 1, 2}), "'2005-01-02'");
}

// What each back end's dialect writes for a date, a text with a backslash and a pattern; through
// ODBC the database's own dialect is chosen by the name the connection gives.
TEST(DialectTest, EachBackEndWritesItsOwnLiterals) {
    struct Case {
        const char* name;
        const char* date;
        const char* text;
        const char* like;
    };
    const Case cases[] = {
        {"sqlite", "'2004-12-31'", "'a\\b''c'", "name LIKE 'M!_%' ESCAPE '!'"},
        {"odbc-sqlite", "'2004-12-31'", "'a\\b''c'", "name LIKE 'M!_%' ESCAPE '!'"},
        {"postgresql", "DATE '2004-12-31'", "E'a\\\\b''c'",
         "CAST(name AS TEXT) ILIKE 'M!_%' ESCAPE '!'"},
        {"odbc-postgresql", "DATE '2004-12-31'", "E'a\\\\b''c'",
         "CAST(name AS TEXT) ILIKE 'M!_%' ESCAPE '!'"},
        {"odbc-mariadb", "DATE '2004-12-31'", "'a\\\\b''c'", "name LIKE 'M!_%' ESCAPE '!'"},
        {"odbc", "{d '2004-12-31'}", "'a\\b''c'", "name LIKE 'M!_%' ESCAPE '!'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto dialect = DialectFor(c.name);
        EXPECT_EQ(dialect->DateLiteral(CivilDate{2004, 12, 31}), c.date);
        EXPECT_EQ(dialect->TextLiteral("a\\b'c"), c.text);
        EXPECT_EQ(dialect->LikeCondition("name", "M_*"), c.like);
    }
    EXPECT_THROW(DialectFor("odbc-unbekannt"), VbError);
}

}  // namespace
}  // namespace norvik::test
