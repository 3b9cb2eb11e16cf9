#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "common/output_file.h"
#include "common/vb_error.h"
#include "db/connection.h"
#include "host/cancel_request.h"
#include "host/db_protocol.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "host/user_settings.h"
#include "run_fixture.h"
#include "support/cases.h"
#include "support/session/definition_text.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

class SqliteRunTest : public RunTest {};    // SQLite's json() provokes an error in a chosen row
class PostgresRunTest : public RunTest {};  // only a server can go away

// The cases of cases/failing_runs.tsv: each run's one report, the events that end it, the output
// file as it was before and nothing remembered.
TEST_P(RunTest, EachFailingRunSaysWhyAndLeavesTheFileAsItWas) {
    for (const CaseRow& c : ReadCases("engine/cases/failing_runs.tsv")) {
        SCOPED_TRACE(c.where + " " + c[0]);
        const int32_t number = std::stoi(c[4]);
        fs::create_directories(home.file("weg"));
        fs::remove(out);
        if (c[2] != "-") WriteBytes(out, c[2]);
        messages->calls.clear();
        listener.events.clear();
        Load(Filled(c[1], {{"{GENERAL}", kGeneral}}));
        engine->ExpDef->Dateiname =
            Filled(c[6], {{"{OUT}", out}, {"{HOME}", home.path().string()}});
        int written = 0;
        Services().messagePump = [&] {
            if (++written != 2) return;
            if (c[3] == "cancel") RequestCancel();
            if (c[3] == "vanish") fs::remove_all(home.file("weg"));
        };
        EXPECT_EQ(Run(), number);
        Services().messagePump = nullptr;
        ClearCancel();
        // A failure says only what failed: no second message about the protocol.
        const std::string report =
            "ReportError: TQExport.BuildExport|" + std::to_string(number) + "|1|";
        EXPECT_TRUE(Matches(DescribeMessages(*messages), report + c[5] + "\n"))
            << DescribeMessages(*messages);
        ASSERT_GE(listener.events.size(), 2u);
        EXPECT_EQ(listener.events.back(), "Done:1");
        EXPECT_EQ(
            listener.events[listener.events.size() - 2],
            "ExportState:Fehler: " + std::to_string(number) + " " + messages->calls.back().text);
        EXPECT_EQ(fs::exists(out) ? Output() : "-", c[2]);
        for (const auto& e : fs::directory_iterator(home.path()))
            EXPECT_EQ(e.path().filename().string().find(".norvik-"), std::string::npos) << e.path();
        EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Test"), "");
        EXPECT_EQ(engine->LastSummary(), "");
    }
    // The last stopped run's protocol says how it ended.
    const auto entries = ReadProtocolEntries(*State().session->Connection(), 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].lines,
              (std::vector<std::string>{"Fehler: 53 " + messages->calls.back().text}));
}

TEST_P(SqliteRunTest, AnErrorInTheThirdRowLeavesTheLastGoodFile) {
    for (const char* append : {"N", "J"}) {
        SCOPED_TRACE(append);
        WriteBytes(out, "gut 1\r\ngut 2\r\n");
        messages->calls.clear();
        Load(std::string("[Allgemein]\nName=Test\nDatenquelle=SELECT nr, CASE WHEN "
                         "nr < 3 THEN ") +
             "'ok' ELSE json('{') END AS v FROM kunden\nDateiname={OUT}\nKopfzeile=J\nAnfuegen=" +
             append + "\n[DATENSATZ]\nFIELD nr,N,,0\nFIELD v,T,,0\n");
        EXPECT_EQ(Run(), kErrDatabase);
        EXPECT_EQ(Output(), "gut 1\r\ngut 2\r\n");
        ASSERT_EQ(Calls("ReportError").size(), 1u);
        const std::string said = Calls("ReportError")[0].text;
        EXPECT_NE(said.find(" Bis dahin waren 2 Datensätze geschrieben; die Ausgabedatei ist "
                            "unverändert."),
                  std::string::npos)
            << said;
        const auto entries = ReadProtocolEntries(*State().session->Connection(), 1);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].lines.back(), "Fehler: " + std::to_string(kErrDatabase) + " " + said);
        EXPECT_EQ(listener.events.back(), "Done:1");
    }
}

