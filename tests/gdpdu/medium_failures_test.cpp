// Builds that fail, are stopped or end with findings, and the last steps of one that succeeds: what
// the medium folder holds afterwards, what the protocol says and which messages the user sees.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "gdpdu/gdpdu_text.h"
#include "host/cancel_request.h"
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
    // Every entry of the medium folder with its bytes ("/" for a folder), and the temporary files
    // of ours beside it.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(medium))
            files[entry.path().filename().string()] =
                entry.is_directory() ? "/" : ReadBytes(entry.path().string());
        for (const auto& entry : fs::directory_iterator(fs::path(medium).parent_path()))
            if (entry.path().filename().string().find(".norvik-") != std::string::npos)
                files["../" + entry.path().filename().string()] = "";
        return files;
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
    std::string entries;                    // the medium folder after a build that succeeded
    std::string lines;                      // the protocol's own lines
    std::string messages;                   // as DescribeMessages writes them
    std::function<void()> check = nullptr;  // what else must hold
};

// Stops the build once its first table is exported, as "Abbrechen" does.
class StopAfterFirstTable : public GdpduBuildEvents {
    void TableStarted(int32_t number, int32_t, const std::string&) override {
        if (number == 2) RequestCancel();
    }
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
const std::string kChecked =
    "line:XML-Datei erfolgreich erstellt.\nline:Datenträger geprüft: keine Befunde.\n";
const std::string kKept = "line:Der Ordner und ein früherer Datenträger darin sind unverändert.\n";
const std::string kNotPlaced =
    "line:Die Dateien des Datenträgers ließen sich nicht in den Ordner übernehmen: *\n" + kKept;
const std::string kNotSaved =
    "line:Der Datenträger wurde nicht gespeichert, weil nicht alle Tabellen ausgegeben "
    "wurden.\n" +
    kKept;
const std::string kRefused =
    "Der Datenträger wurde nicht erstellt, es wurde keine Datei geschrieben:\\r\\n";
// A build that succeeds also packs its medium; the message names the ZIP.
const std::string kPacked = "line:ZIP-Datei für die Übergabe geschrieben: {MEDIUM}.zip\n";
const std::string kPackedShown =
    "ShowText: 4|ZIP-Datei für die Übergabe geschrieben: {MEDIUM}.zip\n";

// Each case meets last year's medium in the folder: a build that does not succeed leaves the
// folder byte for byte as it found it, one that succeeds replaces the medium.
TEST_P(MediumFailureTest, EachBuildLeavesItsFolderProtocolAndMessages) {
    ASSERT_TRUE(ProvideDtd());
    const auto profile = [this](const std::string& files) {
        return [=, this] { LoadProfile("[Allgemein]\nName=Prüfung 2026\n[Dateien]\n" + files); };
    };
    WriteBytes(home.file("data/FREI.EXP"),
               DefinitionBytes("[Allgemein]\nName=Frei\nDatenquelle=SELECT k1.nr, k1.name FROM "
                               "konten k1, konten k2, konten k3\nDateiname=frei.txt\n"
                               "[DATENSATZ]\nFIELD nr,N,,0,,,,\nFIELD name,D,,0,,,,\n"));
    WriteBytes(home.file("data/GROSS.EXP"),
               DefinitionBytes("[Allgemein]\nName=Gross\nDatenquelle=WITH RECURSIVE n(i) AS "
                               "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) SELECT "
                               "i FROM n\nDateiname=gross.txt\n[DATENSATZ]\nFIELD i,N,,0,,,,\n"));
    StopAfterFirstTable stopper;
    rlimit fileSize{};
    const FailureCase cases[] = {
        {"stopped after its first table", [&] { gdpdu.Advise(&stopper); }, GdpduOutcome::Stopped,
         "",
         "line:Fehler: 18 Der Export wurde abgebrochen; *\nline:Die Datenausgabe wurde "
         "abgebrochen; der Ordner und ein früherer Datenträger darin sind unverändert.\nclose\n",
         "ShowMessage: 4|0|1|Die Datenausgabe wurde abgebrochen; der Ordner und ein früherer "
         "Datenträger darin sind unverändert.\\r\\n\\r\\nKONTEN: 3 Datensätze\\r\\nBuchungen: "
         "nicht vollständig ausgegeben\n",
         [this] { gdpdu.Advise(nullptr); }},
        {"its second table fails",
         profile("File01=%DataPath%\\KONTEN.EXP;art = 'B';;Konten;Bestandskonten\n"
                 "File02=%DataPath%\\BUCHUNGEN.EXP;Unsinn =;;Buchungen;\n"),
         GdpduOutcome::Failed, "", "line:Fehler: -2147467259 *\n" + kNotSaved + "close\n",
         "ShowText: 4|Schnittstelle: Konten*ShowText: 0|Fehler: *\n" + kFailed},
        {"its check finds errors", profile("File01=%DataPath%\\FREI.EXP;;;Frei;\n"),
         GdpduOutcome::Failed, "",
         "line:XML-Datei erstellt; der Datenträger enthält Fehler.\n*line:Datenträger geprüft: "
         "27 Fehler.\n" +
             kKept + "close\n",
         "ShowText: 4|Schnittstelle: Frei*ShowText: 3|Prüfung des Datenträgers:*\n" + kFailed},
        {"the disk is full (a file size limit) at its second table",
         [&, load = profile("File01=%DataPath%\\KONTEN.EXP;;;Konten;\n"
                            "File02=%DataPath%\\GROSS.EXP;;;Gross;\n")] {
             load();
             ::signal(SIGXFSZ, SIG_IGN);
             ::getrlimit(RLIMIT_FSIZE, &fileSize);
             rlimit small = fileSize;
             small.rlim_cur = 256 * 1024;
             ::setrlimit(RLIMIT_FSIZE, &small);
         },
         GdpduOutcome::Failed, "", "line:Fehler: *\n" + kNotSaved + "close\n",
         "ShowText: 4|Schnittstelle: Konten*ShowText: 0|Fehler: *\n" + kFailed,
         [&] {
             ::setrlimit(RLIMIT_FSIZE, &fileSize);
             ::signal(SIGXFSZ, SIG_DFL);
         }},
        {"without the DTD in the export folder: the published one goes there first",
         [this] { fs::remove(exportPath() + kGdpduDtdName); }, GdpduOutcome::Succeeded, kComplete,
         "line:Die veröffentlichte DTD-Datei gdpdu-01-08-2002.dtd wurde aus * in den Exportordner "
         "{EXPORT} kopiert; jeder Datenträger nimmt sie von dort.\n" +
             kChecked + kPacked + "close\n",
         "ShowText: 4|Die veröffentlichte DTD-Datei *\n" + kTables + kPackedShown + kSucceeded,
         [this] {
             EXPECT_TRUE(ReadBytes(exportPath() + kGdpduDtdName) == ReadBytes(PublishedDtd()));
         }},
        {"without the DTD, and none installed: nothing is exported",
         [this] {
             fs::remove(exportPath() + kGdpduDtdName);
             fs::create_directories(home.file("leer"));
             ::setenv("NORVIK_SHARED_DIR", home.file("leer").c_str(), 1);
         },
         GdpduOutcome::Failed, "",
         "line:Die DTD-Datei gdpdu-01-08-2002.dtd fehlt im Exportordner {EXPORT}, und die "
         "veröffentlichte liegt nicht bei der Installation (*/leer/gdpdu). *\nclose\n",
         "ShowText: 0|Die DTD-Datei gdpdu-01-08-2002.dtd fehlt im Exportordner *\n" + kFailed,
         [] { ::unsetenv("NORVIK_SHARED_DIR"); }},
        {"an output folder that is missing", [this] { BuildInto(home.file("fehlt/ordner")); },
         GdpduOutcome::Failed, "",
         "line:Im Ausgabeordner lässt sich kein Datenträger anlegen: *\nclose\n",
         "ShowText: 0|Im Ausgabeordner lässt sich kein Datenträger anlegen: *\n" + kFailed,
         [this] { EXPECT_FALSE(fs::exists(home.file("fehlt"))); }},
        {"an index that cannot take its place: the data files go back",
         [this] {
             fs::remove(MediumFile("Index.xml"));
             fs::create_directories(MediumFile("Index.xml/alt"));
         },
         GdpduOutcome::Failed, "", kChecked + kNotPlaced + "close\n",
         kTables +
             "ShowText: 0|Die Dateien des Datenträgers ließen sich nicht in den Ordner "
             "übernehmen: *{MEDIUM}/Index.xml*\n" +
             kFailed},
        {"a ZIP that cannot take its place takes the medium back out",
         [this] { fs::create_directories(medium + ".zip/alt"); }, GdpduOutcome::Failed, "",
         kChecked + "line:Fehler beim Packen der ZIP-Datei: *\n" + kKept + "close\n",
         kTables + "ShowText: 0|Fehler beim Packen der ZIP-Datei: *\n" + kFailed},
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
         kComplete, kChecked + kPacked + "close\n", kTables + kPackedShown + kSucceeded,
         [this] {
             EXPECT_EQ(ReadBytes(MediumFile("buchungen.txt")), Golden("buchungen.txt"));
             EXPECT_EQ(ReadBytes(MediumFile("konten.txt")), Golden("konten.txt"));
             EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Prüfung 2026"), medium);
         }},
        {"a table left out: its earlier file goes, a file of the user's stays",
         [this] {
             gdpdu.GxpFiles->Item(2)->Selected = false;
             WriteBytes(MediumFile("notiz.txt"), "x");
         },
         GdpduOutcome::Succeeded, "Index.xml gdpdu-01-08-2002.dtd konten.txt notiz.txt ",
         "line:XML-Datei erfolgreich erstellt.\nline:WARNUNG G206 notiz.txt: *\nline:Datenträger "
         "geprüft: *\nline:Datei der früheren Datenausgabe entfernt, die der neue "
         "Datenträger nicht enthält: buchungen.txt\n" +
             kPacked + "close\n",
         "ShowText: 4|Schnittstelle: Konten*ShowText: 3|Prüfung*G206*\n" + kPackedShown +
             kSucceeded},
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
        // Last year's medium.
        LoadStandardProfile();
        gdpdu.HandoverZip = false;
        gdpdu.DatumVon = DateTime{2025, 1, 1, 0, 0, 0};
        gdpdu.DatumBis = DateTime{2025, 12, 31, 0, 0, 0};
        gdpdu.BuildGDPdU();
        ASSERT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
        LoadStandardProfile();
        gdpdu.HandoverZip = true;
        if (c.prepare) c.prepare();
        const auto before = Snapshot();
        messages->calls.clear();
        protocol->clear();
        shell->folders.clear();
        busy.clear();
        gdpdu.BuildGDPdU();
        EXPECT_EQ(gdpdu.LastOutcome(), c.outcome);
        if (c.outcome == GdpduOutcome::Failed || c.outcome == GdpduOutcome::Stopped)
            EXPECT_EQ(Snapshot(), before);
        else
            EXPECT_EQ(Entries(), c.entries);
        EXPECT_TRUE(Matches(OwnLines(), Filled(c.lines))) << OwnLines();
        EXPECT_TRUE(Matches(DescribeMessages(*messages), Filled(c.messages)))
            << DescribeMessages(*messages);
        EXPECT_EQ(busy, (std::vector<bool>{true, false}));
        // A build that fails leaves no ZIP.
        EXPECT_EQ(fs::is_regular_file(medium + ".zip"),
                  c.outcome == GdpduOutcome::Succeeded || c.outcome == GdpduOutcome::Aborted);
        if (c.check) c.check();
    }
}

