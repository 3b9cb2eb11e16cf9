#include "gdpdu/tq_gdpdu.h"

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "host/module_state.h"
#include "host/user_settings.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

using test::DefinitionBytes;
using test::WriteBytes;

class GdpduProfileTest : public test::SessionFixture {
  protected:
    void SetUp() override {
        SessionFixture::SetUp();
        for (const char* name : {"Kunden", "Konten", "Artikel"})
            WriteBytes(home.file(std::string("data/") + name + ".EXP"),
                       DefinitionBytes(std::string("[Allgemein]\nName=Def ") + name +
                                       "\nDatenquelle=" + name + "\nDateiname=" + name +
                                       ".txt\n[DATENSATZ]\nFIELD Nr,N,,0,PK,,,\n"));
    }
    // Writes the profile (UTF-8 lines) into the export folder and loads it.
    void Load(const std::string& text) {
        WriteBytes(exportPath() + "TEST.GDU", DefinitionBytes(text));
        gdpdu.LoadFile(exportPath() + "TEST.GDU");
    }
    std::vector<RecordingHostMessages::Call> Calls(const std::string& kind) const {
        std::vector<RecordingHostMessages::Call> found;
        for (const auto& c : messages->calls)
            if (c.kind == kind) found.push_back(c);
        return found;
    }

    TQGDPdU gdpdu{State(), Services()};
};

TEST_F(GdpduProfileTest, EntriesAreKeyedByTheirFileNameIgnoringCase) {
    TQGxpFiles files;
    const auto entry = [](const char* fileName) {
        auto e = std::make_shared<TQGxpFile>();
        e->FileName = fileName;
        return e;
    };
    const auto kunden = files.Add(entry("%DataPath%\\Kunden.EXP"));
    ASSERT_NE(kunden, nullptr);
    EXPECT_EQ(files.Add(entry("%datapath%\\KUNDEN.exp")), nullptr);
    EXPECT_TRUE(Calls("ShowMessage").empty());  // the caller tells the user
    EXPECT_EQ(files.Add(entry("%DataPath%\\Konten.EXP"))->FileName, "%DataPath%\\Konten.EXP");
    EXPECT_EQ(files.Item("%DATAPATH%\\kunden.exp"), kunden);
    files.Remove("%DataPath%\\KUNDEN.EXP");
    ASSERT_EQ(files.Count(), 1);
    EXPECT_EQ(files.Item(1)->FileName, "%DataPath%\\Konten.EXP");
}

TEST_F(GdpduProfileTest, ANewProfileIsEmpty) {
    EXPECT_EQ(gdpdu.GxpFiles->Count(), 0);
    EXPECT_EQ(gdpdu.Schnittstelle, "");
    EXPECT_EQ(gdpdu.Pfad, "");
    EXPECT_EQ(gdpdu.DatumVon, DateTime{});
    EXPECT_EQ(gdpdu.DatumBis, DateTime{});
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::NotRun);
}

TEST_F(GdpduProfileTest, ReadsNamesFolderAndTables) {
    Load(
        "[Allgemein]\nName=Finanzbuchhaltung\nPfad=%DataPath%GDPdU\n[Dateien]\n"
        "File01=%DataPath%\\Kunden.EXP;Datum >= $DatumVon;;Kunden;Kunden vom $DatumVon\n"
        "File03=%DataPath%\\Konten.EXP;;Kontenplan;Konten;Kontenplan;sechstes Feld\n"
        "File13=%DataPath%\\Artikel.EXP;;Artikel;Artikel;nie gelesen\n");
    EXPECT_TRUE(messages->calls.empty());
    EXPECT_EQ(gdpdu.Schnittstelle, "Finanzbuchhaltung");
    EXPECT_EQ(gdpdu.Pfad, State().commonUserDataFolder + "GDPdU");
    EXPECT_EQ(gdpdu.Pfad, home.file("data") + "/GDPdU");  // inside the data folder
    ASSERT_EQ(gdpdu.GxpFiles->Count(), 2);

    const auto& kunden = gdpdu.GxpFiles->Item(1);
    EXPECT_EQ(kunden->FileName, "%DataPath%\\Kunden.EXP");
    EXPECT_EQ(kunden->SQLString, "Datum >= $DatumVon");
    EXPECT_EQ(kunden->Caption, "Kunden");
    EXPECT_EQ(kunden->TableName, "Kunden");
    EXPECT_EQ(kunden->TableDesc, "Kunden vom $DatumVon");
    EXPECT_TRUE(kunden->Selected);
    EXPECT_EQ(kunden->Export->Mode, cTQGDPdU);
    EXPECT_EQ(kunden->Export->ExpDef->Schnittstelle, "Def Kunden");

    const auto& konten = gdpdu.GxpFiles->Item(2);
    EXPECT_EQ(konten->Caption, "Kontenplan");
    EXPECT_EQ(konten->TableDesc, "Kontenplan");
    EXPECT_EQ(konten->Export->ExpDef->Schnittstelle, "Def Konten");
    EXPECT_EQ(gdpdu.GxpFiles->Item("%datapath%\\konten.exp"), konten);
}

