#include <gtest/gtest.h>

#include "common/text_codec.h"
#include "common/vb_convert.h"
#include "db/connection.h"
#include "definition/exp_reader.h"
#include "engine/tq_export.h"
#include "host/module_state.h"
#include "host/user_settings.h"
#include "support/cases.h"
#include "support/session/definition_text.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

std::shared_ptr<TQField> MakeField(const std::string& art, const std::string& name) {
    auto f = std::make_shared<TQField>();
    f->FeldArt = art;
    f->Name = name;
    return f;
}

class ExpFileTest : public test::SessionFixture {
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
    // Saves the engine's definition and loads it again; no message may come up.
    void SaveAndLoad(const std::string& path) {
        engine->SaveFile(path, "Prüfer");
        engine->LoadFile(path);
        ASSERT_TRUE(messages->calls.empty()) << messages->calls[0].text;
    }
    std::unique_ptr<TQExport> engine;
};

// The cases of cases/reader.txt: a definition (UTF-8 lines) and the definition as loaded, with the
// messages its load gave. A value of "firma" is stored for every case; {DATA} stands for the data
// folder, {N*TEXT} for N times TEXT.
TEST_F(ExpFileTest, EachCaseLoadsAsDescribed) {
    State().hostSettings->WriteValue("Export_TEST", "firma", "Gespeichert GmbH", "STANDARD");
    for (const test::CaseBlock& c : test::ReadBlocks("definition/cases/reader.txt")) {
        messages->calls.clear();
        const auto def = Load(test::Repeated(c.input));
        EXPECT_EQ(test::DescribeDefinition(*def) + test::DescribeMessages(*messages),
                  test::Filled(test::Repeated(c.expected), {{"{DATA}", home.file("data")}}))
            << c.title;
    }
    EXPECT_EQ(engine->Pfad, exportPath());
    // The file a user last chose wins over the definition's.
    SaveSetting("TQBExport", "Schnittstelle", "KUNDEN", "/tmp/zuletzt.txt");
    EXPECT_EQ(Load("[Allgemein]\nName=Kunden\nDateiname=%DataPath%\\kunden.txt\n")->Dateiname,
              "/tmp/zuletzt.txt");
}

// Parameters whose keys start as a field's or a criterion's line (a case of cases/reader.txt) stay
// what they are, saved and loaded again and again.
TEST_F(ExpFileTest, ParameterKeysAreNeverFieldsOrCriteria) {
    const auto blocks = test::ReadBlocks("definition/cases/reader.txt");
    const auto c = std::find_if(blocks.begin(), blocks.end(), [](const test::CaseBlock& b) {
        return b.title.ends_with("Parameter keys like lines of records");
    });
    ASSERT_NE(c, blocks.end());
    const std::string loaded = test::DescribeDefinition(*Load(c->input));
    for (int round = 0; round < 3; ++round) {
        engine->SaveFile(exportPath() + "TEST.EXP");
        engine->LoadFile(exportPath() + "TEST.EXP");
        EXPECT_EQ(test::DescribeDefinition(*engine->ExpDef), loaded) << round;
    }
    EXPECT_TRUE(messages->calls.empty());
}

// The stored parameter values on either database: they are read for the whole section at once.
class StoredValuesTest : public ExpFileTest, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        ExpFileTest::SetUp();
        NORVIK_REQUIRE_BACKEND(GetParam());
        State().hostSettings = std::make_shared<HostSettings>();
        State().hostSettings->Connect(
            0, db::Connection::Open(settings_.Create(GetParam(), home.path().string())), 0);
    }

    test::TestDatabase settings_;
};

