// Builds that fail, are stopped or end with findings, and the last steps of one that succeeds: what
// the medium folder holds afterwards, what the protocol says and which messages the user sees.

#include <algorithm>
#include <filesystem>
#include <functional>

#include "gdpdu/gdpdu_text.h"
#include "host/module_state.h"
#include "host/shell_service.h"
#include "host/user_settings.h"
#include "medium/medium_names.h"
#include "medium_fixture.h"
#include "support/cases.h"
#include "support/session/definition_text.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

// The failures need no second database; they run on SQLite.
class MediumFailureTest : public MediumTest {
  protected:
    // The protocol's lines without its opening and the tables' summaries, one a line (line breaks
    // inside them written as "\r" and "\n").
    std::string OwnLines() const {
        std::string lines;
        for (const std::string& call : *protocol) {
            if (call.starts_with("line:Schnittstelle:") || call.starts_with("open:")) continue;
            for (const char c : call)
                lines += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
            lines += "\n";
        }
        return lines;
    }
    // The names in the medium folder, sorted, each followed by a blank.
    std::string Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(medium))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        std::string text;
        for (const std::string& name : names) text += name + " ";
        return text;
    }
    // The text with {MEDIUM} and {EXPORT} put in.
    std::string Filled(std::string text) const {
        for (const auto& [key, value] : {std::pair<std::string, std::string>{"{MEDIUM}", medium},
                                         {"{EXPORT}", State().exportPath}})
            for (size_t p; (p = text.find(key)) != std::string::npos;)
                text.replace(p, key.size(), value);
        return text;
    }
    // Redirects the build into another folder.
    void BuildInto(const std::string& folder) {
        gdpdu.Pfad = folder;
        for (const auto& entry : *gdpdu.GxpFiles)
            entry->Export->ExpDef->Dateiname =
                folder + "/" + FileNameOnly(entry->Export->ExpDef->Dateiname);
    }
};

struct FailureCase {
    const char* name;
    std::function<void()> prepare;  // after the standard profile is loaded
    GdpduOutcome outcome;
    std::string entries;                    // the medium folder afterwards
    std::string lines;                      // the protocol's own lines
    std::string messages;                   // as DescribeMessages writes them
    std::function<void()> check = nullptr;  // what else must hold
};

// The tables' summaries and the build's closing message on failure and on success.
const std::string kTables = "ShowText: 4|Schnittstelle: Konten*ShowText: 4|Schnittstelle: Buch*";
const std::string kFailed =
    "ShowMessage: 0|0|1|Die Datenausgabe wurde mit Fehlern beendet!\\r\\nDrücken Sie die "
    "Schaltfläche ''Mehr'' für weitere Informationen.\n";
const std::string kSucceeded =
    "ShowMessage: 5|4|1|Die Datenausgabe wurde erfolgreich ausgeführt.\\r\\nMöchten Sie den Ordner "
    "der ausgegebenen Dateien öffnen?\n";
const std::string kComplete = "Index.xml buchungen.txt gdpdu-01-08-2002.dtd konten.txt ";
const std::string kNoDtd =
    "line:XML-Datei erstellt; ohne die DTD-Datei ist der Datenträger unvollständig.\n";
const std::string kNotSaved =
    "line:Die XML-Datei wurde nicht gespeichert, weil nicht alle Tabellen ausgegeben wurden.\n";
const std::string kRefused =
    "Der Datenträger wurde nicht erstellt, es wurde keine Datei geschrieben:\\r\\n";
// A build that succeeds also packs its medium; the message names the ZIP.
const std::string kPacked = "line:ZIP-Datei für die Übergabe geschrieben: {MEDIUM}.zip\n";
const std::string kPackedShown =
    "ShowText: 4|ZIP-Datei für die Übergabe geschrieben: {MEDIUM}.zip\n";

