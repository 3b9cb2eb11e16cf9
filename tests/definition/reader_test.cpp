#include <gtest/gtest.h>
#include <unistd.h>

#include "db/connection.h"
#include "definition/exp_reader.h"
#include "engine/tq_export.h"
#include "host/module_state.h"
#include "host/user_settings.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

class ReaderTest : public test::SessionFixture {
  protected:
    void SetUp() override {
        SessionFixture::SetUp();
        engine = std::make_unique<TQExport>(State(), Services());
    }

    // Loads a definition written as UTF-8 lines with LF.
    std::shared_ptr<TQExportDef> Load(const std::string& text,
                                      const std::string& name = "TEST.EXP") {
        const std::string path = exportPath() + name;
        test::WriteBytes(path, test::DefinitionBytes(text));
        engine->LoadFile(path);
        return engine->ExpDef;
    }
    int Reports() const {
        int n = 0;
        for (const auto& c : messages->calls) n += c.kind == "ReportError";
        return n;
    }
    std::unique_ptr<TQExport> engine;
};

TEST_F(ReaderTest, GeneralValuesTakeTheirDefaults) {
    auto def = Load("[Allgemein]\nName=\nSchnittstelle=Ersatzname\nFeldLänge=Fix\n");
    EXPECT_EQ(def->Schnittstelle, "Ersatzname");
    EXPECT_EQ(def->FeldLänge, "Fix");  // written with "L", found all the same
    EXPECT_EQ(def->Dateiformat, "ANSI");
    EXPECT_EQ(def->Feldtrenner, ";");
    EXPECT_EQ(def->Texterkenner, "\"");
    EXPECT_EQ(def->Dezimaltrenner, ",");
    EXPECT_EQ(def->Datumserkenner, "#");
    EXPECT_EQ(def->Datumstrenner, ".");
    EXPECT_EQ(def->Zeittrenner, ":");
    EXPECT_EQ(def->Ersatzzeichen, "'");
    EXPECT_EQ(def->Anfügen, "N");
    EXPECT_EQ(def->Kopfzeile, "0");
    EXPECT_EQ(def->AnfuegenAenderbar, "N");
    EXPECT_EQ(def->AllowEmptySelection, "Y");
    EXPECT_EQ(def->Abschnitt, "Export_TEST");
    EXPECT_EQ(engine->Pfad, exportPath());
    // No record section: still one record of the standard kind.
    ASSERT_EQ(def->Records->Count(), 1);
    EXPECT_EQ(def->Records->Item(1)->Name, "");
    EXPECT_EQ(Reports(), 0);

    def = Load("[Allgemein]\nName=Haupt\nSchnittstelle=Ersatz\nKopfzeile=\n");
    EXPECT_EQ(def->Schnittstelle, "Haupt");
    EXPECT_EQ(def->Kopfzeile, "");
}

TEST_F(ReaderTest, OutputFileComesFromTheDataFolderOrTheRememberedName) {
    auto def = Load("[Allgemein]\nName=Kunden\nDateiname=%DataPath%\\kunden.txt\n");
    // The data folder ends with a separator; the definition's own one is not doubled.
    EXPECT_EQ(def->Dateiname, home.file("data") + "\\kunden.txt");
    SaveSetting("TQBExport", "Schnittstelle", "KUNDEN", "/tmp/zuletzt.txt");
    def = Load("[Allgemein]\nName=Kunden\nDateiname=%DataPath%\\kunden.txt\n");
    EXPECT_EQ(def->Dateiname, "/tmp/zuletzt.txt");
}

