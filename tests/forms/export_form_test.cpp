#include "forms/export_form.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "forms/entry_checks.h"
#include "host/module_state.h"
#include "selection/selected_period.h"
#include "support/cases.h"
#include "support/session/session_fixture.h"

namespace norvik::test {
namespace {

using ExportFormTest = SessionFixture;

std::string Definition(const std::string& name, const std::string& general,
                       const std::string& more = "") {
    return DefinitionBytes("[Allgemein]\nName=" + name + "\nDatenquelle=kunden\n" + general + "\n" +
                           more + "[DATENSATZ]\nFIELD nr,N,,0\n");
}

std::string StoredProtocolSwitch() {
    return State().Settings().ReadValue("TQBExport", "ProtokollErzeugen", "tester", "unset");
}

// The cases of cases/typ_bits.tsv, then a column that repeats one.
TEST_F(ExportFormTest, TypBitsGiveValueAndListKindUntilAColumnRepeats) {
    const std::vector<CaseRow> cases = ReadCases("forms/cases/typ_bits.tsv");
    ASSERT_EQ(cases.size(), 10u);
    ExportForm form(State(), Services());
    form.Export().ExpDef = std::make_shared<TQExportDef>();
    const std::string columns[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "B", "k"};
    for (size_t i = 0; i < std::size(columns); ++i) {
        auto sel = std::make_shared<TQSelection>();
        sel->ControlSource = columns[i];
        sel->Caption = "Titel " + columns[i];
        sel->Typ = i < cases.size() ? std::stoi(cases[i][0]) : 0;
        sel->RowSource = "Quelle";
        sel->BoundField = "Feld";
        form.Export().ExpDef->AddSel(sel);
    }
    int shown = 0;
    form.Selection().criteriaShown = [&] { ++shown; };
    form.BuildSel();
    // "B" repeats "b": reported, the criteria so far kept, none shown.
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(form.Selection().Criteria.Count(), 10);
    const auto reports = Calls("ReportError");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].className + "." + reports[0].operation, "frmExport.BuildSel");
    EXPECT_EQ(reports[0].number, 457);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(cases[i].where);
        const Criterion& got = form.Selection().Criteria.Item(i + 1);
        EXPECT_EQ(got.ValueKind, std::stoi(cases[i][1]));
        EXPECT_EQ(got.ListKind, std::stoi(cases[i][2]));
        EXPECT_EQ(got.RowSource, cases[i][2] == "2" ? "AUSK_Quelle" : "Quelle");
        EXPECT_EQ(got.Label + "|" + got.Caption + "|" + got.BoundField,
                  "Titel " + got.ControlSource + "|Titel " + got.ControlSource + "|Feld");
    }
}

TEST_F(ExportFormTest, TheLastDefinitionOfADisplayNameIsLoaded) {
    WriteBytes(exportPath() + "A.EXP", Definition("Kunden", "Dateiname=a.txt\nAnfuegen=J"));
    WriteBytes(exportPath() + "B.EXP", Definition("Kunden", "Dateiname=b.txt\nAnfuegenAenderbar=J",
                                                  "[Parameter]\nMandant=\"Mandant\",\"1\"\n"));
    WriteBytes(exportPath() + "C.EXP",
               Definition("Artikel", "AnfuegenAenderbar=j\nDateiname=%DataPath%\\Ausgabe\\a.txt"));
    ExportForm form(State(), Services());
    form.Activate();
    EXPECT_EQ(form.controls.schemaList, (std::vector<std::string>{"Kunden", "Kunden", "Artikel"}));
    EXPECT_FALSE(form.Selection().Enabled || form.controls.okEnabled);

    form.LoadSchema("Kunden");
    EXPECT_EQ(form.controls.fileName, "b.txt");
    EXPECT_FALSE(form.controls.appendChecked);
    EXPECT_TRUE(form.controls.appendEnabled && form.controls.optionsEnabled);
    EXPECT_TRUE(form.controls.okEnabled && form.controls.fileNameEnabled &&
                form.controls.protocolEnabled && form.Selection().Enabled);
    EXPECT_EQ(form.PropertiesFile(), exportPath() + "B.EXP");

    form.LoadSchema("Artikel");
    EXPECT_FALSE(form.controls.appendEnabled || form.controls.optionsEnabled);
    // A definition written on Windows shows its path in this platform's form.
    EXPECT_EQ(form.controls.fileName, home.file("data") + "/Ausgabe/a.txt");

    // The display name compares exactly: no file, a report, the controls enabled all the same.
    form.LoadSchema("kunden");
    EXPECT_EQ(form.PropertiesFile(), "");
    EXPECT_EQ(Calls("ReportError").size(), 1u);
    EXPECT_TRUE(form.controls.okEnabled);
}

