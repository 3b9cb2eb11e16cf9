#include <filesystem>
#include <set>

#include "medium_fixture.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

// Building into a folder that holds an earlier medium.
class MediumRebuildTest : public MediumTest {
  protected:
    // The data files the medium's Index.xml names.
    std::set<std::string> Urls() const {
        const std::string xml = ReadBytes(MediumFile("Index.xml"));
        std::set<std::string> urls;
        for (size_t p = 0; (p = xml.find("<URL>", p)) != std::string::npos;) {
            p += 5;
            urls.insert(xml.substr(p, xml.find("</URL>", p) - p));
        }
        return urls;
    }
};

TEST_P(MediumRebuildTest, EveryBuildWritesItsDataFilesAfreshWhateverAnfuegenSays) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    for (const char* anfuegen : {"J", "j", "N"}) {
        SCOPED_TRACE(anfuegen);
        WriteBytes(MediumFile("buchungen.txt"), "eine frühere Ausgabe\r\n");
        LoadStandardProfile();
        for (const auto& entry : *gdpdu.GxpFiles) entry->Export->ExpDef->Anfügen = anfuegen;
        for (int build = 1; build <= 2; ++build) {
            gdpdu.BuildGDPdU();
            EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
            EXPECT_EQ(ReadBytes(MediumFile("buchungen.txt")), Golden("buchungen.txt"));
            EXPECT_EQ(ReadBytes(MediumFile("konten.txt")), Golden("konten.txt"));
        }
    }
}

TEST_P(MediumRebuildTest, ATableWithoutRowsGetsAnEmptyFile) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    WriteBytes(MediumFile("konten.txt"), "frühere Konten\r\n");
    LoadProfile(
        "[Allgemein]\nName=P\n[Dateien]\nFile01=%DataPath%\\KONTEN.EXP;art = 'X';;Konten;\n");
    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    EXPECT_TRUE(fs::is_regular_file(MediumFile("konten.txt")));
    EXPECT_EQ(ReadBytes(MediumFile("konten.txt")), "");
    EXPECT_EQ(Urls(), std::set<std::string>{"konten.txt"});
    EXPECT_EQ(Xmllint(), "");
    EXPECT_EQ(Calls("ShowText").at(0).text,
              "Schnittstelle: Konten\r\nAusgabe Daten: Keine Daten im angegebenen Bereich "
              "vorhanden.\r\nAusgabedatei: " +
                  MediumFile("konten.txt"));
}

TEST_P(MediumRebuildTest, TheIndexDescribesOnlyTheFilesOfItsOwnBuild) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadStandardProfile();
    gdpdu.BuildGDPdU();
    ASSERT_EQ(Urls(), (std::set<std::string>{"buchungen.txt", "konten.txt"}));

    // Buchungen is left out of the next build: its earlier file stays but is not described.
    const std::string earlier = ReadBytes(MediumFile("buchungen.txt"));
    gdpdu.GxpFiles->Item(2)->Selected = false;
    gdpdu.BuildGDPdU();
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    EXPECT_EQ(Urls(), std::set<std::string>{"konten.txt"});
    EXPECT_EQ(ReadBytes(MediumFile("buchungen.txt")), earlier);
    EXPECT_EQ(Xmllint(), "");
}

INSTANTIATE_TEST_SUITE_P(Sqlite, MediumRebuildTest, ::testing::Values("sqlite"));

}  // namespace
}  // namespace norvik::test
