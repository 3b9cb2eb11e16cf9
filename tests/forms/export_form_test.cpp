#include "forms/export_form.h"

#include <gtest/gtest.h>

#include "host/module_state.h"
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

TEST_F(ExportFormTest, TypBitsGiveValueAndListKindUntilAColumnRepeats) {
    const struct {
        int32_t typ;
        int32_t valueKind;
        int32_t listKind;
    } cases[] = {{0, 0, 0},   {2, 1, 0},   {4, 2, 0},   {6, 1, 0},   {64, 0, 2},
                 {128, 0, 1}, {192, 0, 2}, {198, 1, 2}, {132, 2, 1}, {1 | 8 | 16 | 32 | 256, 0, 0}};
    ExportForm form(State(), Services());
    form.Export().ExpDef = std::make_shared<TQExportDef>();
    const std::string columns[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "B", "k"};
    for (size_t i = 0; i < std::size(columns); ++i) {
        auto sel = std::make_shared<TQSelection>();
        sel->ControlSource = columns[i];
        sel->Caption = "Titel " + columns[i];
        sel->Typ = i < std::size(cases) ? cases[i].typ : 0;
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
        SCOPED_TRACE(cases[i].typ);
        const Criterion& got = form.Selection().Criteria.Item(i + 1);
        EXPECT_EQ(got.ValueKind, cases[i].valueKind);
        EXPECT_EQ(got.ListKind, cases[i].listKind);
        EXPECT_EQ(got.RowSource, cases[i].listKind == 2 ? "AUSK_Quelle" : "Quelle");
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

TEST_F(ExportFormTest, ExportDataChecksAfterStoringTheSwitches) {
    const std::string kNeedSelection = "Bitte geben Sie Selektionskriterien an!";
    const struct {
        const char* allowEmpty;
        const char* entry;  // of the date criterion
        const char* folder;
        std::string refusal;  // the message or the report; empty: the run may start
    } cases[] = {
        {"n", "", "", kNeedSelection},
        {"N", "  ", "", kNeedSelection},
        {"0", "", "", kNeedSelection},
        {"J", "", "", ""},
        {"1", "", "", ""},
        {"", "", "", ""},
        {"N", "31.12.2004", "", ""},
        {"J", "31.12.2004", "/nicht/da", "Der angegebene Pfad existiert nicht!"},
        {"J", "31.02.2005", "",
         "Auswahl \"Angelegt\": \"31.02.2005\" ist kein gültiges Datum (TT.MM.JJJJ)."},
        {"J", "1..", "", "Auswahl \"Angelegt\": Im Bereich \"1..\" fehlt der Von- oder Bis-Wert."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.allowEmpty) + "|" + c.entry);
        WriteBytes(
            exportPath() + "K.EXP",
            Definition("Kunden", std::string("Dateiname=alt\nAllowEmptySelection=") + c.allowEmpty,
                       "[Selektion]\nSel01=\"Angelegt\";\"datum\";2;10;\"\";\"\";\"\"\n"));
        messages->calls.clear();
        ExportForm form(State(), Services());
        form.Activate();
        form.LoadSchema("Kunden");
        form.Selection().SetEntry("Angelegt", c.entry);
        form.controls.protocolChecked = c.refusal.empty();
        form.controls.appendChecked = true;
        form.controls.fileName = (*c.folder ? c.folder : home.path().string()) + "/k.txt";

        EXPECT_EQ(form.ExportData(), c.refusal.empty());
        EXPECT_EQ(StoredProtocolSwitch(), c.refusal.empty() ? "1" : "0");
        const TQExport& engine = form.Export();
        EXPECT_EQ(engine.ExpDef->Anfügen, "J");
        std::string said;
        for (const auto& call : messages->calls) {
            said += call.kind == "ShowMessage" ? call.text
                                               : std::to_string(call.number) + " " + call.text;
            // Entry mistakes are warnings, never error reports.
            EXPECT_EQ(call.style, 3);
        }
        EXPECT_EQ(said, c.refusal);
        EXPECT_EQ(engine.ExpDef->Dateiname, c.refusal.empty() ? form.controls.fileName : "alt");
        EXPECT_EQ(engine.SQLWhere, c.refusal.empty() ? form.Selection().Condition() : "");
    }
}

}  // namespace
}  // namespace norvik::test
