#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "db/connection.h"
#include "host/cancel_request.h"
#include "host/db_protocol.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "host/protocol.h"
#include "run_fixture.h"

namespace norvik::test {
namespace {

using RunErrorTest = RunTest;
class SqliteRunTest : public RunTest {};    // SQLite's json() provokes an error in a chosen row
class PostgresRunTest : public RunTest {};  // only a server can go away

const char* const kGeneral =
    "[Allgemein]\nName=Test\nDatenquelle=SELECT * FROM kunden ORDER BY nr\nDateiname={OUT}\n";

TEST_P(RunErrorTest, FailuresAreReportedWrittenAndEndWithDone) {
    struct Case {
        const char* name;
        std::string definition;
        std::string fileName;  // empty: the fixture's output file
        int32_t number;
        const char* fileAfter;  // nullptr: no file
    };
    const Case cases[] = {
        {"invalid SQL",
         "[Allgemein]\nDatenquelle=select * from kunden;\nDateiname={OUT}\n[DATENSATZ]\nFIELD "
         "nr,N,,0\n",
         "", kErrDatabase, nullptr},
        {"unknown column",
         std::string(kGeneral) + "Kopfzeile=J\n[DATENSATZ]\nFIELD nr,N,,0\nFIELD gibtsnicht,T,,0\n",
         "", kErrUnknownColumn, nullptr},
        {"unknown criterion column",
         std::string(kGeneral) + "[DATENSATZ]\nCRITERIA \"fehlt\",\"=\",\"1\"\nFIELD nr,N,,0\n", "",
         kErrUnknownColumn, nullptr},
        {"unknown parameter", std::string(kGeneral) + "[DATENSATZ]\nPARAM Fehlt,T,,0\n", "",
         kErrInvalidArgument, nullptr},
        {"missing folder", std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n",
         "/gibt/es/nicht/x.txt", kErrPathNotFound, nullptr},
        {"full disk", std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n", "/dev/full",
         kErrDiskFull, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(out);
        messages->calls.clear();
        listener.events.clear();
        Load(c.definition);
        if (!c.fileName.empty()) engine->ExpDef->Dateiname = c.fileName;
        EXPECT_EQ(Run(), c.number);
        const auto reports = Calls("ReportError");
        ASSERT_EQ(reports.size(), 1u);
        // A failure says only what failed: no second message about the protocol.
        EXPECT_TRUE(Calls("ShowMessage").empty()) << Calls("ShowMessage")[0].text;
        EXPECT_EQ(reports[0].className, "TQExport");
        EXPECT_EQ(reports[0].operation, "BuildExport");
        EXPECT_EQ(reports[0].number, c.number);
        ASSERT_GE(listener.events.size(), 2u);
        EXPECT_EQ(listener.events.back(), "Done:1");
        EXPECT_EQ(listener.events[listener.events.size() - 2],
                  "ExportState:Fehler: " + std::to_string(c.number) + " " + reports[0].text);
        if (c.fileAfter) {
            EXPECT_EQ(Output(), c.fileAfter);
        } else if (c.fileName.empty()) {
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

TEST_P(SqliteRunTest, AnErrorInTheThirdRowLeavesTheLastGoodFile) {
    for (const char* append : {"N", "J"}) {
        SCOPED_TRACE(append);
        WriteBytes(out, "gut 1\r\ngut 2\r\n");
        messages->calls.clear();
        Load(std::string("[Allgemein]\nName=Test\nDatenquelle=SELECT nr, CASE WHEN nr < 3 THEN ") +
             "'ok' ELSE json('{') END AS v FROM kunden\nDateiname={OUT}\nKopfzeile=J\nAnfuegen=" +
             append + "\n[DATENSATZ]\nFIELD nr,N,,0\nFIELD v,T,,0\n");
        EXPECT_EQ(Run(), kErrDatabase);
        EXPECT_EQ(Output(), "gut 1\r\ngut 2\r\n");
        ASSERT_EQ(Calls("ReportError").size(), 1u);
        const std::string said = Calls("ReportError")[0].text;
        EXPECT_NE(said.find(" Bis dahin 2 Datensätze waren geschrieben; die Ausgabedatei ist "
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
    Sql("INSERT INTO kunden SELECT g, 'x', 'y', 1, NULL, NULL FROM generate_series(10, 2600) AS g");
    auto rs = State().session->Connection()->OpenRecordSet("SELECT pg_backend_pid()");
    const int64_t pid = std::get<int64_t>(rs->Item(0));
    rs->Close();
    Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
    WriteBytes(out, "gut\r\n");
    int rows = 0;
    auto admin = db::Connection::Open(PostgresUrl());
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

TEST_P(RunErrorTest, ProtocolFollowsTheSettingAndTheMode) {
    Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
    auto& db = *State().session->Connection();
    ASSERT_EQ(Run(), 0);
    auto entries = ReadProtocolEntries(db, 10);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, "Datenexport");
    EXPECT_EQ(entries[0].user, "tester");
    EXPECT_EQ(entries[0].listName, "LST_GDPdU");
    EXPECT_EQ(entries[0].interfaceName, "Test");
    EXPECT_EQ(entries[0].fileOrFolder, out);
    EXPECT_EQ(entries[0].lines, (std::vector<std::string>{engine->LastSummary()}));

    State().hostSettings->WriteValue("TQBExport", "ProtokollErzeugen", "0", "tester");
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(ReadProtocolEntries(db, 10).size(), 1u);
    EXPECT_TRUE(messages->calls.empty());

    // A failure before the protocol was opened says only what failed, once.
    Load("[Allgemein]\nDatenquelle=gibtsnicht\nDateiname={OUT}\n");
    EXPECT_NE(Run(), 0);
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].kind, "ReportError");
}

TEST_P(RunErrorTest, GdpduModeShowsTheSummaryAndWritesToTheOpenProtocol) {
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

INSTANTIATE_TEST_SUITE_P(Sqlite, SqliteRunTest, ::testing::Values("sqlite"));
INSTANTIATE_TEST_SUITE_P(Postgres, PostgresRunTest, ::testing::Values("postgresql"));
INSTANTIATE_TEST_SUITE_P(Backends, RunErrorTest, ::testing::ValuesIn(ExportBackends()),
                         BackendName);

}  // namespace
}  // namespace norvik::test
