#include <filesystem>
#include <functional>
#include <map>

#include "gdpdu/gdpdu_text.h"
#include "medium_fixture.h"
#include "support/cases.h"
#include "support/session/definition_text.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

const char* const kRefused =
    "Der Datenträger wurde nicht erstellt, es wurde keine Datei geschrieben:";

class MediumPlanTest : public MediumTest {
  protected:
    // The data file of a table: a name in the medium folder, or a path as it stands.
    std::string DataFile(const std::string& file) const {
        return file.rfind('/', 0) == 0 ? file : medium + "/" + file;
    }
    std::string Canonical(const std::string& path) const {
        return fs::weakly_canonical(path).string();
    }
    // The text with {HOME} as home.
    static std::string Filled(std::string text, const std::string& home) {
        for (size_t p; (p = text.find("{HOME}")) != std::string::npos;) text.replace(p, 6, home);
        return text;
    }
    // An earlier medium in the folder, which a refused build must leave as it is.
    void EarlierMedium() {
        WriteBytes(MediumFile("Index.xml"), "früherer Index");
        WriteBytes(MediumFile("konten.txt"), "frühere Konten");
        WriteBytes(MediumFile("buchungen.txt"), "frühere Buchungen");
    }
    void ExpectRefused(const std::vector<std::string>& problems,
                       const std::map<std::string, std::string>& before) {
        std::string refusal = kRefused;
        for (const std::string& problem : problems) refusal += "\r\n" + problem;
        EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
        EXPECT_EQ(Snapshot(), before);
        std::string said = "ShowText: 0|" + refusal + "\nShowMessage: 0|0|1|" + kFailure + "\n";
        for (size_t p; (p = said.find("\r\n")) != std::string::npos;) said.replace(p, 2, "\\r\\n");
        EXPECT_EQ(DescribeMessages(*messages), said);
        EXPECT_EQ(*protocol,
                  (std::vector<std::string>{protocol->at(0), "line:" + refusal, "close"}));
    }
};

// The cases of cases/plans.tsv, each over an earlier medium that must stay as it is.
TEST_P(MediumPlanTest, AFaultyPlanIsRefusedBeforeAnythingIsWritten) {
    const std::string root = Canonical(home.path().string());
    for (const CaseRow& c : ReadCases("gdpdu/cases/plans.tsv")) {
        SCOPED_TRACE(c.where);
        messages->calls.clear();
        protocol->clear();
        fs::remove_all(medium);
        EarlierMedium();
        LoadStandardProfile();
        TQExportDef& konten = *gdpdu.GxpFiles->Item(1)->Export->ExpDef;
        TQExportDef& buchungen = *gdpdu.GxpFiles->Item(2)->Export->ExpDef;
        konten.Dateiname = DataFile(Filled(c[1], root));
        buchungen.Dateiname = DataFile(c[2]);
        const std::string value = c[3].substr(c[3].find('=') + 1);
        if (c[3].starts_with("link ")) {
            fs::create_symlink(value, MediumFile(c[3].substr(5, c[3].find('=') - 5)));
        } else if (!c[3].empty()) {
            TQExportDef& def = c[3].starts_with("konten.") ? konten : buchungen;
            if (c[3].find(".PK=") != std::string::npos) {
                for (const auto& record : *def.Records)
                    for (const auto& field : *record->Fields)
                        if (field->Name == value) field->Schlüssel = "PK";
            } else {
                (c[3].find(".Dezimaltrenner=") != std::string::npos ? def.Dezimaltrenner
                                                                    : def.Ersatzzeichen) = value;
            }
        }
        std::vector<std::string> problems;
        const std::string text = Filled(c[4], root);
        for (size_t start = 0; start <= text.size();) {
            const size_t end = std::min(text.find('\n', start), text.size());
            problems.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        messages->calls.clear();
        const auto before = Snapshot();
        gdpdu.BuildGDPdU();
        ExpectRefused(problems, before);
        EXPECT_FALSE(fs::exists(root + "/anderswo"));
    }
}

TEST_P(MediumPlanTest, EveryTableOfOneFileIsNamedOnce) {
    WriteBytes(home.file("data/KONTEN2.EXP"), ReadBytes(home.file("data/KONTEN.EXP")));
    LoadProfile(
        "[Allgemein]\nName=P\n[Dateien]\nFile01=%DataPath%\\KONTEN.EXP;;Konten;Konten;\n"
        "File02=%DataPath%\\BUCHUNGEN.EXP;;Buchungen;Buchungen;\n"
        "File03=%DataPath%\\KONTEN2.EXP;;Kontenplan;Konten;\n");
    gdpdu.GxpFiles->Item(2)->Export->ExpDef->Dateiname = MediumFile("KONTEN.txt");
    gdpdu.GxpFiles->Item(3)->Export->ExpDef->Ersatzzeichen = "\"";
    gdpdu.BuildGDPdU();
    ExpectRefused({"Tabelle \"Kontenplan\": Das Ersatzzeichen '\"' ist zugleich der Texterkenner "
                   "und bliebe so in den Werten stehen.",
                   "Tabellen \"Konten\", \"Buchungen\" und \"Kontenplan\": Ihre Datendateien "
                   "\"konten.txt\" und \"KONTEN.txt\" unterscheiden sich nur in der Groß- und "
                   "Kleinschreibung und sind unter Windows dieselbe Datei."},
                  {});
}

TEST_P(MediumPlanTest, AFolderWrittenWithItsSeparatorHoldsTheFiles) {
    ASSERT_TRUE(ProvideDtd());
    for (const std::string& folder : {medium + "/", home.file("neu") + "/"}) {
        SCOPED_TRACE(folder);
        fs::create_directories(folder);
        LoadStandardProfile();
        gdpdu.Pfad = folder;
        for (const auto& entry : *gdpdu.GxpFiles)
            entry->Export->ExpDef->Dateiname =
                folder + FileNameOnly(entry->Export->ExpDef->Dateiname);
        gdpdu.BuildGDPdU();
        EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
        EXPECT_EQ(ReadBytes(folder + "Index.xml"), ReadBytes(MediumFile("Index.xml")));
    }
}

INSTANTIATE_TEST_SUITE_P(Sqlite, MediumPlanTest, ::testing::Values("sqlite"));

}  // namespace
}  // namespace norvik::test