TEST_P(PostgresRunTest, ServerLostInTheMiddleOfARun) {
    Sql("INSERT INTO kunden SELECT g, 'x', 'y', 1, NULL, NULL FROM "
        "generate_series(10, 2600) AS g");
    auto rs = State().session->Connection()->OpenRecordSet("SELECT pg_backend_pid()");
    const int64_t pid = std::get<int64_t>(rs->Item(0));
    rs->Close();
    // The server is lost while it still works on the last row.
    Load(
        "[Allgemein]\nName=Test\nDatenquelle=SELECT nr FROM kunden WHERE nr < 2600 OR "
        "pg_sleep(60) IS NULL\nDateiname={OUT}\n[DATENSATZ]\nFIELD nr,N,,0\n");
    WriteBytes(out, "gut\r\n");
    int rows = 0;
    auto admin = db::Connection::Open(std::getenv("NORVIK_TEST_PG_URL"));
    Services().messagePump = [&] {
        if (++rows == 5) admin->Execute("SELECT pg_terminate_backend(" + std::to_string(pid) + ")");
    };
    const int32_t result = Run();
    Services().messagePump = nullptr;
    EXPECT_EQ(result, kErrDatabase);
    EXPECT_GT(rows, 5);
    EXPECT_EQ(Output(), "gut\r\n");
    EXPECT_EQ(listener.events.back(), "Done:1");
    EXPECT_EQ(Calls("ReportError").size(), 1u);
}

TEST_P(RunTest, EventsReportEveryRowTheProtocolFollowsTheSettingAndNoRowsWriteNoFile) {
    Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
    auto& db = *State().session->Connection();
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(listener.events, (std::vector<std::string>{
                                   "strInfo:1 Datensätze exportiert.", "ExportProgress:33",
                                   "strInfo:2 Datensätze exportiert.", "ExportProgress:67",
                                   "strInfo:3 Datensätze exportiert.", "ExportProgress:100",
                                   "ExportState:Datenexport erfolgreich durchgeführt.", "Done:1"}));
    auto entries = ReadProtocolEntries(db, 10);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, "Datenexport");
    EXPECT_EQ(entries[0].user, "tester");
    EXPECT_EQ(entries[0].listName, "LST_GDPdU");
    EXPECT_EQ(entries[0].interfaceName, "Test");
    EXPECT_EQ(entries[0].fileOrFolder, out);
    EXPECT_EQ(entries[0].lines, (std::vector<std::string>{engine->LastSummary()}));

    State().hostSettings->WriteValue("TQBExport", "ProtokollErzeugen", "0", "tester");
    Sql("INSERT INTO kunden VALUES (4, 'Vier', 'Bonn', 4, NULL, NULL)");
    listener.events.clear();
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(ReadProtocolEntries(db, 10).size(), 1u);
    std::vector<std::string> percents;
    for (const auto& e : listener.events)
        if (e.starts_with("ExportProgress:")) percents.push_back(e.substr(15));
    EXPECT_EQ(percents, (std::vector<std::string>{"25", "50", "75", "100"}));
    EXPECT_TRUE(messages->calls.empty());

    // No rows write no file.
    std::filesystem::remove(out);
    engine->SQLWhere = "nr > 99";
    listener.events.clear();
    ASSERT_EQ(Run(), 0);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"ExportState:Keine Daten im angegebenen Bereich vorhanden.",
                                        "Done:1"}));
    ASSERT_EQ(engine->LastNotes().size(), 1u);
    EXPECT_EQ(engine->LastNotes()[0].kind, RunNote::Kind::NoData);
}

TEST_P(RunTest, GdpduModeShowsTheSummaryAndWritesToTheOpenProtocol) {
    Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
    engine->Mode = cTQGDPdU;
    OpenProtocol(State(), Services(), "GDPdU - Datenausgabe", "tester", "LST_GDPdU", "01.01.2026",
                 "Profil", "/tmp", "Zeitraum");
    ASSERT_EQ(Run(), 0);
    const auto texts = Calls("ShowText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].style, 4);
    EXPECT_EQ(texts[0].text, engine->LastSummary());
    EXPECT_EQ(listener.events.back(), "Done:1");
    for (const auto& e : listener.events) EXPECT_EQ(e.rfind("ExportState", 0), std::string::npos);

    engine->ExpDef->Datenquelle = "gibtsnicht";
    EXPECT_NE(Run(), 0);
    const auto after = Calls("ShowText");
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1].style, 0);
    EXPECT_EQ(after[1].text.rfind("Fehler: ", 0), 0u);
    EXPECT_TRUE(Calls("ReportError").empty());
    CloseProtocol(State());
    const auto entries = ReadProtocolEntries(*State().session->Connection(), 10);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_EQ(entries[0].lines.size(), 2u);
    EXPECT_EQ(entries[0].lines[1].rfind("Fehler: " + std::to_string(kErrDatabase) + " ", 0), 0u);
}

