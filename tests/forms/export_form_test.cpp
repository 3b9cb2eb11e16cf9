#include "forms/export_form.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "forms/build_sel.h"
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

TEST_F(ExportFormTest, TypBitsGiveValueAndListKind) {
    const struct {
        int32_t typ;
        int32_t valueKind;
        int32_t listKind;
        const char* rowSource;
    } cases[] = {
        {0, 0, 0, "Quelle"},        {2, 1, 0, "Quelle"},
        {4, 2, 0, "Quelle"},        {6, 1, 0, "Quelle"},
        {64, 0, 2, "AUSK_Quelle"},  {128, 0, 1, "Quelle"},
        {192, 0, 2, "AUSK_Quelle"}, {198, 1, 2, "AUSK_Quelle"},
        {132, 2, 1, "Quelle"},      {1 | 8 | 16 | 32 | 256, 0, 0, "Quelle"},
    };
    ExportForm form;
    form.Export().ExpDef = std::make_shared<TQExportDef>();
    for (const auto& c : cases) {
        auto sel = std::make_shared<TQSelection>();
        sel->ControlSource = "spalte" + std::to_string(c.typ);
        sel->Caption = "Titel " + std::to_string(c.typ);
        sel->Typ = c.typ;
        sel->RowSource = "Quelle";
        sel->BoundField = "Feld";
        form.Export().ExpDef->AddSel(sel);
    }
    int shown = 0;
    form.Selection().criteriaShown = [&] { ++shown; };
    form.BuildSel();
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(form.Selection().Criteria.Count(), 10);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typ);
        const Criterion& got = form.Selection().Criteria.Item("Spalte" + std::to_string(c.typ));
        EXPECT_EQ(got.ValueKind, c.valueKind);
        EXPECT_EQ(got.ListKind, c.listKind);
        EXPECT_EQ(got.RowSource, c.rowSource);
        EXPECT_EQ(got.Label, "Titel " + std::to_string(c.typ));
        EXPECT_EQ(got.Caption, got.Label);
        EXPECT_EQ(got.BoundField, "Feld");
    }
}

TEST_F(ExportFormTest, AColumnOfferedTwiceEndsBuildSelWithAReport) {
    ExportForm form;
    form.Export().ExpDef = std::make_shared<TQExportDef>();
    for (const char* column : {"ort", "name", "Ort", "betrag"}) {
        auto sel = std::make_shared<TQSelection>();
        sel->ControlSource = column;
        form.Export().ExpDef->AddSel(sel);
    }
    int shown = 0;
    form.Selection().criteriaShown = [&] { ++shown; };
    form.BuildSel();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(form.Selection().Criteria.Count(), 2);
    const auto reports = Calls("ReportError");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].className, "frmExport");
    EXPECT_EQ(reports[0].operation, "BuildSel");
    EXPECT_EQ(reports[0].number, 457);
}

TEST_F(ExportFormTest, TheLastDefinitionOfADisplayNameIsLoaded) {
    WriteBytes(exportPath() + "A.EXP", Definition("Kunden", "Dateiname=a.txt\nAnfuegen=J"));
    WriteBytes(exportPath() + "B.EXP", Definition("Kunden", "Dateiname=b.txt\nAnfuegenAenderbar=J",
                                                  "[Parameter]\nMandant=\"Mandant\",\"1\"\n"));
    WriteBytes(exportPath() + "C.EXP",
               Definition("Artikel", "Dateiname=c.txt\nAnfuegenAenderbar=j"));
    ExportForm form;
    form.Activate();
    EXPECT_EQ(form.controls.schemaList, (std::vector<std::string>{"Kunden", "Kunden", "Artikel"}));
    EXPECT_FALSE(form.Selection().Enabled);
    EXPECT_FALSE(form.controls.okEnabled);

    form.LoadSchema("Kunden");
    EXPECT_EQ(form.controls.fileName, "b.txt");
    EXPECT_FALSE(form.controls.appendChecked);
    EXPECT_TRUE(form.controls.appendEnabled);
    EXPECT_TRUE(form.controls.optionsEnabled);
    EXPECT_TRUE(form.controls.okEnabled && form.controls.fileNameEnabled &&
                form.controls.protocolEnabled && form.Selection().Enabled);
    EXPECT_EQ(form.PropertiesFile(), exportPath() + "B.EXP");

    form.LoadSchema("Artikel");
    EXPECT_FALSE(form.controls.appendEnabled);
    EXPECT_FALSE(form.controls.optionsEnabled);

    // The display name compares exactly: no file, a report, the controls enabled all the same.
    form.LoadSchema("kunden");
    EXPECT_EQ(form.PropertiesFile(), "");
    EXPECT_EQ(Calls("ReportError").size(), 1u);
    EXPECT_TRUE(form.controls.okEnabled);
}

