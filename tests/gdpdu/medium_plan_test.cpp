#include <filesystem>
#include <functional>
#include <map>

#include "gdpdu/gdpdu_text.h"
#include "medium_fixture.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

const char* const kRefused =
    "Der Datenträger wurde nicht erstellt, es wurde keine Datei geschrieben:";

// What a folder holds: each entry's name with its bytes, a link's target or "<Ordner>".
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink())
            entries[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            entries[name] = "<Ordner>";
        else
            entries[name] = ReadBytes(entry.path().string());
    }
    return entries;
}

// One refused plan of the standard profile (captions KONTEN, then Buchungen).
struct PlanCase {
    const char* name;
    std::string konten;     // Konten's data file in the medium folder, or a path of its own
    std::string buchungen;  // Buchungen's data file in the medium folder
    std::function<void(TQExportDef& konten, TQExportDef& buchungen)> alter;
    std::vector<std::string> problems;  // the lines after kRefused
};

class MediumPlanTest : public MediumTest {
  protected:
    // The data file of a table: a name in the medium folder, or a path as it stands.
    std::string DataFile(const std::string& file) const {
        return file.rfind('/', 0) == 0 ? file : medium + "/" + file;
    }
    std::string Canonical(const std::string& path) const {
        return fs::weakly_canonical(path).string();
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
        EXPECT_EQ(Snapshot(medium), before);
        ASSERT_EQ(messages->calls.size(), 2u);
        EXPECT_EQ(messages->calls[0].kind, "ShowText");
        EXPECT_EQ(messages->calls[0].text, refusal);
        EXPECT_EQ(messages->calls[0].style, 0);
        EXPECT_EQ(messages->calls[1].kind, "ShowMessage");
        EXPECT_EQ(messages->calls[1].text, kFailure);
        ASSERT_EQ(protocol->size(), 3u);
        EXPECT_EQ(protocol->at(1), "line:" + refusal);
        EXPECT_EQ(protocol->at(2), "close");
    }
};

TEST_P(MediumPlanTest, AFaultyPlanIsRefusedBeforeAnythingIsWritten) {
    const auto nothing = [](TQExportDef&, TQExportDef&) {};
    const std::vector<PlanCase> cases = {
        {"same file",
         "daten.txt",
         "daten.txt",
         nothing,
         {"Tabellen \"KONTEN\" und \"Buchungen\": Sie schreiben dieselbe Datendatei "
          "\"daten.txt\"."}},
        {"letter case only",
         "daten.txt",
         "DATEN.TXT",
         nothing,
         {"Tabellen \"KONTEN\" und \"Buchungen\": Ihre Datendateien \"daten.txt\" und "
          "\"DATEN.TXT\" unterscheiden sich nur in der Groß- und Kleinschreibung und sind unter "
          "Windows dieselbe Datei."}},
        {"letter case of an umlaut",
         "bücher.txt",
         "BÜCHER.txt",
         nothing,
         {"Tabellen \"KONTEN\" und \"Buchungen\": Ihre Datendateien \"bücher.txt\" und "
          "\"BÜCHER.txt\" unterscheiden sich nur in der Groß- und Kleinschreibung und sind unter "
          "Windows dieselbe Datei."}},
        {"named like the index",
         "index.XML",
         "buchungen.txt",
         nothing,
         {"Tabelle \"KONTEN\": Die Datendatei \"index.XML\" hätte den Namen der "
          "Beschreibungsdatei Index.xml."}},
        {"named like the DTD",
         "konten.txt",
         "GDPDU-01-08-2002.DTD",
         nothing,
         {"Tabelle \"Buchungen\": Die Datendatei \"GDPDU-01-08-2002.DTD\" hätte den Namen der "
          "DTD-Datei gdpdu-01-08-2002.dtd."}},
        {"named like a file of the package",
         "Uebergabeprotokoll.TXT",
         "buchungen.txt",
         nothing,
         {"Tabelle \"KONTEN\": Die Datendatei \"Uebergabeprotokoll.TXT\" hätte einen Namen, den "
          "die ZIP-Datei für die Übergabe braucht (Uebergabeprotokoll.txt)."}},
        {"device names",
         "con.txt",
         "Lpt1",
         nothing,
         {"Tabelle \"KONTEN\": Der Dateiname \"con.txt\" ist unter Windows der Gerätename CON.",
          "Tabelle \"Buchungen\": Der Dateiname \"Lpt1\" ist unter Windows der Gerätename "
          "LPT1."}},
        {"characters Windows refuses",
         "konten:2026.txt",
         "buchungen?.txt",
         nothing,
         {"Tabelle \"KONTEN\": Der Dateiname \"konten:2026.txt\" enthält das Zeichen ':', das "
          "Windows in Dateinamen nicht zulässt.",
          "Tabelle \"Buchungen\": Der Dateiname \"buchungen?.txt\" enthält das Zeichen '?', das "
          "Windows in Dateinamen nicht zulässt."}},
        {"a control character",
         "konten\t.txt",
         "buchungen.txt",
         nothing,
         {"Tabelle \"KONTEN\": Der Dateiname enthält ein Steuerzeichen (Code 9), das Windows in "
          "Dateinamen nicht zulässt."}},
        {"a trailing point or blank",
         "konten.txt.",
         "buchungen.txt ",
         nothing,
         {"Tabelle \"KONTEN\": Der Dateiname \"konten.txt.\" endet auf einen Punkt, den Windows "
          "beim Speichern weglässt.",
          "Tabelle \"Buchungen\": Der Dateiname \"buchungen.txt \" endet auf ein Leerzeichen, das "
          "Windows beim Speichern weglässt."}},
        {"no name",
         "",
         "buchungen.txt",
         nothing,
         {"Tabelle \"KONTEN\": Die Datendatei hat keinen Namen."}},
        {"an empty decimal separator",
         "konten.txt",
         "buchungen.txt",
         [](TQExportDef& konten, TQExportDef&) { konten.Dezimaltrenner.clear(); },
         {"Tabelle \"KONTEN\": Die Exportdefinition hat kein Dezimaltrennzeichen."}},
        {"decimal separator as field separator",
         "konten.txt",
         "buchungen.txt",
         [](TQExportDef&, TQExportDef& buchungen) { buchungen.Dezimaltrenner = "|"; },
         {"Tabelle \"Buchungen\": Das Dezimaltrennzeichen '|' ist zugleich das "
          "Feldtrennzeichen."}},
        {"replacement character as text qualifier",
         "konten.txt",
         "buchungen.txt",
         [](TQExportDef& konten, TQExportDef&) { konten.Ersatzzeichen = "\""; },
         {"Tabelle \"KONTEN\": Das Ersatzzeichen '\"' ist zugleich der Texterkenner und bliebe "
          "so in den Werten stehen."}},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        messages->calls.clear();
        protocol->clear();
        EarlierMedium();
        LoadStandardProfile();
        TQExportDef& konten = *gdpdu.GxpFiles->Item(1)->Export->ExpDef;
        TQExportDef& buchungen = *gdpdu.GxpFiles->Item(2)->Export->ExpDef;
        konten.Dateiname = DataFile(c.konten);
        buchungen.Dateiname = DataFile(c.buchungen);
        c.alter(konten, buchungen);
        messages->calls.clear();
        const auto before = Snapshot(medium);
        gdpdu.BuildGDPdU();
        ExpectRefused(c.problems, before);
    }
}