TEST_F(ReaderTest, SelectionsAreReadWithTheirBoundFields) {
    auto def = Load(
        "[Selektion]\n"
        "Sel03=\"Kunde\";\"Kunden.Kundennummer\";64;12;\"Kundenauskunft\";\"\";\"\"\n"
        "Sel04=\"K2\";\"Kunden.Nr\";64;0;\"Kundenauskunft \";\"\";\"\"\n"
        "Sel05=\"K3\";\"Kunden.Nr\";64;0;\"KUNDENAUSKUNFT\";\"\";\"\"\n"
        "Sel06=\"K4\";\"Kunden.Nummer\";128;0;\"\";\"\";\"\"\n"
        "Sel07=\"K5\";\"Nummer\";192;0;\"Artikelauskunft\";\"\";\"\"\n"
        "Sel08=\"K6\";\"x.y\";64;0;\"Kundenauskunft\";\"Vorgabe\";\"Eigenes\"\n"
        "Sel09=Ohne;Anführung;2;5\n"
        "Sel10=\"Zahl\";007;2,5;3,5;\"\";\"\";\"\"\n"
        "Sel13=\"zu spät\";\"x\";0;0;\"\";\"\";\"\"\n");
    ASSERT_EQ(def->Selections->Count(), 8);
    auto sel = [&](int i) { return def->Selections->Item(i); };
    EXPECT_EQ(sel(1)->Name, "Sel03");
    EXPECT_EQ(sel(1)->Caption, "Kunde");
    EXPECT_EQ(sel(1)->ControlSource, "Kunden.Kundennummer");
    EXPECT_EQ(sel(1)->Typ, 64);
    EXPECT_EQ(sel(1)->Width, 12);
    EXPECT_EQ(sel(1)->BoundField, "Kundennummer");
    EXPECT_EQ(sel(2)->BoundField, "Nr");  // lookup names compare exactly
    EXPECT_EQ(sel(3)->BoundField, "Nr");
    EXPECT_EQ(sel(4)->BoundField, "Nummer");
    EXPECT_EQ(sel(5)->BoundField, "Nummer");  // 128 overrides 64
    EXPECT_EQ(sel(6)->BoundField, "Eigenes");
    EXPECT_EQ(sel(6)->DefaultValue, "Vorgabe");
    EXPECT_EQ(sel(7)->Caption, "Ohne;Anführung;2;5");  // neither end quoted: one field
    EXPECT_EQ(sel(8)->ControlSource, "7");
    EXPECT_EQ(sel(8)->Typ, 2);    // 2,5 to the even neighbour
    EXPECT_EQ(sel(8)->Width, 4);  // 3,5 likewise
}

TEST_F(ReaderTest, ParametersTakeStoredValues) {
    State().hostSettings->WriteValue("Export_TEST", "firma", "Gespeichert GmbH", "STANDARD");
    auto def = Load(
        "[Parameter]\n"
        "Mandant=,\"001\"\n"
        "Firma=\"Firma, Name\",\"Vorgabe\"\n"
        "mandant=\"doppelt\",\"x\"\n"
        "ohne Gleichheitszeichen\n"
        "\n"
        "Param1=\"Auch ein Feld\",\"p\"\n"
        "[Andere]\n"
        "Nicht=\"kein Parameter\",\"\"\n");
    ASSERT_EQ(def->Parameter->Count(), 3);
    EXPECT_EQ(def->Parameter->Item("MANDANT")->Caption, "Mandant");
    EXPECT_EQ(def->Parameter->Item("mandant")->Value, "001");
    EXPECT_EQ(def->Parameter->Item("Firma")->Caption, "Firma, Name");
    EXPECT_EQ(def->Parameter->Item("Firma")->Value, "Gespeichert GmbH");
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].text, "Fehler beim hinzufügen eines Elementes!");
    // "Param1=…" is a parameter only, no field line of the first record.
    EXPECT_EQ(def->Parameter->Item("param1")->Caption, "Auch ein Feld");
    EXPECT_EQ(def->Records->Item(1)->Fields->Count(), 0);
}

