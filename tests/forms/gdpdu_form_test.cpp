#include "forms/gdpdu_form.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "host/module_state.h"
#include "support/gdpdu_profile.h"
#include "support/session/session_fixture.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;
using GdpduFormTest = SessionFixture;

DateTime Day(int32_t year, int32_t month, int32_t day) {
    return DateTime{year, month, day, 0, 0, 0};
}

std::string Stored(const std::string& key) {
    return State().Settings().ReadValue("TQBExport", key, "tester", "unset");
}

class GdpduForms : public GdpduFormTest {
  protected:
    // A profile named name in the export folder, one table per caption, each its own definition.
    void Profile(const std::string& file, const std::string& name, const std::string& folder,
                 const std::vector<std::string>& captions) {
        WriteGdpduProfile(exportPath(), file, name, folder, captions);
    }
    void SetUp() override {
        GdpduFormTest::SetUp();
        WriteKontenDefinitions(home);
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> texts;
        for (const auto& call : Calls("ShowMessage")) texts.push_back(call.text);
        return texts;
    }
};

TEST_F(GdpduForms, TheDefaultPeriodIsTheYearOfToday) {
    const struct {
        DateTime today;
        const char* von;
        const char* bis;
    } cases[] = {{Day(2026, 3, 15), "01.01.2026", "31.12.2026"},
                 {Day(1999, 12, 31), "01.01.1999", "31.12.1999"},
                 {Day(2027, 1, 1), "01.01.2027", "31.12.2027"}};
    for (const auto& c : cases) {
        GdpduForm form(State(), Services(), [&] { return c.today; });
        form.Activate();
        EXPECT_EQ(form.controls.dateVon + "-" + form.controls.dateBis,
                  std::string(c.von) + "-" + c.bis);
    }
}

TEST_F(GdpduForms, WithoutAProfileOnlyCancelLeadsOn) {
    GdpduForm form(State(), Services());
    form.Activate();
    EXPECT_TRUE(form.controls.schemaList.empty());
    EXPECT_TRUE(form.controls.tables.empty());
    EXPECT_FALSE(form.controls.okEnabled || form.controls.pathEnabled ||
                 form.controls.tablesEnabled);
}

TEST_F(GdpduForms, AnotherProfileReloadsFolderAndTablesButKeepsThePeriod) {
    Profile("A.GDU", "Prüfung A", "/a", {"Konten"});
    Profile("B.GDU", "Prüfung B", "/b", {"Sachkonten", "Debitoren"});
    State().Settings().WriteValue("TQBExport", "Prüfung B_Debitoren", "0", "tester");
    GdpduForm form(State(), Services(), [] { return Day(2026, 3, 15); });
    form.Activate();
    EXPECT_EQ(form.controls.schemaList, (std::vector<std::string>{"Prüfung A", "Prüfung B"}));
    EXPECT_EQ(form.controls.schema, "Prüfung A");
    EXPECT_EQ(form.controls.path, "/a");
    EXPECT_TRUE(form.controls.okEnabled && form.controls.pathEnabled &&
                form.controls.tablesEnabled);

    form.controls.dateVon = "01.07.2025";
    form.LoadSchema("Prüfung B");
    EXPECT_EQ(form.controls.path, "/b");
    ASSERT_EQ(form.controls.tables.size(), 2u);
    EXPECT_EQ(form.controls.tables[0].caption + form.controls.tables[1].caption,
              "SachkontenDebitoren");
    EXPECT_TRUE(form.controls.tables[0].selected);
    EXPECT_FALSE(form.controls.tables[1].selected);
    EXPECT_EQ(form.controls.dateVon + "-" + form.controls.dateBis, "01.07.2025-31.12.2026");
}

TEST_F(GdpduForms, EqualCaptionsShareALineAndItsTickIsStoredEvenWithoutTheFolder) {
    Profile("A.GDU", "P", "/gibt/es/nicht", {"Konten", "Sachkonten", "Konten"});
    State().Settings().WriteValue("TQBExport", "P_Konten", "0", "tester");
    GdpduForm form(State(), Services());
    form.Activate();
    ASSERT_EQ(form.controls.tables.size(), 2u);
    EXPECT_EQ(form.controls.tables[0].caption, "Konten");
    EXPECT_FALSE(form.controls.tables[0].selected);

    form.SelectAll(false);
    form.controls.tables[0].selected = true;
    // A missing folder is offered for creation; "Nein" builds nothing and keeps the dialog.
    EXPECT_EQ(form.ExportData(), GdpduOk::FolderRefused);
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{
                  "Der Ordner /gibt/es/nicht existiert nicht.\nSoll er angelegt werden?"}));
    EXPECT_EQ(Calls("ShowMessage")[0].style, 3);
    EXPECT_EQ(Calls("ShowMessage")[0].buttons, kButtonsYesNo);
    EXPECT_EQ(Stored("P_Konten") + Stored("P_Sachkonten"), "10");
    const auto& tables = *form.Gdpdu().GxpFiles;
    EXPECT_TRUE(tables.Item(1)->Selected && tables.Item(3)->Selected);
    EXPECT_FALSE(tables.Item(2)->Selected);
    EXPECT_EQ(form.Gdpdu().LastOutcome(), GdpduOutcome::NotRun);
}

