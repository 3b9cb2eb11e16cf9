#include <algorithm>
#include <filesystem>
#include <functional>

#include "gdpdu/gdpdu_text.h"
#include "host/module_state.h"
#include "host/shell_service.h"
#include "host/user_settings.h"
#include "medium_fixture.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

// The failures need no second database; they run on SQLite.
class MediumFailureTest : public MediumTest {
  protected:
    // The lines of the protocol without the summaries of the tables.
    std::vector<std::string> OwnLines() const {
        std::vector<std::string> lines;
        for (const std::string& call : *protocol)
            if (call.rfind("line:Schnittstelle:", 0) != 0 && call.rfind("open:", 0) != 0)
                lines.push_back(call);
        return lines;
    }
    // The number of Table elements in the medium's Index.xml.
    size_t Tables() const {
        const std::string xml = ReadBytes(MediumFile("Index.xml"));
        size_t n = 0;
        for (size_t p = 0; (p = xml.find("<Table>", p)) != std::string::npos; ++p) ++n;
        return n;
    }
    const RecordingHostMessages::Call& Last() const { return messages->calls.back(); }
    // The names in the medium folder, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(medium))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The data supplier of the golden Index.xml.
    void SetSupplier() {
        State().hostSettings->WriteValue("Firmendaten", "Bez1", "Norvik Handels GmbH & Co. KG €",
                                         "STANDARD");
        State().hostSettings->WriteValue("Firmendaten", "Ort", "Köln", "STANDARD");
    }
};

TEST_P(MediumFailureTest, WithoutTheDtdTheMediumIsCompleteButTheRunFails) {
    SetSupplier();
    LoadStandardProfile();
    gdpdu.BuildGDPdU();
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_EQ(ReadBytes(MediumFile("Index.xml")), Golden("Index.xml"));
    EXPECT_EQ(ReadBytes(MediumFile("buchungen.txt")), Golden("buchungen.txt"));
    EXPECT_EQ(Tables(), 4u);
    EXPECT_FALSE(fs::exists(MediumFile("gdpdu-01-08-2002.dtd")));
    const auto texts = Calls("ShowText");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[2].text,
              "Fehler beim kopieren der ''DTD-Datei'': \r\nFehler: 53 Datei nicht gefunden: " +
                  State().exportPath + "gdpdu-01-08-2002.dtd");
    EXPECT_EQ(texts[2].style, 3);
    EXPECT_EQ(Last().kind, "ShowMessage");
    EXPECT_EQ(Last().text, kFailure);
    EXPECT_EQ(Last().style, 0);
    EXPECT_EQ(Last().buttons, 0);
    EXPECT_EQ(OwnLines(), (std::vector<std::string>{
                              "line:XML-Datei erstellt; ohne die DTD-Datei ist der Datenträger "
                              "unvollständig.",
                              "close"}));
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Prüfung 2026"), medium);
}

TEST_P(MediumFailureTest, AnOutputFolderThatCannotBeWrittenFailsEveryStepButNothingElse) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadStandardProfile();
    const std::string missing = home.file("fehlt/ordner");
    gdpdu.Pfad = missing;
    for (const auto& entry : *gdpdu.GxpFiles)
        entry->Export->ExpDef->Dateiname =
            missing + "/" + FileNameOnly(entry->Export->ExpDef->Dateiname);
    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_FALSE(fs::exists(home.file("fehlt")));
    std::vector<std::string> failures;
    for (const auto& call : *protocol)
        if (call.rfind("line:Fehler: 76 ", 0) == 0) failures.push_back(call);
    EXPECT_EQ(failures.size(), 2u);  // one per table export
    EXPECT_EQ(OwnLines().size(), 4u);
    EXPECT_EQ(OwnLines()[2], "line:Fehler beim erstellen der XML-Datei.");
    EXPECT_EQ(OwnLines()[3], "close");
    const auto reports = Calls("ReportError");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].className, "TQXML");
    EXPECT_EQ(reports[0].operation, "CreateNew");
    EXPECT_EQ(reports[0].number, 76);
    // The tables' own failure texts; a failed medium gets no DTD copy.
    const auto texts = Calls("ShowText");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].style, 0);
    EXPECT_EQ(Last().text, kFailure);
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Prüfung 2026"), missing);
}