TEST_F(ReaderTest, ParameterKeysAreNeverFieldsOrCriteria) {
    const char* const names[] = {
        "Parameter1", "ParamJahr", "PARAM",  "Criteria", "CRITERIA \"Ort\",\"\"",
        "Field",      "FIELDName", "Const1", "constant"};
    std::string text = "[Parameter]\n";
    for (const char* name : names) text += std::string(name) + "=\"Titel\",\"1\"\n";
    text += "[DATENSATZ]\nFIELD Kunde,T,,0\n";
    auto def = Load(text);
    const std::string path = exportPath() + "TEST.EXP";
    // Saved and loaded again and again, nothing is added.
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(def->Parameter->Count(), static_cast<int32_t>(std::size(names))) << round;
        for (const char* name : names) EXPECT_EQ(def->Parameter->Item(name)->Value, "1") << name;
        ASSERT_EQ(def->Records->Count(), 1);
        EXPECT_EQ(def->Records->Item(1)->Fields->Count(), 1) << round;
        EXPECT_EQ(def->Records->Item(1)->CriteriaField + def->Records->Item(1)->CriteriaOperator,
                  "");
        engine->SaveFile(path);
        engine->LoadFile(path);
        def = engine->ExpDef;
    }
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(ReaderTest, FieldLinesOutsideTheParametersAreStillRead) {
    auto def = Load(
        "[Allgemein]\nName=Vorher\nFIELD Vorher,T,,0\n"
        "[Parameter]\nFIELD Ohne Gleichheitszeichen,T,,0\nParam1=\"P\",\"1\"\n"
        "[DATENSATZ1]\nFIELD Eins,T,,0\n"
        "[Parameter]\nFIELD2=\"Später\",\"2\"\nCRITERIA=\"Kein Kriterium\",\"\"\n"
        "[Sonstiges]\nPARAM Param1,T,,0\ncriteria \"Nr\",\"=\",\"1\"\n"
        "[DATENSATZ2]\nCONST Zwei,T,,0\n");
    ASSERT_EQ(def->Records->Count(), 2);
    std::vector<std::string> names;
    for (const auto& f : *def->Records->Item(1)->Fields) names.push_back(f->Name);
    // Before the first record section, a line without a key in [Parameter] too, and after
    // another section: fields of the record they follow.
    EXPECT_EQ(names,
              (std::vector<std::string>{"Vorher", "Ohne Gleichheitszeichen", "Eins", "Param1"}));
    EXPECT_EQ(def->Records->Item(1)->CriteriaField, "Nr");
    EXPECT_EQ(def->Records->Item(2)->Fields->Count(), 1);
    EXPECT_EQ(def->Parameter->Count(), 3);
    EXPECT_EQ(def->Parameter->Item("criteria")->Caption, "Kein Kriterium");
}

// The stored parameter values on either database: they are read for the whole section at once.
class StoredValuesTest : public ReaderTest, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        if (GetParam() == "sqlite") return;
        adminUrl_ = test::PostgresUrl();
        NORVIK_REQUIRE_POSTGRES(adminUrl_);
        schema_ = "stored_" + std::to_string(::getpid());
        db::Connection::Open(adminUrl_)->Execute("DROP SCHEMA IF EXISTS " + schema_ +
                                                 " CASCADE; CREATE SCHEMA " + schema_);
        const std::string sep = adminUrl_.find('?') == std::string::npos ? "?" : "&";
        State().hostSettings = std::make_shared<HostSettings>();
        State().hostSettings->Connect(
            0, db::Connection::Open(adminUrl_ + sep + "options=-csearch_path%3D" + schema_), 0);
    }
    void TearDown() override {
        ReaderTest::TearDown();
        if (!schema_.empty())
            db::Connection::Open(adminUrl_)->Execute("DROP SCHEMA " + schema_ + " CASCADE");
    }

  private:
    std::string adminUrl_;
    std::string schema_;
};