TEST_P(RunTest, TheHostsOwnFilesAreNeverWritten) {
    const std::string config = home.file("norvik-export.ini");
    WriteBytes(config, "[Datenbank]\n");
    State().session->ownFiles.push_back(config);
    WriteBytes(State().exportPath + "gdpdu-01-08-2002.dtd", "<!-- dtd -->");
    WriteBytes(State().exportPath + "PROFIL.GDU", "[Allgemein]\n");
    fs::create_symlink(config, home.file("link-auf-ini"));
    fs::create_hard_link(config, home.file("harter-link"));

    for (const CaseRow& c : ReadCases("engine/cases/own_files.tsv")) {
        if (c.fields.size() > 2 && SqlOf(GetParam()) != c[2]) continue;
        const std::string target =
            Filled(c[0], {{"{EXPORT}", State().exportPath}, {"{HOME}", home.path().string()}});
        const std::string& kind = c[1];
        SCOPED_TRACE(target);
        Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
        engine->ExpDef->Dateiname = target;
        // The database's own files change by themselves (the protocol writes); the run must only
        // not touch them.
        const bool database = kind == "die Datenbank des Hosts";
        const std::string before = !database && fs::exists(target) ? ReadBytes(target) : "";
        messages->calls.clear();
        EXPECT_EQ(Run(), kErrPathFileAccess);
        EXPECT_EQ(DescribeMessages(*messages),
                  "ReportError: TQExport.BuildExport|75|1|Die Ausgabedatei " + target + " ist " +
                      kind +
                      " und wird nicht überschrieben. Bitte wählen Sie eine andere "
                      "Ausgabedatei.\n");
        if (!database) {
            EXPECT_TRUE(ReadBytes(target) == before);
        }
    }
    // The database still answers.
    EXPECT_EQ(State().session->Connection()->OpenRecordSet("SELECT COUNT(*) FROM kunden")->Item(0),
              Value(int64_t{3}));
}