TEST_P(MediumFailureTest, EachBuildLeavesItsFolderProtocolAndMessages) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    const auto profile = [this](const std::string& files) {
        return [=, this] { LoadProfile("[Allgemein]\nName=Prüfung 2026\n[Dateien]\n" + files); };
    };
    const FailureCase cases[] = {
        {"without the DTD the medium is complete but the run fails",
         [this] { fs::remove(exportPath() + kGdpduDtdName); }, GdpduOutcome::Failed,
         "Index.xml buchungen.txt konten.txt ", kNoDtd + "close\n",
         kTables +
             "ShowText: 3|Fehler beim kopieren der ''DTD-Datei'': \\r\\nFehler: 53 Datei nicht "
             "gefunden: {EXPORT}gdpdu-01-08-2002.dtd\n" +
             kFailed},
        {"an output folder that cannot be written fails every step but nothing else",
         [this] { BuildInto(home.file("fehlt/ordner")); }, GdpduOutcome::Failed, "",
         "line:Fehler: 76 *\nline:Fehler: 76 *\nline:Fehler beim erstellen der XML-Datei.\nclose\n",
         "ShowText: 0|Fehler: Pfad nicht gefunden: *\nShowText: 0|Fehler: Pfad nicht gefunden: "
         "*\nReportError: "
         "TQXML.CreateNew|76|1|*\n" +
             kFailed,
         [this] { EXPECT_FALSE(fs::exists(home.file("fehlt"))); }},
        {"a failing table leaves no index, the others are exported",
         profile("File01=%DataPath%\\BUCHUNGEN.EXP;Unsinn =;;Buchungen;\n"
                 "File02=%DataPath%\\KONTEN.EXP;art = 'B';;Konten;Bestandskonten\n"),
         GdpduOutcome::Failed, "konten.txt ",
         "line:Fehler: -2147467259 *\n" + kNotSaved + "close\n",
         "ShowText: 0|Fehler: *\nShowText: 4|Schnittstelle: Konten*" + kFailed},
        {"an index that cannot take its place",
         [this] { fs::create_directories(MediumFile("Index.xml/alt")); }, GdpduOutcome::Failed,
         kComplete, "line:Fehler beim erstellen der XML-Datei.\nclose\n",
         kTables +
             "ShowText: 0|Fehler beim speichern der XML-Datei: \\r\\nFehler: "
             "*{MEDIUM}/Index.xml*\n" +
             kFailed},
        {"a DTD that cannot be copied",
         [this] { fs::create_directories(MediumFile("gdpdu-01-08-2002.dtd")); },
         GdpduOutcome::Failed, kComplete, kNoDtd + "close\n",
         kTables + "ShowText: 3|Fehler beim kopieren der ''DTD-Datei'': \\r\\nFehler: *\n" +
             kFailed},
        {"a missing definition is refused before any table",
         profile(
             "File01=%DataPath%\\FEHLT.EXP;;;Fehlt;\nFile02=%DataPath%\\KONTEN.EXP;;;Konten;\n"),
         GdpduOutcome::Failed, "",
         "line:" + kRefused +
             "Tabelle \"FEHLT\": Die Exportdefinition nennt keine Datenquelle; sie fehlt oder ist "
             "leer.\nclose\n",
         "ShowText: 0|" + kRefused +
             "Tabelle \"FEHLT\": Die Exportdefinition nennt keine Datenquelle; sie fehlt oder ist "
             "leer.\n" +
             kFailed},
        {"no table, which the DTD would refuse",
         [this] {
             for (const auto& e : *gdpdu.GxpFiles) e->Selected = false;
         },
         GdpduOutcome::Failed, "", "line:" + kRefused + "*\nclose\n",
         "ShowText: 0|" + kRefused +
             "Es ist keine Tabelle ausgewählt; bitte mindestens eine Tabelle ankreuzen.\n" +
             kFailed},
        {"an untyped column, which the DTD would refuse",
         [this] {
             gdpdu.GxpFiles->Item(1)->Export->ExpDef->Records->Item(1)->Fields->Item(1)->FeldTyp =
                 "X";
         },
         GdpduOutcome::Failed, "", "line:" + kRefused + "*\nclose\n",
         "ShowText: 0|" + kRefused + "*Das Feld nr hat keinen Datentyp*\n" + kFailed},
        {"supplier defaults and an unanswered question", nullptr, GdpduOutcome::Succeeded,
         kComplete,
         "line:XML-Datei erfolgreich erstellt.\nline:Datenträger geprüft: keine Befunde.\n" +
             kPacked + "close\n",
         kTables + kPackedShown + kSucceeded},
        {"a ZIP that cannot take its place fails the build",
         [this] { fs::create_directories(medium + ".zip/alt"); }, GdpduOutcome::Failed, kComplete,
         "line:XML-Datei erfolgreich erstellt.\nline:Datenträger geprüft: keine Befunde.\n"
         "line:Fehler beim Packen der ZIP-Datei: *\nclose\n",
         kTables + "ShowText: 0|Fehler beim Packen der ZIP-Datei: *\n" + kFailed},
        {"a folder that no file manager can show is named",
         [this] {
             messages->answer = kAnswerYes;
             shell->result = false;
         },
         GdpduOutcome::Succeeded, kComplete, "*close\n",
         kTables + kPackedShown + kSucceeded +
             "ShowText: 4|Der Ordner konnte nicht geöffnet werden*:\\n{MEDIUM}\n"},
        {"any other error ends the run at once",
         [this] {
             // The per-user settings cannot be stored where a file stands in the way.
             WriteBytes(home.file("blocked"), "x");
             ::setenv("XDG_CONFIG_HOME", home.file("blocked").c_str(), 1);
         },
         GdpduOutcome::Aborted, kComplete,
         "*line:Fehler: Benutzereinstellungen nicht gespeichert*(siehe XDG_CONFIG_HOME).\n",
         kTables +
             "ReportError: TQGDPdU.BuildGDPdU|*|1|Benutzereinstellungen nicht gespeichert*(siehe "
             "XDG_CONFIG_HOME).\n"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(medium);
        fs::remove_all(medium + ".zip");
        fs::create_directories(medium);
        ProvideDtd();
        ::setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
        LoadStandardProfile();
        gdpdu.HandoverZip = true;
        if (c.prepare) c.prepare();
        messages->calls.clear();
        protocol->clear();
        shell->folders.clear();
        busy.clear();
        gdpdu.BuildGDPdU();
        EXPECT_EQ(gdpdu.LastOutcome(), c.outcome);
        EXPECT_EQ(Entries(), c.entries);
        EXPECT_TRUE(Matches(OwnLines(), Filled(c.lines))) << OwnLines();
        EXPECT_TRUE(Matches(DescribeMessages(*messages), Filled(c.messages)))
            << DescribeMessages(*messages);
        EXPECT_EQ(busy, (std::vector<bool>{true, false}));
        // A build that fails leaves no ZIP.
        EXPECT_EQ(fs::is_regular_file(medium + ".zip"), c.outcome != GdpduOutcome::Failed);
        if (c.check) c.check();
    }
}