// A staging folder no build holds was left by a killed one: dropped, or put in place when it was
// complete and already going in place.
TEST_P(MediumFailureTest, TheNextBuildDealsWithAKilledBuildsStagingFolder) {
    ASSERT_TRUE(ProvideDtd());
    LoadStandardProfile();
    gdpdu.BuildGDPdU();
    ASSERT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    const auto stage = [this](const std::string& name, bool complete) {
        fs::create_directories(MediumFile(name));
        WriteBytes(MediumFile(name + "/Index.xml"), name);
        if (complete) fs::create_directories(MediumFile(name + "/.norvik-earlier"));
    };
    stage(".norvik-medium-halb", false);
    stage(".norvik-medium-fertig", true);
    stage(".norvik-medium-lebt", true);
    const int held = ::open(MediumFile(".norvik-medium-lebt").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_SH), 0);
    // A build that fails after its start shows what the killed one left.
    Sql("DROP TABLE buchungen");
    gdpdu.BuildGDPdU();
    ::close(held);
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_EQ(Entries(), ".norvik-medium-lebt " + kComplete);
    EXPECT_EQ(ReadBytes(MediumFile("Index.xml")), ".norvik-medium-fertig");
}

TEST_P(MediumFailureTest, EveryFindingIsProtocolledAndTheFirstAreShown) {
    ASSERT_TRUE(ProvideDtd());
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
        "Fehler.\n" +
        kKept + "close\n";
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
    ASSERT_TRUE(ProvideDtd());
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