// The output file is remembered with its absolute path; where it cannot be, the complete run warns.
TEST_P(RunTest, TheOutputFileIsRememberedAbsoluteOrAWarningSaysWhyNot) {
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
    EXPECT_TRUE(Calls("ShowText").empty());

    WriteBytes(home.file("kein-ordner"), "");
    ::setenv("XDG_CONFIG_HOME", home.file("kein-ordner").c_str(), 1);
    engine->ExpDef->Dateiname = out;
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(Output(), "1\r\n2\r\n3\r\n");
    EXPECT_TRUE(Calls("ReportError").empty());
    const auto texts = Calls("ShowText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].style, 3);
    EXPECT_TRUE(texts[0].text.starts_with(
        "Warnung: Die Ausgabedatei wurde nicht als zuletzt verwendete Datei gespeichert. "));
    EXPECT_NE(engine->LastSummary().find(texts[0].text), std::string::npos);
    EXPECT_EQ(listener.events[listener.events.size() - 2],
              "ExportState:Datenexport erfolgreich durchgeführt.");
}

INSTANTIATE_TEST_SUITE_P(Sqlite, SqliteRunTest, ::testing::Values("sqlite"));
INSTANTIATE_TEST_SUITE_P(Postgres, PostgresRunTest, ::testing::Values("postgresql"));

bool IsNote(const std::string& line) {
    return line.starts_with("Hinweis: ") || line.starts_with("Warnung: ");
}

// The cases of cases/runs.txt: a definition, the file the run writes and the notes of its summary.
TEST_P(RunTest, EachDefinitionWritesItsFile) {
    for (const CaseBlock& c : ReadBlocks("engine/cases/runs.txt")) {
        SCOPED_TRACE(c.title);
        std::string definition, output, notes, said;
        std::istringstream input(c.input), expected(c.expected), summary;
        engine->SQLWhere = "";
        engine->Mode = cTQExport;
        std::filesystem::remove(out);
        bool twice = false;
        for (std::string line; std::getline(input, line);) {
            if (line.starts_with("SQL: "))
                Sql(DecodedField(line.substr(5)));
            else if (line == "GDPDU")
                engine->Mode = cTQGDPdU;
            else if (line.starts_with("WHERE: "))
                engine->SQLWhere = line.substr(7);
            else if (line.starts_with("BEFORE: "))
                WriteBytes(out, DecodedField(line.substr(8)));
            else if (line == "TWICE")
                twice = true;
            else
                definition += line + "\n";
        }
        for (std::string line; std::getline(expected, line);) {
            if (IsNote(line))
                notes += line + "\n";
            else
                output += line.starts_with("BYTES: ")
                              ? DecodedField(Repeated(line.substr(7))) + "\r\n"
                              : DefinitionBytes(line + "\n");
        }
        Load(definition);
        if (engine->Mode == cTQGDPdU)
            OpenProtocol(State(), Services(), "GDPdU - Datenausgabe", "tester", "LST_GDPdU",
                         "01.01.2026", "Profil", "/tmp", "Zeitraum");
        // Two runs of one loaded definition, as the dialog makes them.
        if (twice) {
            ASSERT_EQ(Run(), 0) << DescribeMessages(*messages);
        }
        ASSERT_EQ(Run(), 0) << DescribeMessages(*messages);
        if (engine->Mode == cTQGDPdU) CloseProtocol(State());
        EXPECT_EQ(Output(), output);
        summary.str(engine->LastSummary());
        for (std::string line; std::getline(summary, line);)
            if (IsNote(line)) said += line.substr(0, line.find('\r')) + "\n";
        EXPECT_EQ(said, notes);
    }
}

TEST_P(RunTest, TheRunReportsTheLinesAndValueFormsOfEachLayout) {
    Load(
        "[Allgemein]\nName=Test\nDatenquelle=kunden\nDateiname={OUT}\n"
        "Kopfzeile=J\n[VORLAUFSATZ]\nCONST \"V\",T,,0,,,,\n[VORLAUFSATZ]\nCONST \"X\",T,,0,,,,\n"
        "[DATENSATZ]\nCRITERIA \"nr\",\"<>\",\"2\"\nFIELD nr,N,,0,,,,\nFIELD betrag,N,,0,,,,\n"
        "FIELD zeit,D,,0,,,,\n[DATENSATZ 2]\nCRITERIA \"nr\",\"=\",\"2\"\nFIELD betrag,N,\"0.000\","
        "0,,,,\nFIELD datum,D,,0,,,,\n[NACHLAUFSATZ]\nFIELD nr,N,,0,,,,\n");
    ASSERT_EQ(Run(), 0);
    // Header line, header record, rows 1 and 3 of the first layout, row 2 of the second, trailer.
    const WrittenFile& written = engine->LastWritten();
    EXPECT_TRUE(written.headerLine);
    EXPECT_EQ(written.lines, 6);
    // Per layout: its first and last line, its lines, and each field's decimals ("t": with time).
    std::vector<std::string> layouts;
    for (const WrittenLayout& layout : written.layouts) {
        layouts.push_back(std::to_string(layout.firstLine) + "-" + std::to_string(layout.lastLine) +
                          " " + std::to_string(layout.lines) + ":");
        for (const WrittenField& field : layout.fields)
            layouts.back() += " " + std::to_string(field.decimals) + (field.withTime ? "t" : "");
    }
    // A second header record is never written.
    EXPECT_EQ(layouts, (std::vector<std::string>{"2-2 1: 0", "3-0 0:", "3-5 2: 0 2 0t",
                                                 "4-4 1: 3 0", "6-6 1: 0"}));

    engine->SQLWhere = "nr > 99";
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(engine->LastWritten().lines, 0);
    engine->ExpDef->Datenquelle = "gibtsnicht";
    ASSERT_NE(Run(), 0);
    EXPECT_TRUE(engine->LastWritten().layouts.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, RunTest, ::testing::ValuesIn(AllBackends()), BackendName);

}  // namespace
}  // namespace norvik::test
