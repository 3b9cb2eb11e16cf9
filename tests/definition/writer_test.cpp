#include <gtest/gtest.h>

#include "common/text_codec.h"
#include "common/vb_convert.h"
#include "definition/exp_writer.h"
#include "engine/tq_export.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

class WriterTest : public test::SessionFixture {
  protected:
    void SetUp() override {
        SessionFixture::SetUp();
        engine = std::make_unique<TQExport>(State(), Services());
    }
    // The file as UTF-8 text with LF, read back from Windows-1252 and CR LF.
    std::string Saved(const std::string& path) {
        std::string bytes = test::ReadBytes(path);
        std::string text;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
            text += bytes[i];
        }
        return Cp1252ToUtf8(text);
    }
    static std::string Box(const std::string& text) {
        return text + std::string(76 - 1 - CharCount(text), ' ') + "*\n";
    }

    std::unique_ptr<TQExport> engine;
};

TEST_F(WriterTest, EmptyDefinitionWritesEveryKey) {
    engine->CreateNew();
    const std::string path = exportPath() + "NEU.EXP";
    engine->SaveFile(path);
    const std::string rule = ";" + std::string(75, '*') + "\n";
    const std::string blank = ";*" + std::string(73, ' ') + "*\n";
    const std::string expected =
        rule + Box(";* ") + blank + Box(";* Datei: ") + blank + Box(";* Autor: ") + blank +
        Box(";* Stand: " + TodayText()) + rule +
        "\n[Allgemein]\nName=\nDatenquelle=\nDateiname=\nInfo=\nDateiformat=\nFeldLänge=\n"
        "Feldtrenner=\nTexterkenner=\nDezimaltrenner=\nDatumserkenner=\nDatumstrenner=\n"
        "Zeittrenner=\nErsatzzeichen=\nKopfzeile=\nAnfuegen=\nAnfuegenAenderbar=\n"
        "AllowEmptySelection=\n\n[Parameter]\n\n[Selektion]\n";
    EXPECT_EQ(Saved(path), expected);
    EXPECT_EQ(test::ReadBytes(path).substr(0, 78),
              std::string(";") + std::string(75, '*') + "\r\n");
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(WriterTest, WritesParametersCriteriaRecordsAndFields) {
    engine->CreateNew();
    TQExportDef& def = *engine->ExpDef;
    def.Schnittstelle = "Kunden Übersicht";
    def.Dateiname = "/srv/daten/kunden.txt";
    def.Feldtrenner = ";";
    def.Texterkenner = "\"";
    def.Anfügen = "J";
    auto param = std::make_shared<TQParam>();
    *param = {"Firma", "Firma, Name", "Müller & Söhne"};
    def.AddParam(param);
    auto sel = std::make_shared<TQSelection>();
    *sel = {"Sel01", "Kunde", "Kunden.Nr", 4, 12, "Kundenauskunft", "", ""};
    def.AddSel(sel);
    auto head = std::make_shared<TQRecord>();
    head->Name = "[VORLAUFSATZ]";
    auto p = std::make_shared<TQField>();
    p->FeldArt = "Param";
    p->Name = "Firma";
    p->FeldTyp = "T";
    head->AddField(p);
    def.AddRecord(head);
    auto data = std::make_shared<TQRecord>();
    data->Name = "[DATENSATZ 1]";
    data->CriteriaField = "Betrag";
    data->CriteriaOperator = ">=";
    data->CriteriaValue = "0";
    auto f = std::make_shared<TQField>();
    *f = {0, "Field", "Betrag", "N", "#,##0.00", 12, "PK", "", "", "Summe"};
    data->AddField(f);
    auto c = std::make_shared<TQField>();
    c->FeldArt = "Const";
    data->AddField(c);
    def.AddRecord(data);
    auto lost = std::make_shared<TQRecord>();
    lost->Name = "[DATENSATZ]";
    lost->CriteriaOperator = "=";  // without a field the criterion has no effect, but is kept
    def.AddRecord(lost);

    const std::string path = exportPath() + "KUNDEN.EXP";
    engine->SaveFile(path, "Jürgen Prüfer");
    const std::string text = Saved(path);
    EXPECT_NE(text.find(Box(";* Kunden Übersicht")), std::string::npos);
    EXPECT_NE(text.find(Box(";* Autor: Jürgen Prüfer")), std::string::npos);
    const std::string tail =
        "Anfuegen=J\nAnfuegenAenderbar=\nAllowEmptySelection=\n\n"
        "[Parameter]\nFirma=\"Firma, Name\",\"Müller & Söhne\"\n\n"
        "[Selektion]\nSel01=\"Kunde\";\"Kunden.Nr\";4;12;\"Kundenauskunft\";\"\";\"\"\n\n"
        "[VORLAUFSATZ]\nPARAM Firma,T,,0,,,,\n\n"
        "[DATENSATZ 1]\nCRITERIA \"Betrag\",\">=\",\"0\"\nFIELD "
        "Betrag,N,\"#,##0.00\",12,PK,,,Summe\nCONST \"\",,,0,,,,\n\n"
        "[DATENSATZ]\nCRITERIA \"\",\"=\",\"\"\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(c->Name, "");  // the empty constant is marked in the file only

    // Loaded again, the definition comes back as written.
    engine->LoadFile(path);
    const TQExportDef& back = *engine->ExpDef;
    EXPECT_EQ(back.Parameter->Item("firma")->Caption, "Firma, Name");
    EXPECT_EQ(back.Parameter->Item("firma")->Value, "Müller & Söhne");
    EXPECT_EQ(back.Selections->Item(1)->BoundField, "");  // the empty last field survives
    EXPECT_EQ(back.Selections->Item(1)->RowSource, "Kundenauskunft");
    ASSERT_EQ(back.Records->Count(), 3);
    EXPECT_EQ(back.Records->Item(1)->FieldTyp, Vorlauf);
    EXPECT_EQ(back.Records->Item(2)->Fields->Item(1)->Schlüssel, "PK");
    EXPECT_EQ(back.Records->Item(2)->Fields->Item(1)->Format, "#,##0.00");
    EXPECT_EQ(back.Records->Item(2)->Fields->Item(2)->Name, "");
    EXPECT_EQ(back.Records->Item(3)->CriteriaOperator, "=");
    EXPECT_EQ(back.Abschnitt, "Export_KUNDEN");

    // Saved again, byte for byte the same file.
    const std::string again = exportPath() + "KUNDEN2.EXP";
    engine->SaveFile(again, "Jürgen Prüfer");
    EXPECT_EQ(test::ReadBytes(again), test::ReadBytes(path));
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(WriterTest, SelectionsKeepTheirKeysWhileTheOrderAllows) {
    engine->CreateNew();
    const std::pair<const char*, const char*> cases[] = {
        {"Sel03", "Sel03"}, {"Sel07", "Sel07"}, {"", "Sel08"},
        {"Sel02", "Sel09"}, {"sel10", "Sel10"}, {"Sel12", "Sel12"},
    };
    for (const auto& [name, key] : cases) {
        auto sel = std::make_shared<TQSelection>();
        sel->Name = name;
        sel->Caption = key;
        engine->ExpDef->AddSel(sel);
    }
    const std::string path = exportPath() + "SEL.EXP";
    engine->SaveFile(path);
    const std::string text = Saved(path);
    for (const auto& [name, key] : cases)
        EXPECT_NE(text.find(std::string(key) + "=\"" + key + "\";"), std::string::npos) << name;
    engine->LoadFile(path);
    ASSERT_EQ(engine->ExpDef->Selections->Count(), static_cast<int32_t>(std::size(cases)));
    for (int32_t i = 1; i <= engine->ExpDef->Selections->Count(); ++i)
        EXPECT_EQ(engine->ExpDef->Selections->Item(i)->Name, cases[i - 1].second);
}

TEST_F(WriterTest, LongAndMultiLineValuesStayOnTheirLines) {
    engine->CreateNew();
    engine->ExpDef->Schnittstelle = std::string(80, 'N');
    engine->ExpDef->Datenquelle = "Kunden\nFIELD Eingeschleust,T";
    const std::string path = exportPath() + "LANG.EXP";
    engine->SaveFile(path);
    const std::string text = Saved(path);
    EXPECT_NE(text.find(";* " + std::string(80, 'N') + "*\n"), std::string::npos);
    EXPECT_NE(text.find("Datenquelle=Kunden FIELD Eingeschleust,T\n"), std::string::npos);
    engine->LoadFile(path);
    EXPECT_EQ(engine->ExpDef->Records->Item(1)->Fields->Count(), 0);
}

TEST_F(WriterTest, UnwritableFileIsReportedPerStep) {
    engine->CreateNew();
    engine->SaveFile(home.file("fehlt/ordner/X.EXP"));
    ASSERT_EQ(messages->calls.size(), 6u);
    EXPECT_EQ(messages->calls[0].operation, "SaveFile");
    EXPECT_EQ(messages->calls[0].number, kErrPathNotFound);
    EXPECT_EQ(messages->calls[1].number, kErrBadFileName);

    messages->calls.clear();
    engine->SaveFile("/dev/full");
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].number, kErrDiskFull);
}

}  // namespace
}  // namespace norvik