TEST_P(MediumFailureTest, AFailingTableLeavesNoIndexButTheOthersExported) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadProfile(
        "[Allgemein]\nName=Prüfung\n[Dateien]\nFile01=%DataPath%\\BUCHUNGEN.EXP;Unsinn "
        "=;;Buchungen;\n"
        "File02=%DataPath%\\KONTEN.EXP;art = 'B';;Konten;Bestandskonten\n");
    gdpdu.HandoverZip = true;
    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_FALSE(fs::exists(medium + ".zip"));
    EXPECT_FALSE(fs::exists(MediumFile("buchungen.txt")));
    EXPECT_EQ(ReadBytes(MediumFile("konten.txt")),
              DefinitionBytes("1000;\"Kasse\";\"B\"\n1200;\"Bank\";\"B\"\n"));
    // No index that would describe buchungen.txt, and no half of one.
    EXPECT_EQ(Entries(), (std::vector<std::string>{"konten.txt"}));
    const auto texts = Calls("ShowText");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text.rfind("Fehler: ", 0), 0u);
    EXPECT_EQ(texts[0].style, 0);
    EXPECT_EQ(protocol->at(1).rfind("line:Fehler: -2147467259 ", 0), 0u);
    EXPECT_EQ(OwnLines().back(), "close");
    EXPECT_EQ(OwnLines()[1],
              "line:Die XML-Datei wurde nicht gespeichert, weil nicht alle Tabellen ausgegeben "
              "wurden.");
    EXPECT_EQ(Last().text, kFailure);
}

TEST_P(MediumFailureTest, AnIndexThatCannotTakeItsPlaceFailsTheBuild) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    SetSupplier();
    LoadStandardProfile();
    fs::create_directories(MediumFile("Index.xml/alt"));
    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_EQ(ReadBytes(MediumFile("buchungen.txt")), Golden("buchungen.txt"));
    EXPECT_TRUE(fs::is_directory(MediumFile("Index.xml/alt")));
    // The index written under its temporary name is gone again.
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Index.xml", "buchungen.txt",
                                                   "gdpdu-01-08-2002.dtd", "konten.txt"}));
    EXPECT_EQ(OwnLines(),
              (std::vector<std::string>{"line:Fehler beim erstellen der XML-Datei.", "close"}));
    const auto texts = Calls("ShowText");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[2].text.rfind("Fehler beim speichern der XML-Datei: \r\nFehler: ", 0), 0u)
        << texts[2].text;
    EXPECT_NE(texts[2].text.find(MediumFile("Index.xml")), std::string::npos) << texts[2].text;
    EXPECT_EQ(texts[2].style, 0);
    EXPECT_TRUE(Calls("ShowMessage").size() == 1 && Last().text == kFailure);
}

TEST_P(MediumFailureTest, ADtdThatCannotBeCopiedFailsTheBuild) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    SetSupplier();
    LoadStandardProfile();
    fs::create_directories(MediumFile("gdpdu-01-08-2002.dtd"));
    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    // The index describes exactly the files written; only the DTD is missing beside it.
    EXPECT_EQ(ReadBytes(MediumFile("Index.xml")), Golden("Index.xml"));
    EXPECT_EQ(OwnLines(), (std::vector<std::string>{
                              "line:XML-Datei erstellt; ohne die DTD-Datei ist der Datenträger "
                              "unvollständig.",
                              "close"}));
    EXPECT_EQ(Calls("ShowText")
                  .back()
                  .text.rfind("Fehler beim kopieren der ''DTD-Datei'': \r\nFehler: ", 0),
              0u);
    EXPECT_EQ(Last().text, kFailure);
    EXPECT_TRUE(shell->folders.empty());
}

TEST_P(MediumFailureTest, AFailedRebuildLeavesNoIndexOfTheEarlierMedium) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadStandardProfile();
    gdpdu.BuildGDPdU();
    ASSERT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    ASSERT_TRUE(fs::exists(MediumFile("Index.xml")));

    // The rebuild replaces konten.txt, then Buchungen fails: the earlier index would describe
    // files of two builds.
    protocol->clear();
    Sql("DROP TABLE buchungen");
    gdpdu.BuildGDPdU();
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_FALSE(fs::exists(MediumFile("Index.xml")));
    EXPECT_EQ(ReadBytes(MediumFile("konten.txt")), Golden("konten.txt"));
    const std::vector<std::string> lines = OwnLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1],
              "line:Die XML-Datei wurde nicht gespeichert, weil nicht alle Tabellen ausgegeben "
              "wurden.");
    EXPECT_EQ(lines[2],
              "line:Die XML-Datei einer früheren Datenausgabe wurde entfernt, weil diese "
              "Datenausgabe nicht vollständig ist.");
    EXPECT_EQ(Last().text, kFailure);
}