TEST_F(ExportFormTest, WithoutDefinitionsNothingButTheListIsOfUse) {
    ExportForm form;
    form.controls.protocolChecked = false;
    form.Activate();
    EXPECT_TRUE(form.controls.schemaList.empty());
    EXPECT_FALSE(form.controls.okEnabled || form.controls.fileNameEnabled ||
                 form.controls.optionsEnabled || form.controls.appendEnabled);
    EXPECT_FALSE(form.ExportData());
    EXPECT_EQ(StoredProtocolSwitch(), "0");
    const auto reports = Calls("ReportError");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].operation, "ExportData");
    EXPECT_EQ(reports[0].number, 91);
}

TEST_F(ExportFormTest, ExportDataChecksSelectionAndFolderAfterStoringTheSwitches) {
    const struct {
        const char* allowEmpty;
        const char* entry;
        const char* folder;   // nullptr: the session's home
        const char* message;  // nullptr: the run may start
    } cases[] = {
        {"n", "", nullptr, "Bitte geben Sie Selektionskriterien an!"},
        {"N", "  ", nullptr, "Bitte geben Sie Selektionskriterien an!"},
        {"0", "", nullptr, "Bitte geben Sie Selektionskriterien an!"},
        {"J", "", nullptr, nullptr},
        {"1", "", nullptr, nullptr},
        {"", "", nullptr, nullptr},
        {"N", "Bonn", nullptr, nullptr},
        {"0", "B*", nullptr, nullptr},
        {"J", "Bonn", "/nicht/da", "Der angegebene Pfad existiert nicht!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.allowEmpty) + "|" + c.entry);
        WriteBytes(exportPath() + "K.EXP",
                   Definition("Kunden",
                              std::string("Dateiname=alt.txt\nAllowEmptySelection=") + c.allowEmpty,
                              "[Selektion]\nSel01=\"Ort\";\"ort\";0;10;\"\";\"\";\"\"\n"));
        messages->calls.clear();
        ExportForm form;
        form.Activate();
        form.LoadSchema("Kunden");
        form.Selection().SetEntry("Ort", c.entry);
        form.controls.protocolChecked = !c.message;
        form.controls.appendChecked = true;
        form.controls.fileName =
            (c.folder ? std::string(c.folder) : home.path().string()) + "/k.txt";

        EXPECT_EQ(form.ExportData(), !c.message);
        EXPECT_EQ(StoredProtocolSwitch(), c.message ? "0" : "1");
        const TQExport& engine = form.Export();
        EXPECT_EQ(engine.ExpDef->Anfügen, "J");
        const auto shown = Calls("ShowMessage");
        if (c.message) {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, c.message);
            EXPECT_EQ(engine.ExpDef->Dateiname, "alt.txt");
        } else {
            EXPECT_TRUE(shown.empty());
            EXPECT_EQ(engine.ExpDef->Dateiname, form.controls.fileName);
            EXPECT_EQ(engine.SQLWhere, form.Selection().Condition());
        }
    }
}

TEST_F(ExportFormTest, ARefusedEntryIsReportedAfterStoringTheSwitches) {
    WriteBytes(exportPath() + "K.EXP",
               Definition("Kunden", "Dateiname=alt.txt",
                          "[Selektion]\nSel01=\"Angelegt\";\"datum\";2;10;\"\";\"\";\"\"\n"));
    ExportForm form;
    form.Activate();
    form.LoadSchema("Kunden");
    form.Selection().SetEntry("Angelegt", "31.02.2005");
    form.controls.protocolChecked = false;
    form.controls.appendChecked = true;
    form.controls.fileName = home.file("k.txt");
    EXPECT_FALSE(form.ExportData());
    EXPECT_EQ(StoredProtocolSwitch(), "0");
    EXPECT_EQ(form.Export().ExpDef->Anfügen, "J");
    EXPECT_EQ(form.Export().ExpDef->Dateiname, "alt.txt");
    const auto reports = Calls("ReportError");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].number, 13);
    EXPECT_EQ(reports[0].text,
              "Auswahl \"Angelegt\": \"31.02.2005\" ist kein gültiges Datum (TT.MM.JJJJ).");
}

}  // namespace
}  // namespace norvik::test
