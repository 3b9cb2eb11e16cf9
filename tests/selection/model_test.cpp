#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "selection/selection_model.h"
#include "selection_fixture.h"

namespace norvik::test {
namespace {

using SelectionModelTest = SelectionTest;

Criterion& AddCriterion(SelectionModel& model, const std::string& key, const std::string& caption,
                        int32_t valueKind) {
    Criterion& c = model.Criteria.Add(key);
    c.Caption = c.Label = caption;
    c.ValueKind = valueKind;
    return c;
}

TEST_P(SelectionModelTest, EntriesByCaptionOrKeyJoinWithAnd) {
    SelectionModel model;
    model.SetSession(State().session);
    AddCriterion(model, "ort", "Ort", 0);
    AddCriterion(model, "betrag", "Betrag", 2);
    AddCriterion(model, "datum", "Datum", 1);
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
        return name == "Kundenauskunft"
                   ? "SELECT name, nr, ort FROM kunden WHERE nr < 3 ORDER BY nr"
                   : "";
    };
    SelectionModel model;
    model.SetSession(State().session);
    Criterion& ort = AddCriterion(model, "ort", "Ort", 0);
    ort.ListKind = kListRowSource;
    ort.RowSource = "SELECT DISTINCT ort FROM kunden ORDER BY ort";
    Criterion& kunde = AddCriterion(model, "kunden.nr", "Kunde", 0);
    kunde.ListKind = kListHostLookup;
    kunde.RowSource = "AUSK_Kundenauskunft";
    kunde.BoundField = "NR";
    Criterion& unknown = AddCriterion(model, "name", "Name", 0);
    unknown.ListKind = kListHostLookup;
    unknown.RowSource = "AUSK_Fehlt";

    const ValueList places = model.ValuesOf("ort", 3);
    ASSERT_EQ(places.rows.size(), 3u);
    EXPECT_EQ(places.rows[0].value, "Bad Homburg");
    EXPECT_EQ(places.rows[0].display, "Bad Homburg");
    EXPECT_TRUE(places.truncated);
    EXPECT_FALSE(model.ValuesOf("ort").truncated);

    const ValueList customers = model.ValuesOf("kunden.nr");
    ASSERT_EQ(customers.rows.size(), 2u);
    EXPECT_EQ(customers.rows[1].value, "2");
    EXPECT_EQ(customers.rows[1].display, "O'Neil; Ltd - Köln");
    EXPECT_FALSE(customers.truncated);

    try {
        model.ValuesOf("name");
        ADD_FAILURE() << "no lookup of that name";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Description(),
                  "Auswahl \"Name\": Die Auskunft \"Fehlt\" ist nicht eingerichtet.");
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SelectionModelTest, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace norvik::test