TEST_F(GdpduProfileTest, InterfaceNameFallsBackToSchnittstelle) {
    Load("[Allgemein]\nName=\nSchnittstelle=FIBU\n");
    EXPECT_EQ(gdpdu.Schnittstelle, "FIBU");
    Load("[Allgemein]\nName=Lohn\nSchnittstelle=FIBU\n");
    EXPECT_EQ(gdpdu.Schnittstelle, "Lohn");
}

TEST_F(GdpduProfileTest, TheRememberedFolderWins) {
    SaveSetting("TQBExport", "Schnittstelle", "FIBU", "D:\\Pruefung");
    Load("[Allgemein]\nName=FIBU\nPfad=%DataPath%GDPdU\n");
    EXPECT_EQ(gdpdu.Pfad, "D:\\Pruefung");
    Load("[Allgemein]\nName=Andere\nPfad=C:\\Out\n");
    EXPECT_EQ(gdpdu.Pfad, "C:\\Out");
}

TEST_F(GdpduProfileTest, RememberedSelections) {
    State().hostSettings->WriteValue("TQBExport", "FIBU_Kunden", "0", "tester");
    State().hostSettings->WriteValue("TQBExport", "FIBU_Konten", "ja", "tester");
    State().hostSettings->WriteValue("TQBExport", "FIBU_Artikel", "1", "jemand anders");
    Load(
        "[Allgemein]\nName=FIBU\n[Dateien]\nFile01=%DataPath%\\Kunden.EXP;;;Kunden;\n"
        "File02=%DataPath%\\Konten.EXP;;;Konten;\nFile03=%DataPath%\\Artikel.EXP;;;Artikel;\n");
    ASSERT_EQ(gdpdu.GxpFiles->Count(), 3);
    EXPECT_FALSE(gdpdu.GxpFiles->Item(1)->Selected);
    EXPECT_FALSE(gdpdu.GxpFiles->Item(2)->Selected);  // only "1" selects
    EXPECT_TRUE(gdpdu.GxpFiles->Item(3)->Selected);   // nothing stored for this user
}

TEST_F(GdpduProfileTest, CaptionsFromTheDefinitionFile) {
    Load("[Dateien]\nFile01=%DataPath%\\Kunden.EXP;;;K;\nFile02=C:\\Daten.alt\\Kunden;;;K;\n");
    ASSERT_EQ(gdpdu.GxpFiles->Count(), 2);
    EXPECT_EQ(gdpdu.GxpFiles->Item(1)->Caption, "Kunden");
    EXPECT_EQ(gdpdu.GxpFiles->Item(2)->Caption, "Daten");
}

TEST_F(GdpduProfileTest, ASecondEntryForTheSameDefinitionIsRefused) {
    Load(
        "[Dateien]\nFile01=%DataPath%\\Kunden.EXP;;Eins;K;\nFile02=%DataPath%\\Kunden.EXP;;Zwei;K;"
        "\n"
        "File03=%DataPath%\\Konten.EXP;;Drei;K;\n");
    ASSERT_EQ(gdpdu.GxpFiles->Count(), 2);
    EXPECT_EQ(gdpdu.GxpFiles->Item(1)->Caption, "Eins");
    EXPECT_EQ(gdpdu.GxpFiles->Item(2)->Caption, "Drei");
    const auto shown = Calls("ShowMessage");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Fehler beim hinzufügen eines Elementes!");
    EXPECT_EQ(shown[0].style, 0);
    EXPECT_EQ(shown[0].buttons, 0);
    EXPECT_FALSE(shown[0].flag);
    EXPECT_TRUE(Calls("ReportError").empty());
}