TEST_P(MediumFailureTest, WhatFailedBuildsLeaveIsWhatTheyWrote) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    // Without the DTD: the index describes exactly the files written.
    fs::remove(exportPath() + kGdpduDtdName);
    State().hostSettings->WriteValue("Firmendaten", "Bez1", "Norvik Handels GmbH & Co. KG €",
                                     "STANDARD");
    State().hostSettings->WriteValue("Firmendaten", "Ort", "Köln", "STANDARD");
    LoadStandardProfile();
    gdpdu.BuildGDPdU();
    EXPECT_EQ(ReadBytes(MediumFile("Index.xml")), Golden("Index.xml"));
    EXPECT_EQ(ReadBytes(MediumFile("buchungen.txt")), Golden("buchungen.txt"));
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Prüfung 2026"), medium);

    // A rebuild that fails removes the earlier index, which would describe files of two builds.
    ASSERT_TRUE(ProvideDtd());
    gdpdu.BuildGDPdU();
    ASSERT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    protocol->clear();
    Sql("DROP TABLE buchungen");
    gdpdu.BuildGDPdU();
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_FALSE(fs::exists(MediumFile("Index.xml")));
    EXPECT_EQ(ReadBytes(MediumFile("konten.txt")), Golden("konten.txt"));
    EXPECT_TRUE(Matches(OwnLines(), "line:Fehler: *\n" + kNotSaved +
                                        "line:Die XML-Datei einer früheren Datenausgabe wurde "
                                        "entfernt, weil diese Datenausgabe nicht vollständig "
                                        "ist.\nclose\n"))
        << OwnLines();
}