TEST_P(StoredValuesTest, OfTheSectionAndOwnerOnly) {
    struct Stored {
        const char* section;
        const char* key;
        const char* owner;
        const char* value;
    };
    const Stored stored[] = {
        {"EXPORT_TEST", "JAHR", "standard", "2031"},  // letter case of all three ignored
        {"Export_TEST", "Größe", "Standard", "XL"},
        {"Export_TEST", "Monat", "Anna", "fremd"},    // another owner
        {"ExportXTEST", "Tag", "Standard", "fremd"},  // "_" is no wildcard
        {"Export_TEST2", "Woche", "Standard", "fremd"},
        {"Export_TEST", "Leer", "Standard", ""},  // empty: the file's value holds
        {"Export_TEST", "100%", "Standard", "voll"},
        {"Export_TEST", "Fehlt", "Standard", "kein Parameter"},
    };
    for (const Stored& s : stored)
        State().hostSettings->WriteValue(s.section, s.key, s.value, s.owner);
    auto def = Load(
        "[Parameter]\nJahr=,\"2024\"\nGRÖSSE=,\"S\"\ngröße=,\"M\"\nMonat=,\"1\"\nTag=,\"2\"\nWoche="
        ",\"3\"\n"
        "Leer=,\"4\"\n100%=,\"5\"\n");
    const std::pair<const char*, const char*> expected[] = {
        {"Jahr", "2031"}, {"GRÖSSE", "S"}, {"GRÖßE", "XL"}, {"Monat", "1"},
        {"Tag", "2"},     {"Woche", "3"},  {"Leer", "4"},   {"100%", "voll"},
    };
    ASSERT_EQ(def->Parameter->Count(), static_cast<int32_t>(std::size(expected)));
    for (const auto& [name, value] : expected)
        EXPECT_EQ(def->Parameter->Item(name)->Value, value) << name;
    EXPECT_EQ(Reports(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, StoredValuesTest, ::testing::Values("sqlite", "postgresql"));

TEST_F(ReaderTest, LongValuesAreReadWhole) {
    std::string sql = "SELECT nr";
    while (sql.size() < 7000) sql += ", spalte" + std::to_string(sql.size());
    sql += " FROM kunden";
    const std::string longText(5000, 'k');
    auto def = Load("[Allgemein]\nDatenquelle=" + sql + "\n[Selektion]\nSel01=\"" + longText +
                    "\";\"Kunden.Nr\";0;0;\"\";\"\";\"Ende\"\n[Parameter]\nLang=\"" + longText +
                    "\",\"\"\n");
    EXPECT_EQ(def->Datenquelle, sql);
    ASSERT_EQ(def->Selections->Count(), 1);
    EXPECT_EQ(def->Selections->Item(1)->Caption, longText);
    EXPECT_EQ(def->Selections->Item(1)->BoundField, "Ende");
    EXPECT_EQ(def->Parameter->Item("Lang")->Caption, longText);

    const std::string again = exportPath() + "WIEDER.EXP";
    engine->SaveFile(again);
    engine->LoadFile(again);
    EXPECT_EQ(engine->ExpDef->Datenquelle, sql);
    EXPECT_EQ(engine->ExpDef->Selections->Item(1)->Caption, longText);
    EXPECT_EQ(Reports(), 0);
}

TEST_F(ReaderTest, RecordsFieldsAndCriteria) {
    auto def = Load(
        "FIELD Vorher,T,,0,,,,\n"
        "[DATENSATZ1]\n"
        "criteria \"Betrag\",\">=\",\"0\"\n"
        "FIELD Kunde,T,\"#,##0.00\",12,pk,Kunden,\"A;Alt\",Info\n"
        "const \"\",T,,0\n"
        "[Sonstiges]\n"
        "CONST 007,N,,1.6\n"
        "[VORLAUFSATZ]\n"
        "PARAM Mandant,T\n"
        "[DATENSATZ2]\n"
        "CRITERIA \"Ort\",\"=\",\"Bonn\"\n"
        "CRITERIA \"Ort\",\"<>\",\"Köln\"\n"
        "[NACHLAUFSATZ]\n");
    ASSERT_EQ(def->Records->Count(), 4);
    const tqFieldTyp kinds[] = {Standard, Vorlauf, Standard, Nachlauf};
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(def->Records->Item(i)->FieldTyp, kinds[i - 1]);
    auto first = def->Records->Item(1);
    EXPECT_EQ(first->Name, "[DATENSATZ1]");
    EXPECT_EQ(first->CriteriaField, "Betrag");
    EXPECT_EQ(first->CriteriaOperator, ">=");
    ASSERT_EQ(first->Fields->Count(), 4);  // the line before the section belongs to it
    auto kunde = first->Fields->Item(2);
    EXPECT_EQ(kunde->FeldArt, "Field");
    EXPECT_EQ(kunde->Format, "#,##0.00");
    EXPECT_EQ(kunde->Länge, 12);
    EXPECT_EQ(kunde->Schlüssel, "PK");
    EXPECT_EQ(kunde->FremdSchlüssel, "Kunden");
    EXPECT_EQ(kunde->Map, "A;Alt");
    EXPECT_EQ(kunde->Info, "Info");
    EXPECT_EQ(first->Fields->Item(3)->FeldArt, "Const");
    EXPECT_EQ(first->Fields->Item(3)->Name, "");
    EXPECT_EQ(first->Fields->Item(4)->Name, "7");  // an unquoted number is normalised
    EXPECT_EQ(first->Fields->Item(4)->Länge,
              1);  // 1.6 comes back as 1,6, whose leading number is 1
    EXPECT_EQ(def->Records->Item(3)->CriteriaValue, "Köln");  // the later criterion wins
}

TEST_F(ReaderTest, RecordKindComesFromTheSectionLine) {
    const std::pair<const char*, tqFieldTyp> cases[] = {
        {"[VORLAUFSATZ]", Vorlauf},       {"[Vorlaufsatz]", Vorlauf},
        {"[VORLAUFSATZ] Kopf]", Vorlauf}, {"[VORLAUFSATZ1]", Standard},
        {"[VORLAUFSATZ.Kopf]", Standard}, {"[ VORLAUFSATZ]", Standard},
        {"[nachlaufsatz]", Nachlauf},     {"[NACHLAUFSATZ2]", Standard},
        {"[DATENSATZ]", Standard},        {"", Standard},
    };
    for (const auto& [line, kind] : cases) EXPECT_EQ(RecordKindFromSection(line), kind) << line;
    EXPECT_TRUE(IsRecordSection("[datensatz 3]"));
    EXPECT_FALSE(IsRecordSection("[ VORLAUFSATZ]"));
    EXPECT_FALSE(IsRecordSection("[VORLAUFSATZ] Kopf"));
    EXPECT_FALSE(IsRecordSection("[Allgemein]"));
}

TEST_F(ReaderTest, BadFilesAreReportedAndNeverCrash) {
    struct Case {
        const char* name;
        std::string bytes;
        bool write;
        int32_t error;  // 0: no report
    };
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    const Case cases[] = {
        {"FEHLT.EXP", "", false, kErrFileNotFound},
        {"LEER.EXP", "", true, 0},
        {"BINAER.EXP", binary, true, 0},
        {"RIESIG.EXP", std::string(kMaxDefinitionBytes + 10, 'x'), true, kErrPathFileAccess},
        {"LANG.EXP",
         "FIELD " + std::string(100000, 'L') + ",T\r\n[DATENSATZ]\r\nCONST " +
             std::string(100000, 'c'),
         true, 0},
    };
    for (const Case& c : cases) {
        messages->calls.clear();
        if (c.write) test::WriteBytes(exportPath() + c.name, c.bytes);
        engine->LoadFile(exportPath() + c.name);
        ASSERT_NE(engine->ExpDef, nullptr);
        if (c.error == 0) {
            EXPECT_EQ(Reports(), 0) << c.name;
            continue;
        }
        ASSERT_EQ(messages->calls.size(), 1u) << c.name;
        EXPECT_EQ(messages->calls[0].className, "TQExport");
        EXPECT_EQ(messages->calls[0].operation, "LoadFile");
        EXPECT_EQ(messages->calls[0].number, c.error) << c.name;
        // What was read before the failure stays: defaults and the derived section.
        EXPECT_EQ(engine->ExpDef->Feldtrenner, ";");
        EXPECT_EQ(engine->ExpDef->Abschnitt,
                  "Export_" + std::string(c.name).substr(0, std::string(c.name).find('.')));
        EXPECT_EQ(engine->ExpDef->Records->Count(), 0);
    }
    ASSERT_EQ(engine->ExpDef->Records->Count(), 1);  // the long lines
    ASSERT_EQ(engine->ExpDef->Records->Item(1)->Fields->Count(), 2);
    EXPECT_EQ(engine->ExpDef->Records->Item(1)->Fields->Item(1)->Name.size(), 100000u);

    messages->calls.clear();
    engine->LoadFile("");
    ASSERT_EQ(Reports(), 1);
    EXPECT_EQ(messages->calls[0].number, kErrBadFileName);
}

TEST_F(ReaderTest, ManyParametersLoad) {
    std::string text = "[Parameter]\n";
    for (int i = 0; i < 2000; ++i)
        text += "P" + std::to_string(i) + "=\"Parameter " + std::to_string(i) + "\",\"" +
                std::to_string(i) + "\"\n";
    auto def = Load(text);
    ASSERT_EQ(def->Parameter->Count(), 2000);
    EXPECT_EQ(def->Parameter->Item("p1999")->Value, "1999");
    EXPECT_EQ(Reports(), 0);
}

}  // namespace
}  // namespace norvik
