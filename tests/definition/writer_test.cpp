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

    std::unique_ptr<TQExport> engine;
};

// An empty definition writes every key, as cases/empty.EXP (UTF-8 with LF) holds the file; one
// with parameters, a selection, criteria, records and fields, loaded and saved by an author, gives
// cases/written.EXP again.
TEST_F(WriterTest, DefinitionsWriteTheirFiles) {
    for (const std::string name : {"empty", "written"}) {
        SCOPED_TRACE(name);
        std::string expected = test::ReadBytes(std::string(NORVIK_SOURCE_DIR) +
                                               "/tests/definition/cases/" + name + ".EXP");
        expected.replace(expected.find("{DATE}    "), 10, TodayText());
        const std::string path = exportPath() + "NEU.EXP";
        if (name == "empty") {
            engine->CreateNew();
        } else {
            test::WriteBytes(path, test::DefinitionBytes(expected));
            engine->LoadFile(path);
        }
        engine->SaveFile(
            path, name == "empty" ? std::nullopt : std::optional<std::string>("Jürgen Prüfer"));
        EXPECT_EQ(test::ReadBytes(path), test::DefinitionBytes(expected));
    }
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