TEST_P(MediumFailureTest, AMissingDefinitionIsRefusedBeforeAnyTable) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadProfile(
        "[Allgemein]\nName=Prüfung\n[Dateien]\nFile01=%DataPath%\\FEHLT.EXP;;;Fehlt;\n"
        "File02=%DataPath%\\KONTEN.EXP;;;Konten;\n");
    ASSERT_EQ(Calls("ReportError").size(), 1u);
    gdpdu.BuildGDPdU();
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
    EXPECT_TRUE(fs::is_empty(medium));
    EXPECT_EQ(Calls("ShowText").at(0).text,
              "Der Datenträger wurde nicht erstellt, es wurde keine Datei geschrieben:\r\n"
              "Tabelle \"FEHLT\": Die Exportdefinition nennt keine Datenquelle; sie fehlt oder ist "
              "leer.");
    EXPECT_EQ(Last().text, kFailure);
}

TEST_P(MediumFailureTest, AMediumTheDtdWouldRefuseIsRefusedBeforeAnythingIsWritten) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    const struct {
        const char* what;
        std::function<void()> spoil;
        const char* reason;
    } cases[] = {
        {"no table",
         [&] {
             for (const auto& e : *gdpdu.GxpFiles) e->Selected = false;
         },
         "Es ist keine Tabelle ausgewählt; bitte mindestens eine Tabelle ankreuzen."},
        {"untyped column",
         [&] {
             gdpdu.GxpFiles->Item(1)->Export->ExpDef->Records->Item(1)->Fields->Item(1)->FeldTyp =
                 "X";
         },
         "Das Feld nr hat keinen Datentyp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages->calls.clear();
        LoadStandardProfile();
        c.spoil();
        gdpdu.BuildGDPdU();
        EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Failed);
        EXPECT_TRUE(fs::is_empty(medium));
        const auto texts = Calls("ShowText");
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].text.find(c.reason), std::string::npos) << texts[0].text;
    }
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
    EXPECT_EQ(Last().text, kFailure);
    const std::vector<std::string> lines = OwnLines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "line:XML-Datei erstellt; der Datenträger enthält Fehler.");
    // At most ten of a kind, the rest counted.
    for (size_t i = 1; i <= 10; ++i)
        EXPECT_EQ(lines[i].rfind("line:FEHLER G504 frei.txt:", 0), 0u) << lines[i];
    EXPECT_EQ(lines[11].rfind("line:FEHLER G504 frei.txt: 17 weitere Befunde", 0), 0u) << lines[11];
    EXPECT_EQ(lines[12], "line:Datenträger geprüft: 27 Fehler.");
    EXPECT_EQ(lines[13], "close");

    const auto texts = Calls("ShowText");
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().style, 3);
    std::string shown = "Prüfung des Datenträgers:";
    for (size_t i = 1; i <= 10; ++i) shown += "\r\n" + lines[i].substr(5);
    EXPECT_EQ(texts.back().text,
              shown + "\r\n… 1 weitere Zeilen im Protokoll.\r\n" + lines[12].substr(5));
}

TEST_P(MediumFailureTest, SupplierDefaultsAndAnUnansweredQuestion) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadStandardProfile();
    gdpdu.BuildGDPdU();
    const std::string xml = ReadBytes(MediumFile("Index.xml"));
    EXPECT_NE(xml.find("\t\t<Name>-</Name>\r\n\t\t<Location>-</Location>\r\n"), std::string::npos);
    EXPECT_EQ(Last().text, kSuccess);
    EXPECT_TRUE(shell->folders.empty());
}

TEST_P(MediumFailureTest, AFolderThatNoFileManagerCanShowIsNamed) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    LoadStandardProfile();
    messages->answer = kAnswerYes;
    shell->result = false;
    gdpdu.BuildGDPdU();
    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Succeeded);
    EXPECT_EQ(shell->folders, std::vector<std::string>{medium});
    EXPECT_EQ(Last().kind, "ShowText");
    EXPECT_EQ(Last().text, kFolderNotOpenedMessage + medium);
    EXPECT_EQ(Last().style, 4);
}

TEST_P(MediumFailureTest, AnyOtherErrorEndsTheRunAtOnce) {
    if (!ProvideDtd()) GTEST_SKIP() << DtdMissing();
    SetSupplier();
    LoadStandardProfile();
    // The per-user settings cannot be stored where a file stands in the way.
    WriteBytes(home.file("blocked"), "x");
    ::setenv("XDG_CONFIG_HOME", home.file("blocked").c_str(), 1);
    gdpdu.BuildGDPdU();

    EXPECT_EQ(gdpdu.LastOutcome(), GdpduOutcome::Aborted);
    EXPECT_EQ(ReadBytes(MediumFile("Index.xml")), Golden("Index.xml"));
    const auto reports = Calls("ReportError");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].className, "TQGDPdU");
    EXPECT_EQ(reports[0].operation, "BuildGDPdU");
    EXPECT_EQ(Last().kind, "ReportError");
    EXPECT_TRUE(Calls("ShowMessage").empty());
    EXPECT_EQ(protocol->back(), "line:Fehler: " + reports[0].text);  // not closed
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
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
