#include "forms/gdpdu_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "host/module_state.h"
#include "support/cases.h"
#include "support/gdpdu_profile.h"
#include "support/session/session_fixture.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;
std::string Stored(const std::string& key) {
    return State().Settings().ReadValue("TQBExport", key, "tester", "unset");
}

class GdpduForms : public SessionFixture {
  protected:
    void SetUp() override {
        SessionFixture::SetUp();
        WriteKontenDefinitions(home);
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> texts;
        for (const auto& call : Calls("ShowMessage")) texts.push_back(call.text);
        return texts;
    }
};

TEST_F(GdpduForms, TheDefaultPeriodIsTheYearOfToday) {
    for (const auto& [day, year] :
         std::vector<std::pair<DateTime, std::string>>{{DateTime{2026, 3, 15}, "2026"},
                                                       {DateTime{1999, 12, 31}, "1999"},
                                                       {DateTime{2027, 1, 1}, "2027"}}) {
        const DateTime today = day;
        GdpduForm form(State(), Services(), [today] { return today; });
        form.Activate();
        EXPECT_EQ(form.controls.dateVon + "-" + form.controls.dateBis,
                  "01.01." + year + "-31.12." + year);
    }
}

TEST_F(GdpduForms, AnotherProfileReloadsFolderAndTablesButKeepsThePeriod) {
    WriteGdpduProfile(exportPath(), "A.GDU", "Prüfung A", "/a", {"Konten"});
    WriteGdpduProfile(exportPath(), "B.GDU", "Prüfung B", "/b", {"Sachkonten", "Debitoren"});
    State().Settings().WriteValue("TQBExport", "Prüfung B_Debitoren", "0", "tester");
    GdpduForm form(State(), Services(), [] { return DateTime{2026, 3, 15}; });
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
    WriteGdpduProfile(exportPath(), "A.GDU", "P", "/gibt/es/nicht",
                      {"Konten", "Sachkonten", "Konten"});
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

// The cases of cases/gdpdu_refusals.tsv: each refusal keeps what was entered and builds nothing;
// one of the period or the tables stores no tick.
TEST_F(GdpduForms, ARefusalStoresAndBuildsNothing) {
    WriteBytes(home.file("medium.txt"), "eine Datei");
    fs::create_directories(home.file("medium"));
    const std::map<std::string, GdpduOk> outcomes = {{"period", GdpduOk::PeriodRefused},
                                                     {"folder", GdpduOk::FolderRefused},
                                                     {"tables", GdpduOk::TablesRefused}};
    for (const CaseRow& row : ReadCases("forms/cases/gdpdu_refusals.tsv")) {
        SCOPED_TRACE(row.where);
        const auto filled = [&](const std::string& text) {
            return Filled(text, {{"{HOME}", home.path().string()}});
        };
        WriteGdpduProfile(exportPath(), "A.GDU", "P", filled(row[0]), {"Konten", "Sachkonten"});
        messages->calls.clear();
        GdpduForm form(State(), Services(), [] { return DateTime{2026, 3, 15}; });
        form.Activate();
        form.SelectAll(row[3] == "1");
        if (!row[1].empty() || !row[2].empty()) {
            form.controls.dateVon = row[1];
            form.controls.dateBis = row[2];
        }
        const std::string von = form.controls.dateVon;
        EXPECT_EQ(form.ExportData(), outcomes.at(row[4]));
        EXPECT_EQ(Shown(), (std::vector<std::string>{filled(row[5])}));
        EXPECT_EQ(Calls("ShowMessage")[0].style, 3);
        EXPECT_TRUE(Calls("ReportError").empty());
        if (row[4] != "folder") {
            EXPECT_EQ(Stored("P_Konten") + Stored("P_Sachkonten"), "unsetunset");
        }
        if (row[4] == "period") {
            EXPECT_TRUE(form.Gdpdu().GxpFiles->Item(1)->Selected);
        }
        EXPECT_EQ(form.Gdpdu().LastOutcome(), GdpduOutcome::NotRun);
        EXPECT_FALSE(fs::exists(home.file("medium/Index.xml")));
        EXPECT_EQ(form.controls.dateVon, von);
        EXPECT_EQ(form.controls.tables.size(), 2u);
    }
    EXPECT_EQ(ReadBytes(home.file("medium.txt")), "eine Datei");
}

TEST_F(GdpduForms, AFolderTypedWithoutSeparatorReceivesTheMedium) {
    fs::copy_file(PublishedDtd(), exportPath() + "gdpdu-01-08-2002.dtd");
    Sql("CREATE TABLE konten (nr INTEGER, name TEXT)");
    Sql("INSERT INTO konten VALUES (1000, 'Kasse'), (1200, 'Bank')");
    WriteGdpduProfile(exportPath(), "A.GDU", "P", "/anderswo", {"Konten"});
    const std::string medium = home.file("medium");
    fs::create_directories(medium);
    GdpduForm form(State(), Services(), [] { return DateTime{2026, 3, 15}; });
    form.Activate();
    form.ChooseFolder("");
    EXPECT_EQ(form.controls.path, "/anderswo");
    form.ChooseFolder(medium);
    form.controls.handoverZip = true;
    EXPECT_EQ(form.ExportData(), GdpduOk::Built);
    EXPECT_TRUE(form.Gdpdu().HandoverZip);
    EXPECT_EQ(form.Gdpdu().Pfad, medium);
    EXPECT_EQ(form.Gdpdu().DatumVon, (DateTime{2026, 1, 1}));
    EXPECT_EQ(form.Gdpdu().DatumBis, (DateTime{2026, 12, 31}));
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
