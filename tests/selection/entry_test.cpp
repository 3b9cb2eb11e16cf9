#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "selection/criterion_condition.h"
#include "selection/sql_dialect.h"

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

// Entries that cannot be used are refused before any SQL is written.
TEST(EntryTest, InvalidEntriesAreRefusedWithTheCriterionNamed) {
    const std::string kNoDate = "\" ist kein gültiges Datum (TT.MM.JJJJ).";
    const std::string kNoNumber = "\" ist keine gültige Zahl.";
    const std::string kNoRangeEnd = "\" fehlt der Von- oder Bis-Wert.";
    const struct {
        int32_t valueKind;
        std::string entry;
        int32_t number;
        std::string message;
    } cases[] = {
        {1, "31.02.2005", 13, "\"31.02.2005" + kNoDate},
        {1, "29.02.2005", 13, "\"29.02.2005" + kNoDate},
        {1, "2005-01-01", 13, "\"2005-01-01" + kNoDate},
        {1, "1.1.05", 13, "\"1.1.05" + kNoDate},
        {1, "1.1.2005'", 13, "\"1.1.2005'" + kNoDate},
        {1, "31.12.2004..", 5, "Im Bereich \"31.12.2004.." + kNoRangeEnd},
        {2, "..5", 5, "Im Bereich \"..5" + kNoRangeEnd},
        {2, "1.23", 13, "\"1.23" + kNoNumber},
        {2, "1234.567", 13, "\"1234.567" + kNoNumber},
        {2, "12,3,4", 13, "\"12,3,4" + kNoNumber},
        {2, "1e5", 13, "\"1e5" + kNoNumber},
        {2, "1*", 13, "\"1*" + kNoNumber},
        {2, "1 OR 1=1", 13, "\"1 OR 1=1" + kNoNumber},
        {2, "-", 13, "\"-" + kNoNumber},
        {2, "1,", 13, "\"1," + kNoNumber},
        {0, "a;;b", 5, "Die Liste \"a;;b\" enthält einen leeren Eintrag."},
        {0, ";", 5, "Die Liste \";\" enthält einen leeren Eintrag."},
        {0, std::string("a\0b", 3), 5, "Die Eingabe enthält ein unzulässiges Zeichen."},
        {3, "x", 5, "unbekannte Wertart 3."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        try {
            CriterionCondition(Make("betrag", c.valueKind, c.entry), SqliteDialect());
            ADD_FAILURE() << "accepted";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), c.number);
            EXPECT_EQ(e.Description(), "Auswahl \"Betrag\": " + c.message);
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

}  // namespace
}  // namespace norvik::test