// The cases of cases/stored_values.tsv.
TEST_P(StoredValuesTest, OfTheSectionAndOwnerOnly) {
    const auto cases = test::ReadCases("definition/cases/stored_values.tsv");
    std::string text = "[Parameter]\n";
    for (const auto& c : cases) {
        if (c[0] == "stored")
            State().hostSettings->WriteValue(c[1], c[2], c.fields.size() > 4 ? c[4] : "", c[3]);
        else
            text += c[1] + "=,\"" + c[2] + "\"\n";
    }
    auto def = Load(text);
    int32_t loaded = 0;
    for (const auto& c : cases) {
        if (c[0] != "loaded") continue;
        ++loaded;
        EXPECT_EQ(def->Parameter->Item(c[1])->Value, c[3]) << c.where;
    }
    EXPECT_EQ(def->Parameter->Count(), loaded);
    EXPECT_TRUE(Calls("ReportError").empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, StoredValuesTest, ::testing::Values("sqlite", "postgresql"));

// A file the reader cannot take is reported once and leaves what was read before: the defaults and
// the derived section.
TEST_F(ExpFileTest, BadFilesAreReportedAndNeverCrash) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    // The file's name ("": none given), its bytes ("-": no file) and the error (0: no report).
    const std::tuple<std::string, std::string, int32_t> cases[] = {
        {"FEHLT", "-", kErrFileNotFound},
        {"", "-", kErrBadFileName},
        {"LEER", "", 0},
        {"BINAER", binary, 0},
        {"RIESIG", std::string(kMaxDefinitionBytes + 10, 'x'), kErrPathFileAccess},
        {"LANG",
         "FIELD " + std::string(100000, 'L') + ",T\r\n[DATENSATZ]\r\nCONST " +
             std::string(100000, 'c'),
         0},
    };
    for (const auto& [name, bytes, error] : cases) {
        SCOPED_TRACE(name);
        messages->calls.clear();
        const std::string path = name.empty() ? "" : exportPath() + name + ".EXP";
        if (bytes != "-") test::WriteBytes(path, bytes);
        engine->LoadFile(path);
        ASSERT_NE(engine->ExpDef, nullptr);
        const std::string said = test::DescribeMessages(*messages);
        if (error == 0) {
            EXPECT_EQ(said, "");
            continue;
        }
        EXPECT_TRUE(
            test::Matches(said, "ReportError: TQExport.LoadFile|" + std::to_string(error) + "|*"))
            << said;
        EXPECT_EQ(messages->calls.size(), 1u) << said;
        EXPECT_EQ(test::DescribeDefinition(*engine->ExpDef),
                  "Allgemein: ||||ANSI|Variabel|;|\"|,|#|.|:|'|0|N|N|Y|Export_" + name + "\n");
    }
    ASSERT_EQ(engine->ExpDef->Records->Count(), 1);  // the long lines
    ASSERT_EQ(engine->ExpDef->Records->Item(1)->Fields->Count(), 2);
    EXPECT_EQ(engine->ExpDef->Records->Item(1)->Fields->Item(1)->Name.size(), 100000u);
}

TEST_F(ExpFileTest, HostileValuesSurviveSaveAndLoadInEveryProperty) {
    // Values whose bare form reads back differently, and ordinary ones next to them ({N*TEXT}: N
    // times TEXT).
    for (const test::CaseRow& c : test::ReadCases("definition/cases/hostile_values.tsv")) {
        const std::string v = test::Repeated(c[1]);
        SCOPED_TRACE(c.where);
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
        const std::string expected = test::DescribeDefinition(def);

        const std::string first = exportPath() + "RUND.EXP";
        ASSERT_NO_FATAL_FAILURE(SaveAndLoad(first));
        EXPECT_EQ(test::DescribeDefinition(*engine->ExpDef), expected);

        // Saved again, byte for byte the same file.
        const std::string second = home.file("RUND.EXP");
        ASSERT_NO_FATAL_FAILURE(SaveAndLoad(second));
        EXPECT_EQ(test::ReadBytes(second), test::ReadBytes(first));
        EXPECT_EQ(test::DescribeDefinition(*engine->ExpDef), expected);
    }
}

