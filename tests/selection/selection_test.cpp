#include <gtest/gtest.h>

#include <functional>

#include "common/vb_error.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "selection/selection_model.h"
#include "selection_fixture.h"
#include "support/cases.h"

namespace norvik::test {
namespace {

// The conditions and selects of cases/entries.tsv on the back end, with the rows they select.
TEST_P(SelectionTest, EntriesBecomeConditionsThatSelectTheirRows) {
    for (const CaseRow& c : ReadCases("selection/cases/entries.tsv")) {
        if (c[0] == "refused" || c[0] == "period") continue;
        SCOPED_TRACE(c.where);
        const int32_t kind = std::stoi(c[2]);
        const std::string condition = ConditionOf(c[1], kind, c[3]);
        if (c[0] == "condition") {
            // MariaDB takes typed date literals as PostgreSQL does and patterns as SQLite does.
            const bool asPostgres =
                Postgres() || (SqlOf(GetParam()) == "mariadb" && kind == kValueDate);
            EXPECT_EQ(condition, asPostgres && !c[5].empty() ? c[5] : c[4]);
        }
        EXPECT_EQ(ExportedRows(condition), c.fields.back());
    }
    EXPECT_EQ(ExportedRows(""), "1,2,3,4,5,6,7,8");
}

// Ten thousand entries of every kind in one list: the rows they name, on every back end.
TEST_P(SelectionTest, ListsOfTenThousandValuesSelectTheirRows) {
    const struct {
        const char* column;
        int32_t valueKind;
        std::string hit;                       // the one item that matches
        std::function<std::string(int)> miss;  // the others
        const char* rows;
    } cases[] = {
        {"nr", 2, "4", [](int i) { return std::to_string(1000 + i); }, "4"},
        {"name", 0, "Müller", [](int i) { return "kein " + std::to_string(i); }, "1"},
        {"name", 0, "50%*", [](int i) { return "x" + std::to_string(i) + "*"; }, "4"},
        {"datum", 1, "28.02.2005", [](int i) { return "01.01." + std::to_string(3000 + i % 5000); },
         "4"},
        {"betrag", 2, "5..6", [](int i) { return std::to_string(2000 + i) + "..2000,5"; }, "6,7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column + std::string(" ") + c.hit);
        std::string entry;
        for (int i = 0; i < 9999; ++i) entry += c.miss(i) + ";";
        entry += c.hit;
        EXPECT_EQ(ExportedRows(ConditionOf(c.column, c.valueKind, entry)), c.rows);
    }
}

TEST_P(SelectionTest, EntriesByCaptionOrKeyJoinWithAnd) {
    SelectionModel model(Services());
    model.SetSession(State().session);
    for (const auto& [key, kind] : {std::pair{"ort", 0}, {"betrag", 2}, {"datum", 1}})
        model.Criteria.Add(key).ValueKind = kind;
    EXPECT_EQ(model.Condition(), "");
    model.SetEntry("ort", "Köln");
    model.SetEntry("BETRAG", "5..6");
    EXPECT_EQ(model.Condition(), "ort = 'Köln' AND (betrag >= 5 AND betrag <= 6)");
    EXPECT_EQ(ExportedRows(model.Condition()), "6,7");
    EXPECT_THROW(model.SetEntry("Land", "D"), VbError);
    EXPECT_THROW(model.Criteria.Add("Ort"), VbError);
}

TEST_P(SelectionTest, ValueListsComeFromRowSourceOrHostLookup) {
    Services().informationLookup = [](const std::string& name) {
        return name == "Kunden" ? "SELECT name, nr, ort FROM kunden WHERE nr < 3 ORDER BY nr" : "";
    };
    SelectionModel model(Services());
    model.SetSession(State().session);
    for (const CaseRow& c : ReadCases("selection/cases/value_lists.tsv")) {
        Criterion& added = model.Criteria.Add(c[0]);
        added.ListKind = std::stoi(c[1]);
        added.RowSource = c[2];
        added.BoundField = c[3];
    }
    const ValueList places = model.ValuesOf("ort", 3);
    ASSERT_EQ(places.rows.size(), 3u);
    EXPECT_EQ(places.rows[0].value + "|" + places.rows[0].display, "Bad Homburg|Bad Homburg");
    EXPECT_TRUE(places.truncated);
    EXPECT_FALSE(model.ValuesOf("ort").truncated);

    const ValueList customers = model.ValuesOf("nr");
    ASSERT_EQ(customers.rows.size(), 2u);
    EXPECT_EQ(customers.rows[1].value + "|" + customers.rows[1].display, "2|O'Neil; Ltd - Köln");
    EXPECT_THROW(model.ValuesOf("name"), VbError);
}

INSTANTIATE_TEST_SUITE_P(Backends, SelectionTest, ::testing::ValuesIn(AllBackends()), BackendName);

}  // namespace
}  // namespace norvik::test