TEST_F(ExportFormTest, WithoutDefinitionsOnlyTheListIsOfUse) {
    ExportForm form(State(), Services());
    form.controls.protocolChecked = false;
    form.Activate();
    EXPECT_TRUE(form.controls.schemaList.empty());
    EXPECT_FALSE(form.controls.okEnabled || form.controls.fileNameEnabled ||
                 form.controls.optionsEnabled || form.controls.appendEnabled);
    // F9 before a definition is chosen: a warning naming the field, no error.
    EXPECT_FALSE(form.ExportData());
    EXPECT_EQ(StoredProtocolSwitch(), "0");
    EXPECT_TRUE(Calls("ReportError").empty());
    const auto warnings = Calls("ShowMessage");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text, kChooseDefinitionMessage);
    EXPECT_EQ(warnings[0].style, 3);
}

// The cases of cases/export_data.tsv; the folder "ordner" and the file "datei.txt" are there.
TEST_F(ExportFormTest, ExportDataChecksAfterStoringTheSwitches) {
    std::filesystem::create_directories(home.file("ordner"));
    WriteBytes(home.file("datei.txt"), "bleibt");
    for (const CaseRow& row : ReadCases("forms/cases/export_data.tsv")) {
        SCOPED_TRACE(row.where);
        WriteBytes(exportPath() + "K.EXP",
                   Definition("Kunden", "Dateiname=alt\nAllowEmptySelection=" + row[0],
                              "[Selektion]\nSel01=\"Angelegt\";\"datum\";2;10;\"\";\"\";\"\"\n"));
        messages->calls.clear();
        ExportForm form(State(), Services());
        form.Activate();
        form.LoadSchema("Kunden");
        form.Selection().SetEntry("Angelegt", row[1]);
        form.controls.protocolChecked = row[3].empty();
        form.controls.appendChecked = true;
        const auto filled = [&](const std::string& text) {
            return Filled(text, {{"{HOME}", home.path().string()}});
        };
        const std::string file = filled(row[2].empty() ? "{HOME}/k.txt" : row[2]);
        form.controls.fileName = file;

        EXPECT_EQ(form.ExportData(), row[3].empty());
        EXPECT_EQ(StoredProtocolSwitch(), row[3].empty() ? "1" : "0");
        const TQExport& engine = form.Export();
        EXPECT_EQ(engine.ExpDef->Anfügen, "J");
        std::string said;
        for (const auto& call : messages->calls) {
            said += call.kind == "ShowMessage" ? call.text
                                               : std::to_string(call.number) + " " + call.text;
            // Entry mistakes are warnings, never error reports.
            EXPECT_EQ(call.style, 3);
        }
        EXPECT_TRUE(Matches(said, filled(row[3]))) << said;
        // Nothing handed over on a refusal: the entered name stays in the field for correction.
        EXPECT_EQ(form.controls.fileName, file);
        EXPECT_EQ(engine.ExpDef->Dateiname, row[3].empty() ? file : "alt");
        EXPECT_EQ(engine.SQLWhere, row[3].empty() ? form.Selection().Condition() : "");
        // The date criterion's bounds go with the run, for its DatumVon and DatumBis.
        const DatePeriod period = SelectedPeriod(form.Selection().Criteria);
        EXPECT_TRUE(engine.PeriodFrom == (row[3].empty() ? period.from : std::nullopt) &&
                    engine.PeriodTo == (row[3].empty() ? period.to : std::nullopt));
    }
    EXPECT_EQ(ReadBytes(home.file("datei.txt")), "bleibt");
}

// The cases of cases/reversed_ranges.tsv.
TEST_F(ExportFormTest, AReversedDateOrNumberRangeIsNamedTheRestIsLeftToTheCondition) {
    for (const CaseRow& row : ReadCases("forms/cases/reversed_ranges.tsv")) {
        SCOPED_TRACE(row.where);
        CriterionList criteria;
        criteria.Add("a").Entry = "1..2";
        Criterion& criterion = criteria.Add("b");
        criterion.Label = "Belegdatum";
        criterion.ValueKind = std::stoi(row[0]);
        criterion.Entry = row[1];
        const auto warning = ReversedRangeWarning(criteria);
        EXPECT_EQ(warning.value_or("").substr(0, warning.value_or("").find(" beginnt")),
                  row[2].empty() ? "" : "Auswahl \"Belegdatum\": Der Bereich \"" + row[2] + "\"");
    }
}

}  // namespace
}  // namespace norvik::test
