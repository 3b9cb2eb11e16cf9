#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "selection/selection_model.h"
#include "selection_fixture.h"

namespace norvik::test {
namespace {

using SelectionModelTest = SelectionTest;

TEST_P(SelectionModelTest, EntriesByCaptionOrKeyJoinWithAnd) {
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

TEST_P(SelectionModelTest, ValueListsComeFromRowSourceOrHostLookup) {
    Services().informationLookup = [](const std::string& name) {
        return name == "Kunden" ? "SELECT name, nr, ort FROM kunden WHERE nr < 3 ORDER BY nr" : "";
    };
    SelectionModel model(Services());
    model.SetSession(State().session);
    const struct {
        const char* key;
        int32_t listKind;
        const char* rowSource;
        const char* boundField;
    } criteria[] = {{"ort", 1, "SELECT DISTINCT ort FROM kunden ORDER BY ort", ""},
                    {"nr", 2, "AUSK_Kunden", "NR"},
                    {"name", 2, "AUSK_Fehlt", ""}};
    for (const auto& c : criteria) {
        Criterion& added = model.Criteria.Add(c.key);
        added.ListKind = c.listKind;
        added.RowSource = c.rowSource;
        added.BoundField = c.boundField;
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

INSTANTIATE_TEST_SUITE_P(Backends, SelectionModelTest, ::testing::ValuesIn(ExportBackends()),
                         BackendName);

}  // namespace
}  // namespace norvik::test
