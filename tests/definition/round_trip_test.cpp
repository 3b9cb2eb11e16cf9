#include <gtest/gtest.h>

#include <sstream>

#include "common/text_codec.h"
#include "engine/tq_export.h"
#include "host/module_state.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

// Every property of a definition that the file holds, one per line, to compare two definitions.
std::string Describe(const TQExportDef& d) {
    std::ostringstream o;
    auto text = [&](const char* name, const std::string& v) { o << name << "=[" << v << "]\n"; };
    for (const std::string* v :
         {&d.Schnittstelle, &d.Datenquelle, &d.Dateiname, &d.Dateiformat, &d.FeldLänge,
          &d.Feldtrenner, &d.Texterkenner, &d.Dezimaltrenner, &d.Datumserkenner, &d.Datumstrenner,
          &d.Zeittrenner, &d.Ersatzzeichen, &d.Anfügen, &d.Info, &d.Kopfzeile, &d.AnfuegenAenderbar,
          &d.AllowEmptySelection, &d.Abschnitt})
        text("Allgemein", *v);
    for (const auto& p : *d.Parameter) {
        text("Param.Name", p->Name);
        text("Param.Caption", p->Caption);
        text("Param.Value", p->Value);
    }
    for (const auto& s : *d.Selections) {
        text("Sel.Name", s->Name);
        text("Sel.Caption", s->Caption);
        text("Sel.ControlSource", s->ControlSource);
        o << "Sel.Typ=" << s->Typ << " Width=" << s->Width << "\n";
        text("Sel.RowSource", s->RowSource);
        text("Sel.DefaultValue", s->DefaultValue);
        text("Sel.BoundField", s->BoundField);
    }
    for (const auto& r : *d.Records) {
        text("Record.Name", r->Name);
        o << "Record.FieldTyp=" << r->FieldTyp << "\n";
        text("Record.CriteriaField", r->CriteriaField);
        text("Record.CriteriaOperator", r->CriteriaOperator);
        text("Record.CriteriaValue", r->CriteriaValue);
        for (const auto& f : *r->Fields) {
            text("Field.FeldArt", f->FeldArt);
            text("Field.Name", f->Name);
            text("Field.FeldTyp", f->FeldTyp);
            text("Field.Format", f->Format);
            o << "Field.Länge=" << f->Länge << "\n";
            text("Field.Schlüssel", f->Schlüssel);
            text("Field.FremdSchlüssel", f->FremdSchlüssel);
            text("Field.Map", f->Map);
            text("Field.Info", f->Info);
        }
    }
    return o.str();
}

std::shared_ptr<TQField> MakeField(const std::string& art, const std::string& name) {
    auto f = std::make_shared<TQField>();
    f->FeldArt = art;
    f->Name = name;
    return f;
}

class RoundTripTest : public test::SessionFixture {
  protected:
    void SetUp() override {
        SessionFixture::SetUp();
        engine = std::make_unique<TQExport>(State(), Services());
    }
    // Saves the engine's definition and loads it again; no message may come up.
    void SaveAndLoad(const std::string& path) {
        engine->SaveFile(path, "Prüfer");
        engine->LoadFile(path);
        ASSERT_TRUE(messages->calls.empty()) << messages->calls[0].text;
    }
    std::unique_ptr<TQExport> engine;
};

// Values whose bare form reads back differently, and ordinary ones next to them.
const char* const kHostile[] = {
    "01",
    "0012.50",
    "007",
    "-0",
    "+5",
    "1E3",
    "1,5",
    "1.5",
    "7",
    " führend",
    "folgend ",
    "  ",
    "a,b",
    ",",
    "a;b",
    ";",
    "\"",
    "\"\"",
    "\"x\"",
    "'x'",
    "''",
    "'",
    "say \"hi\"",
    "x\"\"y",
    "\"EUR \"#,##0.00",
    "\t",
    "a\tb",
    "\tTab",
    "Tab\t",
    "Müller & Söhne",
    "Größe äöüß € ÿ",
    "=",
    "a=b",
    "[DATENSATZ]",
    "FIELD x,T",
    "CRITERIA \"a\",\"=\",\"b\"",
    ";Kommentar",
    "",
    "#,##0.00;-#,##0.00",
    "dd.mm.yyyy",
    "\"\"\"",
    "Ende\"",
};

