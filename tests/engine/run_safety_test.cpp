#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/output_file.h"
#include "common/vb_error.h"
#include "db/connection.h"
#include "engine/field_formatter.h"
#include "host/cancel_request.h"
#include "host/db_protocol.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "host/user_settings.h"
#include "run_fixture.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

using RunSafetyTest = RunTest;

const char* const kGeneral =
    "[Allgemein]\nName=Test\nDatenquelle=SELECT * FROM kunden ORDER BY nr\nDateiname={OUT}\n";

TEST_P(RunSafetyTest, TheHostsOwnFilesAreNeverWritten) {
    const std::string definition = State().exportPath + "TEST.EXP";
    const std::string config = home.file("norvik-export.ini");
    WriteBytes(config, "[Datenbank]\n");
    State().session->ownFiles.push_back(config);
    WriteBytes(State().exportPath + "gdpdu-01-08-2002.dtd", "<!-- dtd -->");
    WriteBytes(State().exportPath + "PROFIL.GDU", "[Allgemein]\n");
    fs::create_symlink(config, home.file("link-auf-ini"));
    fs::create_hard_link(config, home.file("harter-link"));

    std::vector<std::pair<std::string, std::string>> targets = {
        {definition, "eine Exportdefinition, ein GDPdU-Profil oder die DTD des Exportordners"},
        {State().exportPath + "profil.gdu", ""},
        {State().exportPath + "PROFIL.GDU",
         "eine Exportdefinition, ein GDPdU-Profil oder die DTD des Exportordners"},
        {State().exportPath + "gdpdu-01-08-2002.dtd",
         "eine Exportdefinition, ein GDPdU-Profil oder die DTD des Exportordners"},
        {config, "eine eigene Datei des Hosts"},
        {home.file("link-auf-ini"), "eine eigene Datei des Hosts"},
        {home.file("harter-link"), "eine eigene Datei des Hosts"},
    };
    if (::norvik::test::SqlOf(GetParam()) == "sqlite") {
        const std::string database = home.file("host.sqlite");
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            targets.push_back({database + suffix, "die Datenbank des Hosts"});
        targets.push_back({home.file("install/../host.sqlite"), "die Datenbank des Hosts"});
    }
    for (const auto& [target, kind] : targets) {
        // A GDU written in lower case is another file on this system and may be written.
        if (kind.empty()) continue;
        SCOPED_TRACE(target);
        Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
        engine->ExpDef->Dateiname = target;
        // The database's own files change by themselves (the protocol writes); the run must only
        // not touch them.
        const bool database = kind == "die Datenbank des Hosts";
        const std::string before = !database && fs::exists(target) ? ReadBytes(target) : "";
        messages->calls.clear();
        EXPECT_EQ(Run(), kErrPathFileAccess);
        const auto reports = Calls("ReportError");
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].text,
                  "Die Ausgabedatei " + target + " ist " + kind +
                      " und wird nicht überschrieben. Bitte wählen Sie eine andere Ausgabedatei.");
        if (!database) {
            EXPECT_TRUE(ReadBytes(target) == before);
        }
    }
    // The database still answers.
    EXPECT_EQ(State().session->Connection()->OpenRecordSet("SELECT COUNT(*) FROM kunden")->Item(0),
              Value(int64_t{3}));
}

TEST_P(RunSafetyTest, TheRememberedOutputFileIsAbsolute) {
    const fs::path before = fs::current_path();
    fs::create_directories(home.path() / "arbeit" / "unter");
    fs::current_path(home.path() / "arbeit");
    Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
    engine->ExpDef->Dateiname = "./unter/../unter/bericht.csv";
    const int32_t result = Run();
    fs::current_path(before);
    ASSERT_EQ(result, 0);
    const std::string absolute = (home.path() / "arbeit" / "unter" / "bericht.csv").string();
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Test"), absolute);
    EXPECT_EQ(ReadBytes(absolute), "1\r\n2\r\n3\r\n");
    EXPECT_NE(engine->LastSummary().find("Ausgabedatei: " + absolute), std::string::npos);
}

TEST_P(RunSafetyTest, AnUnwritableSettingsFolderIsAWarningAfterACompleteRun) {
    WriteBytes(home.file("kein-ordner"), "");
    ::setenv("XDG_CONFIG_HOME", home.file("kein-ordner").c_str(), 1);
    Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(Output(), "1\r\n2\r\n3\r\n");
    EXPECT_TRUE(Calls("ReportError").empty());
    const auto texts = Calls("ShowText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].style, 3);
    EXPECT_EQ(
        texts[0].text.rfind(
            "Warnung: Die Ausgabedatei wurde nicht als zuletzt verwendete Datei gespeichert. ", 0),
        0u);
    EXPECT_NE(engine->LastSummary().find(texts[0].text), std::string::npos);
    EXPECT_EQ(listener.events[listener.events.size() - 2],
              "ExportState:Datenexport erfolgreich durchgeführt.");
}

TEST_P(RunSafetyTest, TheLongestFixedLengthRunsAndAHugeMaximumOnlyCuts) {
    Load(std::string(kGeneral) + "Feldlänge=Fix\n[DATENSATZ]\nFIELD nr,N,,65535\n");
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(Output().size(), 3u * (65535 + 2));
    Load(std::string(kGeneral) + "Feldlänge=Max\n[DATENSATZ]\nFIELD nr,N,,2147483647\n");
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(Output(), "1\r\n2\r\n3\r\n");
}

TEST_P(RunSafetyTest, ALineBreakInAValueCannotForgeARecord) {
    Sql("CREATE TABLE notizen (nr INTEGER, text VARCHAR(40))");
    State().session->Connection()->Execute("INSERT INTO notizen VALUES (1, ?)",
                                           {Value(std::string("erste\r\nzweite\nFIELD x"))});
    const std::string general = "[Allgemein]\nName=Test\nDatenquelle=notizen\nDateiname={OUT}\n";
    const std::pair<std::string, std::string> cases[] = {
        {"Feldlänge=Fix\n[DATENSATZ]\nFIELD nr,N,,2\nFIELD text,T,,26\n",
         " 1;\"erste  zweite FIELD x     \"\r\n"},
        {"Texterkenner=\n[DATENSATZ]\nFIELD nr,N,,0\nFIELD text,T,,0\n",
         "1;erste  zweite FIELD x\r\n"},
        {"[DATENSATZ]\nFIELD nr,N,,0\nFIELD text,T,,0\n", "1;\"erste\r\nzweite\nFIELD x\"\r\n"},
    };
    for (const auto& [definition, expected] : cases) {
        SCOPED_TRACE(definition);
        Load(general + definition);
        ASSERT_EQ(Run(), 0);
        EXPECT_EQ(Output(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, RunSafetyTest, ::testing::ValuesIn(ExportBackends()),
                         BackendName);

}  // namespace
}  // namespace norvik::test
