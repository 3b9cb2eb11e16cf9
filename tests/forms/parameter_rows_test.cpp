#include "forms/parameter_rows.h"

#include <gtest/gtest.h>

#include "engine/tq_export.h"
#include "host/module_state.h"
#include "support/cases.h"
#include "support/session/session_fixture.h"

namespace norvik::test {
namespace {

using ParameterRowsTest = SessionFixture;

std::vector<std::string> Shown(const ParameterRows& rows) {
    std::vector<std::string> shown;
    for (const ParameterRow& row : rows.Rows())
        shown.push_back(ParameterRows::CaptionCell(row) + "|" + row.value + "|" + row.key);
    return shown;
}

TEST_F(ParameterRowsTest, ValuesRoundTripThroughTheHostSettings) {
    const std::string file = exportPath() + "KUNDEN.EXP";
    WriteBytes(file, DefinitionBytes("[Allgemein]\nName=Kundenstamm\nDatenquelle=kunden\n"
                                     "TexterkennerDoppeln=J\n[Auswahl]\nDraussen=1\n[parameter]  \n"
                                     "Datum=\"Stichtag\",\"01.01.2003\"\nKunde=\nZahl =\"  \",007\n"
                                     "keine Zuweisung\nOrt=\"Köln, Rhein\",\"Bonn\"\n"
                                     "ORT=\"Noch einmal\",\"Bonn\"\n"));
    ParameterRows rows(State(), Services());
    rows.Load(file);
    EXPECT_EQ(rows.Title(), "Einstellungen für Kundenstamm");
    EXPECT_EQ(rows.SectionName(), "Export_KUNDEN");
    const std::string filler = kCaptionFiller;
    EXPECT_EQ(Shown(rows), (std::vector<std::string>{
                               "Stichtag" + filler + "|01.01.2003|Datum",
                               "Kunde" + filler + "||Kunde",
                               "Zahl " + filler + "|7|Zahl ",
                               "Köln, Rhein" + filler + "|Bonn|Ort",
                               "Noch einmal" + filler + "|Bonn|ORT",
                               "TexterkennerDoppeln" + filler +
                                   "|J (in der Definition festgelegt)|TexterkennerDoppeln",
                           }));
    EXPECT_TRUE(rows.Set("kunde", "4711"));
    EXPECT_TRUE(rows.Set("Zahl ", ""));
    EXPECT_FALSE(rows.Set("Mandant", "1"));
    // A key written twice is one stored value: the grid's edit of its second row
    // must not be saved over by the first.
    rows.SetValue(4, "Siegburg");
    // The file's own switch is shown, never edited or stored.
    rows.SetValue(5, "N");
    EXPECT_FALSE(rows.Set("TexterkennerDoppeln", "N"));
    EXPECT_EQ(rows.Rows()[5].value, "J (in der Definition festgelegt)");
    EXPECT_TRUE(rows.Save());

    ParameterRows again(State(), Services());
    again.Load(file);
    EXPECT_EQ(again.Rows()[1].value, "4711");
    EXPECT_EQ(State().Settings().ReadValue("Export_KUNDEN", "Ort", "Standard", ""), "Siegburg");
    // An empty stored value counts as none: the file's default shows again.
    EXPECT_EQ(again.Rows()[2].value, "7");
    EXPECT_EQ(State().Settings().ReadValue("Export_KUNDEN", "Zahl ", "Standard", "unset"), "");
    EXPECT_EQ(State().Settings().ReadValue("Export_KUNDEN", "Datum", "Standard", ""), "01.01.2003");
    EXPECT_EQ(State().Settings().ReadValue("Export_KUNDEN", "TexterkennerDoppeln", "Standard", "-"),
              "-");

    TQExport engine(State(), Services());
    engine.LoadFile(file);
    EXPECT_EQ(engine.ExpDef->Parameter->Item("Kunde")->Value, "4711");
}

TEST_F(ParameterRowsTest, SectionAndTitleFollowTheDefinition) {
    for (const CaseRow& row : ReadCases("forms/cases/parameter_titles.tsv")) {
        WriteBytes(exportPath() + "K.v2.EXP", DefinitionBytes("[Allgemein]\n" + row[0]));
        ParameterRows rows(State(), Services());
        rows.Load(exportPath() + "K.v2.EXP");
        EXPECT_EQ(rows.Title() + "|" + rows.SectionName(), row[1] + "|" + row[2]) << row.where;
    }
    ParameterRows missing(State(), Services());
    missing.Load(exportPath() + "FEHLT.EXP");
    EXPECT_TRUE(missing.Rows().empty());
    const auto reports = Calls("ReportError");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].className + "." + reports[0].operation, "frmProperties.ShowData");
}

}  // namespace
}  // namespace norvik::test