TEST_F(RoundTripTest, HostileValuesSurviveSaveAndLoadInEveryProperty) {
    for (const std::string v : kHostile) {
        SCOPED_TRACE("value [" + v + "]");
        engine->CreateNew();
        TQExportDef& def = *engine->ExpDef;
        for (std::string* p :
             {&def.Schnittstelle, &def.Datenquelle, &def.Dateiname, &def.Dateiformat,
              &def.FeldLänge, &def.Feldtrenner, &def.Texterkenner, &def.Dezimaltrenner,
              &def.Datumserkenner, &def.Datumstrenner, &def.Zeittrenner, &def.Ersatzzeichen,
              &def.Anfügen, &def.Info, &def.Kopfzeile, &def.AnfuegenAenderbar,
              &def.AllowEmptySelection})
            *p = v;
        def.Abschnitt = "Export_RUND";
        auto param = std::make_shared<TQParam>();
        *param = {"Jahr", v.empty() ? "Jahr" : v, v};  // an empty caption reads as the name
        def.AddParam(param);
        auto sel = std::make_shared<TQSelection>();
        *sel = {"Sel01", v, v, 2, 12, v, v, v};
        def.AddSel(sel);
        auto rec = std::make_shared<TQRecord>();
        rec->Name = "[DATENSATZ]";
        rec->CriteriaField = rec->CriteriaOperator = rec->CriteriaValue = v;
        auto field = MakeField("Field", v);
        *field = {0, "Field", v, v, v, -7, UpperCase(v), v, v, v};
        rec->AddField(field);
        rec->AddField(MakeField("Const", v));
        rec->AddField(MakeField("Param", v));
        def.AddRecord(rec);
        const std::string expected = Describe(def);

        const std::string first = exportPath() + "RUND.EXP";
        ASSERT_NO_FATAL_FAILURE(SaveAndLoad(first));
        EXPECT_EQ(Describe(*engine->ExpDef), expected);

        // Saved again, byte for byte the same file.
        const std::string second = home.file("RUND.EXP");
        ASSERT_NO_FATAL_FAILURE(SaveAndLoad(second));
        EXPECT_EQ(test::ReadBytes(second), test::ReadBytes(first));
        EXPECT_EQ(Describe(*engine->ExpDef), expected);
    }
}

TEST_F(RoundTripTest, FilesOfTheOldWriterKeepTheirBytes) {
    // Everything the old writer wrote for values that it could carry comes out the same again.
    const std::string old =
        ";***************************************************************************\r\n"
        "[Allgemein]\r\nName=Kontenplan\r\nDatenquelle=SELECT * FROM konten WHERE art <> 'X'\r\n"
        "Dateiname=/srv/kontenplan.txt\r\nInfo=Sachkonten; mit Kontoart\r\nDateiformat=ANSI\r\n"
        "FeldL\xe4nge=Variabel\r\nFeldtrenner=;\r\nTexterkenner=\"\r\nDezimaltrenner=,"
        "\r\nDatumserkenner=#\r\n"
        "Datumstrenner=.\r\nZeittrenner=:\r\nErsatzzeichen='\r\nKopfzeile=0\r\nAnfuegen=N\r\n"
        "AnfuegenAenderbar=N\r\nAllowEmptySelection=0\r\n\r\n"
        "[Parameter]\r\nKontenrahmen=\"Kontenrahmen\",\"SKR03\"\r\nStichtag=\"Stichtag\",\"31.12."
        "2026\"\r\n\r\n"
        "[Selektion]\r\nSel01=\"Kontoart\";\"Kontoart\";0;10;\"\";\"Ertrag\";\"\"\r\n\r\n"
        "[DATENSATZ]\r\nCRITERIA \"Betrag\",\">=\",\"0\"\r\nFIELD "
        "Kontonummer,N,\"0000\",4,PK,,,Kontonummer\r\n"
        "FIELD Bezeichnung,V,\">\",40,,,,\r\nFIELD Kontoart,T,,10,,,Bestand;Bestandskonto,\r\n"
        "CONST \"\",T,,5,,,,Reserve\r\nCONST 7,N,,1,,,,\r\nPARAM "
        "Stichtag,D,\"yyyy-mm-dd\",10,,,,\r\n";
    const std::string path = exportPath() + "ALT.EXP";
    test::WriteBytes(path, old);
    engine->LoadFile(path);
    const std::string saved = home.file("ALT.EXP");
    engine->SaveFile(saved);
    const std::string bytes = test::ReadBytes(saved);
    const std::string body = old.substr(old.find("[Allgemein]"));
    ASSERT_GE(bytes.size(), body.size());
    EXPECT_EQ(bytes.substr(bytes.size() - body.size()), body);
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(RoundTripTest, AUtf8DefinitionIsReadAsUtf8AndSavedSo) {
    const std::string body =
        "[Allgemein]\r\nName=Kunden für Köln\r\nDatenquelle=kunden\r\n\r\n[Parameter]\r\n"
        "Gruß=\"Grußformel\",\"Grüße\"\r\n\r\n[DATENSATZ]\r\nFIELD Straße,T,,0,,,,\r\n";
    for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
        SCOPED_TRACE(prefix.empty() ? "without mark" : "with byte order mark");
        const std::string path = exportPath() + "UTF8.EXP";
        test::WriteBytes(path, prefix + body);
        engine->LoadFile(path);
        EXPECT_EQ(engine->ExpDef->Schnittstelle, "Kunden für Köln");
        EXPECT_EQ(engine->ExpDef->Parameter->Item("Gruß")->Value, "Grüße");
        EXPECT_EQ(engine->ExpDef->Records->Item(1)->Fields->Item(1)->Name, "Straße");
        const std::string saved = home.file("UTF8.EXP");
        engine->SaveFile(saved);
        const std::string bytes = test::ReadBytes(saved);
        EXPECT_NE(bytes.find("Name=Kunden für Köln\r\n"), std::string::npos) << bytes;
    }
    // A Windows-1252 file stays one.
    test::WriteBytes(exportPath() + "ANSI.EXP", "[Allgemein]\r\nName=f\xFCr\r\n");
    engine->LoadFile(exportPath() + "ANSI.EXP");
    EXPECT_EQ(engine->ExpDef->Schnittstelle, "für");
    engine->SaveFile(home.file("ANSI.EXP"));
    EXPECT_NE(test::ReadBytes(home.file("ANSI.EXP")).find("Name=f\xFCr\r\n"), std::string::npos);
}

