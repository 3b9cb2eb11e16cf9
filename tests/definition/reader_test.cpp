#include <gtest/gtest.h>

#include <chrono>

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

// The cases of cases/reader.txt: a definition (UTF-8 lines) and the definition as loaded, with the
// messages its load gave. A value of "firma" is stored for every case; {DATA} stands for the data
// folder.
TEST_F(ReaderTest, EachCaseLoadsAsDescribed) {
    State().hostSettings->WriteValue("Export_TEST", "firma", "Gespeichert GmbH", "STANDARD");
    for (const test::CaseBlock& c : test::ReadBlocks("definition/cases/reader.txt")) {
        messages->calls.clear();
        const auto def = Load(c.input);
        std::string expected = c.expected;
        for (size_t p; (p = expected.find("{DATA}")) != std::string::npos;)
            expected.replace(p, 6, home.file("data"));
        EXPECT_EQ(test::DescribeDefinition(*def) + test::DescribeMessages(*messages), expected)
            << c.title;
    }
    EXPECT_EQ(engine->Pfad, exportPath());
    // The file a user last chose wins over the definition's.
    SaveSetting("TQBExport", "Schnittstelle", "KUNDEN", "/tmp/zuletzt.txt");
    EXPECT_EQ(Load("[Allgemein]\nName=Kunden\nDateiname=%DataPath%\\kunden.txt\n")->Dateiname,
              "/tmp/zuletzt.txt");
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

// The stored parameter values on either database: they are read for the whole section at once.
class StoredValuesTest : public ReaderTest, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
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

using ScaleTest = test::SessionFixture;

// A quadratic load took half a minute for this many parameters even in an optimised build; a
// linear one takes well under a second there and a few seconds under the sanitizers, so the bound
// is loose enough for a busy machine and still catches the quadratic kind.
TEST_F(ScaleTest, TwoHundredThousandParametersLoadQuickly) {
    constexpr int kCount = 200000;
    std::string text = "[Parameter]\r\n";
    for (int i = 0; i < kCount; ++i)
        text += "P" + std::to_string(i) + "=\"Parameter " + std::to_string(i) + "\",\"" +
                std::to_string(i) + "\"\r\n";
    text += "[DATENSATZ]\r\nPARAM P199999,T\r\n";
    const std::string path = exportPath() + "VIELE.EXP";
    test::WriteBytes(path, text);
    State().hostSettings->WriteValue("Export_VIELE", "p150000", "gespeichert", "Standard");

    TQExport engine(State(), Services());
    const auto start = std::chrono::steady_clock::now();
    engine.LoadFile(path);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("load_seconds", std::to_string(seconds));

    ASSERT_EQ(engine.ExpDef->Parameter->Count(), kCount);
    EXPECT_EQ(engine.ExpDef->Parameter->Item("P150000")->Value, "gespeichert");
    EXPECT_EQ(engine.ExpDef->Parameter->Item("p199999")->Caption, "Parameter 199999");
    EXPECT_EQ(engine.ExpDef->Parameter->Item(kCount)->Name, "P199999");
    ASSERT_EQ(engine.ExpDef->Records->Item(1)->Fields->Count(), 1);
    EXPECT_TRUE(messages->calls.empty());
    EXPECT_LT(seconds, 20.0);
}

}  // namespace
}  // namespace norvik