TEST_F(GdpduProfileTest, ALineWithFewerThanFiveFieldsEndsTheLoad) {
    Load(
        "[Allgemein]\nName=FIBU\nPfad=C:\\Out\n[Dateien]\nFile01=%DataPath%\\Kunden.EXP;;;Kunden;\n"
        "File02=%DataPath%\\Konten.EXP;;Konten;Konten\nFile03=%DataPath%\\Artikel.EXP;;;Artikel;"
        "\n");
    ASSERT_EQ(gdpdu.GxpFiles->Count(), 1);
    EXPECT_EQ(gdpdu.GxpFiles->Item(1)->Caption, "Kunden");
    EXPECT_EQ(gdpdu.Schnittstelle, "FIBU");
    EXPECT_EQ(gdpdu.Pfad, "C:\\Out");
    const auto errors = Calls("ReportError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].className, "TQGDPdU");
    EXPECT_EQ(errors[0].operation, "LoadFile");
    EXPECT_EQ(errors[0].number, 9);
    EXPECT_TRUE(errors[0].flag);
}

TEST_F(GdpduProfileTest, AMissingDefinitionIsReportedByTheEngineAndTheEntryKept) {
    Load(
        "[Dateien]\nFile01=%DataPath%\\Fehlt.EXP;;;Fehlt;\nFile02=%DataPath%\\Kunden.EXP;;;Kunden;"
        "\n");
    ASSERT_EQ(gdpdu.GxpFiles->Count(), 2);
    EXPECT_EQ(gdpdu.GxpFiles->Item(1)->Export->ExpDef->Records->Count(), 0);
    const auto errors = Calls("ReportError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].className, "TQExport");
    EXPECT_EQ(errors[0].operation, "LoadFile");
    EXPECT_EQ(errors[0].number, 53);
}

TEST_F(GdpduProfileTest, AMissingProfileReadsAsEmptyAndTheLoadReplacesTheLastOne) {
    gdpdu.DatumVon = DateTime{2020, 1, 1, 0, 0, 0};
    gdpdu.DatumBis = DateTime{2020, 12, 31, 0, 0, 0};
    Load("[Allgemein]\nName=FIBU\n[Dateien]\nFile01=%DataPath%\\Kunden.EXP;;;Kunden;\n");
    ASSERT_EQ(gdpdu.GxpFiles->Count(), 1);
    gdpdu.LoadFile(exportPath() + "GIBTESNICHT.GDU");
    EXPECT_EQ(gdpdu.GxpFiles->Count(), 0);
    EXPECT_EQ(gdpdu.Schnittstelle, "");
    EXPECT_EQ(gdpdu.Pfad, "");
    EXPECT_EQ(gdpdu.DatumVon, (DateTime{2020, 1, 1, 0, 0, 0}));
    EXPECT_EQ(gdpdu.DatumBis, (DateTime{2020, 12, 31, 0, 0, 0}));
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(GdpduProfileTest, TheTableListIsAKeyedCollection) {
    TQGxpFiles files;
    auto a = std::make_shared<TQGxpFile>();
    a->FileName = "A.EXP";
    auto b = std::make_shared<TQGxpFile>();
    b->FileName = "B.EXP";
    EXPECT_EQ(files.Add(a), a);
    EXPECT_EQ(files.Add(b), b);
    EXPECT_EQ(files.Add(nullptr), nullptr);
    EXPECT_EQ(files.Count(), 2);
    EXPECT_EQ(files.Item("b.exp"), b);
    EXPECT_EQ(files.Item(1), a);
    EXPECT_THROW(files.Item(3), VbError);
    EXPECT_THROW(files.Item("c.exp"), VbError);
    files.Remove("A.exp");
    EXPECT_EQ(files.Item(1), b);
    EXPECT_EQ(files.Add(a), a);  // its key is free again
    files.Remove(1);
    EXPECT_EQ(files.Item("a.exp"), a);
    EXPECT_THROW(files.Remove("b.exp"), VbError);
    EXPECT_THROW(files.Remove(2), VbError);

    TQGDPdU profile{State(), Services()};
    profile.AddGxpFile(a);
    EXPECT_EQ(profile.GxpFiles->Count(), 1);
    profile.GxpFiles = std::make_shared<TQGxpFiles>();
    EXPECT_EQ(profile.GxpFiles->Count(), 0);
}

}  // namespace
}  // namespace norvik
