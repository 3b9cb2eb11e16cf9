#include <gtest/gtest.h>

#include "common/vb_convert.h"
#include "common/vb_error.h"
#include "selection/criterion_condition.h"
#include "selection/selected_period.h"
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
        EXPECT_EQ(RaisedBy([&] {
                      CriterionCondition(Make("betrag", std::stoi(c[1]), c[2]), SqliteDialect());
                  }),
                  c[3] + ": Auswahl \"Betrag\": " + c[4]);
    }
}

// The period cases of cases/entries.tsv.
TEST(EntryTest, TheFirstDateCriterionGivesThePeriod) {
    for (const CaseRow& c : ReadCases("selection/cases/entries.tsv")) {
        if (c[0] != "period") continue;
        CriterionList criteria;
        criteria.Add("name") = Make("name", kValueText, "31.12.1999");
        criteria.Add("datum") = Make("datum", kValueDate, c[1]);
        const DatePeriod period = SelectedPeriod(criteria);
        const auto shown = [](const std::optional<DateTime>& d) {
            return d ? DateTimeToText(*d) : std::string("-");
        };
        EXPECT_EQ(shown(period.from) + " " + shown(period.to), c[2] + " " + c[3]) << c.where;
    }
}

// The cases of cases/dialects.tsv.
TEST(DialectTest, ColumnsAndLiteralsAreWhatTheTableSays) {
    for (const CaseRow& c : ReadCases("selection/cases/dialects.tsv")) {
        SCOPED_TRACE(c.where);
        if (c[0] == "column") {
            std::string condition = "-";
            try {
                condition = CriterionCondition(Make(c[1], 0, "x"), SqliteDialect());
            } catch (const VbError&) {
            }
            EXPECT_EQ(condition, c[2]);
        } else if (c[0] == "text") {
            EXPECT_EQ(DialectFor(c[1])->TextLiteral(c[2]), c[3]);
        } else {
            const auto dialect = DialectFor(c[1]);
            EXPECT_EQ(dialect->DateLiteral(CivilDate{2004, 12, 31}), c[2]);
            EXPECT_EQ(dialect->TextLiteral("a\\b'c"), c[3]);
            EXPECT_EQ(dialect->LikeCondition("name", "M_*"), c[4]);
        }
    }
    EXPECT_THROW(DialectFor("odbc-unbekannt"), VbError);
}

TEST(EntryTest, UnknownBackendHasNoDialectUntilOneIsRegistered) {
    EXPECT_THROW(DialectFor("odbc:test"), VbError);
    RegisterDialect("odbc:test", std::make_shared<SqliteDialect>());
    EXPECT_EQ(DialectFor("odbc:test")->DateLiteral({2005, 1, 2}), "'2005-01-02'");
}

}  // namespace
}  // namespace norvik::test