TEST_F(RoundTripTest, SavingLeavesTheDefinitionAsItWas) {
    engine->CreateNew();
    TQExportDef& def = *engine->ExpDef;
    def.Schnittstelle = "Leer";
    auto rec = std::make_shared<TQRecord>();
    rec->Name = "[DATENSATZ]";
    rec->AddField(MakeField("Const", ""));
    rec->AddField(MakeField("const", ""));
    rec->AddField(MakeField("Field", ""));
    def.AddRecord(rec);
    const std::string before = Describe(def);
    const std::string path = exportPath() + "LEER.EXP";
    engine->SaveFile(path);
    engine->SaveFile(path);
    EXPECT_EQ(Describe(def), before);
    EXPECT_EQ(rec->Fields->Item(1)->Name, "");
    const std::string text = Cp1252ToUtf8(test::ReadBytes(path));
    // In the file the empty constants are marked, the empty column is not.
    EXPECT_NE(
        text.find("[DATENSATZ]\r\nCONST \"\",,,0,,,,\r\nCONST \"\",,,0,,,,\r\nFIELD ,,,0,,,,\r\n"),
        std::string::npos);
}

TEST_F(RoundTripTest, RunsGiveTheSameBytesBeforeSavingAfterSavingAndAfterLoading) {
    State().session->Connection()->Execute("CREATE TABLE artikel (nr TEXT, preis DECIMAL(12,2))");
    State().session->Connection()->Execute(
        "INSERT INTO artikel VALUES ('0012', 1234.5), ('A,\"B\"', -2)");
    const std::string out = home.file("artikel.txt");
    const std::string text =
        "[Allgemein]\nName=Artikel\nDatenquelle=SELECT * FROM artikel ORDER BY preis\nDateiname=" +
        out +
        "\nFeldtrenner=\"\t\"\nTexterkenner=\nKopfzeile=0\n"
        "[Parameter]\nWaehrung=\"Währung\",\"\"\"EUR\"\"\"\n"
        "[DATENSATZ]\nCONST \"01\",T,,0\nCONST \"\",T,,0\nFIELD nr,T,,0\n"
        "FIELD preis,N,\"\"\"EUR \"\"#,##0.00\",0\nPARAM Waehrung,T,,0\nCONST \" ; \",T,,0\n";
    const std::string path = exportPath() + "ARTIKEL.EXP";
    test::WriteBytes(path, test::DefinitionBytes(text));
    engine->LoadFile(path);
    ASSERT_EQ(engine->BuildExport(), 0) << (messages->calls.empty() ? "" : messages->calls[0].text);
    const std::string expected = test::ReadBytes(out);
    // The leading zero, the quotes of the format and parameter and the blanks all arrive.
    EXPECT_EQ(expected, test::DefinitionBytes("01\t\tA,\"B\"\t-EUR 2,00\t\"EUR\"\t ; \n"
                                              "01\t\t0012\tEUR 1.234,50\t\"EUR\"\t ; \n"));

    engine->SaveFile(home.file("ARTIKEL.EXP"));
    ASSERT_EQ(engine->BuildExport(), 0);
    EXPECT_EQ(test::ReadBytes(out), expected);  // saving changed nothing the run uses

    engine->LoadFile(home.file("ARTIKEL.EXP"));
    ASSERT_EQ(engine->BuildExport(), 0);
    EXPECT_EQ(test::ReadBytes(out), expected);
    EXPECT_TRUE(messages->calls.empty());
}

}  // namespace
}  // namespace norvik
