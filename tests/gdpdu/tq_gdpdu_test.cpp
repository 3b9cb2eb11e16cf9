#include "gdpdu/tq_gdpdu.h"

#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "host/module_state.h"
#include "host/user_settings.h"
#include "support/cases.h"
#include "support/session/definition_text.h"
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
    // The loaded profile: name and folder, then each table with its definition's name and records.
    std::string Describe() const {
        std::string text = gdpdu.Schnittstelle + "|" + gdpdu.Pfad + "\n";
        for (const auto& e : *gdpdu.GxpFiles)
            text += e->FileName + "|" + e->SQLString + "|" + e->Caption + "|" + e->TableName + "|" +
                    e->TableDesc + "|" + (e->Selected ? "1" : "0") + "|" +
                    std::to_string(e->Export->Mode) + "|" + e->Export->ExpDef->Schnittstelle + "|" +
                    std::to_string(e->Export->ExpDef->Records->Count()) + "\n";
        return text + test::DescribeMessages(*messages);
    }

    TQGDPdU gdpdu{State(), Services()};
};

// The cases of cases/profiles.txt: a profile (UTF-8 lines) and the profile as loaded, with the
// messages the load gave; {DATA} stands for the data folder. The selections stored for the user:
// Kunden off, Konten "ja" (only "1" selects), Artikel on for another user only.
TEST_F(GdpduProfileTest, EachCaseLoadsAsDescribed) {
    State().hostSettings->WriteValue("TQBExport", "FIBU_Kunden", "0", "tester");
    State().hostSettings->WriteValue("TQBExport", "FIBU_Konten", "ja", "tester");
    State().hostSettings->WriteValue("TQBExport", "FIBU_Artikel", "0", "jemand anders");
    SaveSetting("TQBExport", "Schnittstelle", "Gemerkt", "D:\\Pruefung");
    for (const test::CaseBlock& c : test::ReadBlocks("gdpdu/cases/profiles.txt")) {
        messages->calls.clear();
        Load(c.input);
        EXPECT_EQ(Describe(), test::Filled(c.expected, {{"{DATA}", home.file("data")}})) << c.title;
    }
}

TEST_F(GdpduProfileTest, AMissingProfileReadsAsEmptyAndKeepsThePeriod) {
    gdpdu.DatumVon = DateTime{2020, 1, 1, 0, 0, 0};
    gdpdu.DatumBis = DateTime{2020, 12, 31, 0, 0, 0};
    Load("[Allgemein]\nName=FIBU\n[Dateien]\nFile01=%DataPath%\\Kunden.EXP;;;Kunden;\n");
    ASSERT_EQ(gdpdu.GxpFiles->Count(), 1);
    gdpdu.LoadFile(exportPath() + "GIBTESNICHT.GDU");
    EXPECT_EQ(Describe(), "|\n");
    EXPECT_EQ(gdpdu.DatumVon, (DateTime{2020, 1, 1, 0, 0, 0}));
    EXPECT_EQ(gdpdu.DatumBis, (DateTime{2020, 12, 31, 0, 0, 0}));
}

TEST_F(GdpduProfileTest, TheTableListIsAKeyedCollectionIgnoringCase) {
    TQGxpFiles files;
    const auto entry = [](const char* fileName) {
        auto e = std::make_shared<TQGxpFile>();
        e->FileName = fileName;
        return e;
    };
    const auto a = entry("%DataPath%\\A.EXP"), b = entry("B.EXP");
    EXPECT_EQ(files.Add(a), a);
    EXPECT_EQ(files.Add(entry("%datapath%\\a.exp")), nullptr);
    EXPECT_TRUE(Calls("ShowMessage").empty());  // the caller tells the user
    EXPECT_EQ(files.Add(b), b);
    EXPECT_EQ(files.Add(nullptr), nullptr);
    EXPECT_EQ(files.Count(), 2);
    EXPECT_EQ(files.Item("b.exp"), b);
    EXPECT_EQ(files.Item(1), a);
    EXPECT_THROW(files.Item(3), VbError);
    EXPECT_THROW(files.Item("c.exp"), VbError);
    files.Remove("%DATAPATH%\\A.exp");
    EXPECT_EQ(files.Item(1), b);
    EXPECT_EQ(files.Add(a), a);  // its key is free again
    files.Remove(1);
    EXPECT_EQ(files.Item("%DataPath%\\a.exp"), a);
    EXPECT_THROW(files.Remove("b.exp"), VbError);
    EXPECT_THROW(files.Remove(2), VbError);

    TQGDPdU profile{State(), Services()};
    profile.AddGxpFile(b);
    EXPECT_EQ(profile.GxpFiles->Count(), 1);
}

}  // namespace
}  // namespace norvik