TEST_F(ExpFileTest, FilesOfTheOldWriterKeepTheirBytes) {
    // Everything the old writer wrote for values that it could carry comes out the same again.
    const std::string old =
        test::ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/definition/cases/old_writer.EXP");
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

// A definition in UTF-8, with or without a byte order mark, is read and saved so; one in
// Windows-1252 stays one.
TEST_F(ExpFileTest, AUtf8DefinitionIsReadAsUtf8AndSavedSo) {
    const std::string body =
        "[Allgemein]\r\nName=Kunden für Köln\r\nDatenquelle=kunden\r\n\r\n[Parameter]\r\n"
        "Gruß=\"Grußformel\",\"Grüße\"\r\n\r\n[DATENSATZ]\r\nFIELD Straße,T,,0,,,,\r\n";
    for (const std::string& bytes : {body, "\xEF\xBB\xBF" + body, Utf8ToCp1252(body)}) {
        SCOPED_TRACE(bytes.substr(0, 3));
        const std::string path = exportPath() + "UTF8.EXP", saved = home.file("UTF8.EXP");
        test::WriteBytes(path, bytes);
        engine->LoadFile(path);
        EXPECT_EQ(engine->ExpDef->Schnittstelle, "Kunden für Köln");
        EXPECT_EQ(engine->ExpDef->Parameter->Item("Gruß")->Value, "Grüße");
        EXPECT_EQ(engine->ExpDef->Records->Item(1)->Fields->Item(1)->Name, "Straße");
        engine->SaveFile(saved);
        const std::string name = "Name=Kunden für Köln\r\n";
        const bool ansi = bytes == Utf8ToCp1252(body);
        EXPECT_NE(test::ReadBytes(saved).find(ansi ? Utf8ToCp1252(name) : name), std::string::npos);
    }
}

// An empty definition writes every key, as cases/empty.EXP (UTF-8 with LF) holds the file; one with
// parameters, a selection, criteria, records and fields, loaded and saved by an author, gives
// cases/written.EXP again. One built by a program gives cases/built.EXP: empty constants marked,
// an empty column not; selections under their own keys while the order allows; a long name and
// line breaks in a value kept on their lines. Saving leaves each definition as it was.
TEST_F(ExpFileTest, DefinitionsWriteTheirFiles) {
    for (const std::string name : {"empty", "written", "built"}) {
        SCOPED_TRACE(name);
        std::string expected = test::ReadBytes(std::string(NORVIK_SOURCE_DIR) +
                                               "/tests/definition/cases/" + name + ".EXP");
        expected.replace(expected.find("{DATE}    "), 10, TodayText());
        const std::string path = exportPath() + "NEU.EXP";
        engine->CreateNew();
        if (name == "written") {
            test::WriteBytes(path, test::DefinitionBytes(expected));
            engine->LoadFile(path);
        }
        TQExportDef& def = *engine->ExpDef;
        if (name == "built") {
            def.Schnittstelle = std::string(80, 'N');
            def.Datenquelle = "Kunden\nFIELD Eingeschleust,T";
            auto rec = std::make_shared<TQRecord>();
            rec->Name = "[DATENSATZ]";
            for (const char* art : {"Const", "const", "Field"}) rec->AddField(MakeField(art, ""));
            def.AddRecord(rec);
            for (const char* key : {"Sel03", "Sel07", "", "Sel02", "sel10", "Sel12"}) {
                auto sel = std::make_shared<TQSelection>();
                sel->Name = sel->Caption = key;
                def.AddSel(sel);
            }
        }
        const std::string before = test::DescribeDefinition(def);
        engine->SaveFile(
            path, name == "written" ? std::optional<std::string>("Jürgen Prüfer") : std::nullopt);
        EXPECT_EQ(test::ReadBytes(path), test::DefinitionBytes(expected));
        EXPECT_EQ(test::DescribeDefinition(def), before);
    }
    // Read back, the selections have the keys written and the line break added no field.
    engine->LoadFile(exportPath() + "NEU.EXP");
    std::string keys;
    for (const auto& sel : *engine->ExpDef->Selections) keys += sel->Name + " ";
    EXPECT_EQ(keys, "Sel03 Sel07 Sel08 Sel09 Sel10 Sel12 ");
    EXPECT_EQ(engine->ExpDef->Records->Item(1)->Fields->Count(), 3);
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(ExpFileTest, UnwritableFileIsReportedPerStep) {
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