TEST_P(MediumPlanTest, AFileOutsideTheFolderIsRefused) {
    LoadStandardProfile();
    const std::string elsewhere = home.file("anderswo/konten.txt");
    gdpdu.GxpFiles->Item(1)->Export->ExpDef->Dateiname = elsewhere;
    gdpdu.BuildGDPdU();
    ExpectRefused({"Tabelle \"KONTEN\": Die Datendatei \"" + Canonical(elsewhere) +
                   "\" liegt nicht im Ausgabeordner \"" + Canonical(medium) + "\"."},
                  {});
    EXPECT_FALSE(fs::exists(home.file("anderswo")));
}

TEST_P(MediumPlanTest, TwoNamesOfOneFileAreTheSameFile) {
    // b.txt leads to a.txt, which does not exist yet: the run would write both into one file.
    fs::create_symlink("a.txt", MediumFile("b.txt"));
    LoadStandardProfile();
    gdpdu.GxpFiles->Item(1)->Export->ExpDef->Dateiname = MediumFile("a.txt");
    gdpdu.GxpFiles->Item(2)->Export->ExpDef->Dateiname = MediumFile("b.txt");
    gdpdu.BuildGDPdU();
    ExpectRefused({"Tabellen \"KONTEN\" und \"Buchungen\": Ihre Datendateien \"a.txt\" und "
                   "\"b.txt\" sind im Ausgabeordner dieselbe Datei."},
                  {{"b.txt", "-> a.txt"}});
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

TEST_P(MediumPlanTest, UnselectedTablesAreNotPlanned) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadStandardProfile();
    gdpdu.GxpFiles->Item(2)->Export->ExpDef->Dateiname = MediumFile("konten.txt");
    gdpdu.GxpFiles->Item(2)->Selected = false;
    gdpdu.BuildGDPdU();
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    EXPECT_EQ(ReadBytes(MediumFile("konten.txt")), Golden("konten.txt"));
}

TEST_P(MediumPlanTest, AFolderWrittenWithItsSeparatorHoldsTheFiles) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
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