TEST_P(MediumFailureTest, EveryFindingIsProtocolledAndTheFirstAreShown) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    // 27 rows whose date column holds texts: one finding a row.
    WriteBytes(home.file("data/FREI.EXP"),
               DefinitionBytes("[Allgemein]\nName=Frei\nDatenquelle=SELECT k1.nr, k1.name FROM "
                               "konten k1, konten k2, konten k3\nDateiname=frei.txt\n"
                               "[DATENSATZ]\nFIELD nr,N,,0,,,,\nFIELD name,D,,0,,,,\n"));
    LoadProfile("[Allgemein]\nName=Frei\n[Dateien]\nFile01=%DataPath%\\FREI.EXP;;;Frei;\n");
    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    std::string lines = "line:XML-Datei erstellt; der Datenträger enthält Fehler.\n";
    // At most ten of a kind, the rest counted.
    for (int i = 1; i <= 10; ++i) lines += "line:FEHLER G504 frei.txt:*\n";
    lines +=
        "line:FEHLER G504 frei.txt: 17 weitere Befunde*\nline:Datenträger geprüft: 27 "
        "Fehler.\nclose\n";
    EXPECT_TRUE(Matches(OwnLines(), lines)) << OwnLines();
    std::string shown = "Prüfung des Datenträgers:";
    for (size_t i = 1; i <= 10; ++i) shown += "\\r\\n" + protocol->at(i + 2).substr(5);
    EXPECT_TRUE(Matches(DescribeMessages(*messages),
                        "ShowText: 4|*\nShowText: 3|" + shown +
                            "\\r\\n… 1 weitere Zeilen im Protokoll.\\r\\nDatenträger geprüft: 27 "
                            "Fehler.\n" +
                            kFailed))
        << DescribeMessages(*messages);
}

TEST_P(MediumFailureTest, ATableWithoutConditionRunsWithoutWhere) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadProfile("[Allgemein]\nName=P\n[Dateien]\nFile01=%DataPath%\\BUCHUNGEN.EXP;;;Buchungen;\n");
    gdpdu.BuildGDPdU();
    const std::string data = ReadBytes(MediumFile("buchungen.txt"));
    EXPECT_NE(data.find("1|31.12.2025|"), std::string::npos);
    EXPECT_NE(data.find("5|01.01.2027|"), std::string::npos);
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    // Konten is not on the medium: its foreign key is left out of the index, but named.
    const std::string notice =
        "Hinweis: Der Fremdschlüssel konto der Tabelle Buchungen verweist auf die Tabelle Konten, "
        "die nicht auf dem Datenträger ist; er wird in der XML-Datei nicht beschrieben.";
    EXPECT_NE(std::find(protocol->begin(), protocol->end(), "line:" + notice), protocol->end());
    EXPECT_EQ(ReadBytes(MediumFile("Index.xml")).find("<ForeignKey>"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, MediumFailureTest, ::testing::Values("sqlite"));

}  // namespace
}  // namespace norvik::test