TEST_F(GdpduForms, AFileAsTheFolderIsRefusedWithoutTheOfferToCreateIt) {
    const std::string file = home.file("medium.txt");
    WriteBytes(file, "eine Datei");
    Profile("A.GDU", "P", file, {"Konten"});
    GdpduForm form(State(), Services());
    form.Activate();
    EXPECT_EQ(form.ExportData(), GdpduOk::FolderRefused);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Der Pfad " + file +
                                                 " ist eine Datei, kein Ordner. Bitte geben Sie "
                                                 "im Feld \"Pfad\" einen Ausgabeordner an."}));
    EXPECT_EQ(ReadBytes(file), "eine Datei");
}

TEST_F(GdpduForms, AnInvalidPeriodIsRefusedBeforeAnythingIsStored) {
    const char* const kNoVon =
        "Bitte geben Sie den Zeitraum mit gültigen Daten (TT.MM.JJJJ) an! Das Feld \"Zeitraum "
        "von\" enthält kein gültiges Datum.";
    const char* const kNoBis =
        "Bitte geben Sie den Zeitraum mit gültigen Daten (TT.MM.JJJJ) an! Das Feld \"bis\" "
        "enthält kein gültiges Datum.";
    Profile("A.GDU", "P", home.file("medium"), {"Konten"});
    fs::create_directories(home.file("medium"));
    const struct {
        const char* von;
        const char* bis;
        const char* message;
    } cases[] = {
        {"01.02.2026", "31.01.2026",
         "Der Zeitraum beginnt nach seinem Ende: \"von\" (01.02.2026) liegt nach \"bis\" "
         "(31.01.2026)!"},
        {"", "31.12.2026", kNoVon},
        {"01.01.2026", "31.02.2026", kNoBis},
        {"12:00", "31.12.2026", kNoVon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.von + std::string("-") + c.bis);
        messages->calls.clear();
        GdpduForm form(State(), Services());
        form.Activate();
        form.SelectAll(false);
        form.controls.dateVon = c.von;
        form.controls.dateBis = c.bis;
        EXPECT_EQ(form.ExportData(), GdpduOk::PeriodRefused);
        EXPECT_EQ(Shown(), (std::vector<std::string>{c.message}));
        EXPECT_EQ(Stored("P_Konten"), "unset");
        EXPECT_TRUE(form.Gdpdu().GxpFiles->Item(1)->Selected);
        EXPECT_EQ(form.Gdpdu().LastOutcome(), GdpduOutcome::NotRun);
        EXPECT_FALSE(fs::exists(home.file("medium/Index.xml")));
    }
}

TEST_F(GdpduForms, NoTickedTableIsAWarningBeforeAnythingIsStoredOrBuilt) {
    Profile("A.GDU", "P", home.file("medium"), {"Konten", "Sachkonten"});
    fs::create_directories(home.file("medium"));
    GdpduForm form(State(), Services());
    form.Activate();
    form.SelectAll(false);
    form.controls.dateVon = "01.01.2025";
    EXPECT_EQ(form.ExportData(), GdpduOk::TablesRefused);
    EXPECT_EQ(Shown(), (std::vector<std::string>{kNoTableMessage}));
    EXPECT_EQ(Calls("ShowMessage")[0].style, 3);
    EXPECT_TRUE(Calls("ReportError").empty());
    EXPECT_EQ(Stored("P_Konten") + Stored("P_Sachkonten"), "unsetunset");
    EXPECT_EQ(form.Gdpdu().LastOutcome(), GdpduOutcome::NotRun);
    // What was entered stays for the correction.
    EXPECT_EQ(form.controls.dateVon, "01.01.2025");
    EXPECT_EQ(form.controls.tables.size(), 2u);
}

TEST_F(GdpduForms, AFolderTypedWithoutSeparatorReceivesTheMedium) {
    fs::copy_file(PublishedDtd(), exportPath() + "gdpdu-01-08-2002.dtd");
    Sql("CREATE TABLE konten (nr INTEGER, name TEXT)");
    Sql("INSERT INTO konten VALUES (1000, 'Kasse'), (1200, 'Bank')");
    Profile("A.GDU", "P", "/anderswo", {"Konten"});
    const std::string medium = home.file("medium");
    fs::create_directories(medium);
    GdpduForm form(State(), Services(), [] { return Day(2026, 3, 15); });
    form.Activate();
    form.ChooseFolder("");
    EXPECT_EQ(form.controls.path, "/anderswo");
    form.ChooseFolder(medium);
    form.controls.handoverZip = true;
    EXPECT_EQ(form.ExportData(), GdpduOk::Built);
    EXPECT_TRUE(form.Gdpdu().HandoverZip);
    EXPECT_EQ(form.Gdpdu().Pfad, medium);
    EXPECT_EQ(form.Gdpdu().DatumVon, Day(2026, 1, 1));
    EXPECT_EQ(form.Gdpdu().DatumBis, Day(2026, 12, 31));
    EXPECT_EQ(form.Gdpdu().GxpFiles->Item(1)->Export->ExpDef->Dateiname, medium + "/konten1.txt");
    EXPECT_EQ(ReadBytes(medium + "/konten1.txt"), "1000;\"Kasse\"\r\n1200;\"Bank\"\r\n");
    EXPECT_TRUE(fs::exists(medium + "/Index.xml"));
    EXPECT_NE(form.Gdpdu().LastOutcome(), GdpduOutcome::NotRun);
    EXPECT_EQ(Stored("P_Konten"), "1");
    // The packing choice is remembered for the profile.
    GdpduForm again(State(), Services());
    again.Activate();
    EXPECT_TRUE(again.controls.handoverZip);
}

}  // namespace
}  // namespace norvik::test
