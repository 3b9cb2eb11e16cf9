#include <gtest/gtest.h>

#include <filesystem>

#include "common/output_file.h"
#include "common/vb_error.h"
#include "db/connection.h"
#include "engine/export_sql.h"
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

using RunErrorTest = RunTest;
class SqliteRunTest : public RunTest {};    // SQLite's json() provokes an error in a chosen row
class PostgresRunTest : public RunTest {};  // only a server can go away

const char* const kGeneral =
    "[Allgemein]\nName=Test\nDatenquelle=SELECT * FROM kunden ORDER BY nr\nDateiname={OUT}\n";

// Replaces each "{NAME}" in the text.
std::string Filled(std::string text, const std::vector<std::pair<std::string, std::string>>& with) {
    for (const auto& [name, value] : with)
        for (size_t p; (p = text.find(name)) != std::string::npos;)
            text.replace(p, name.size(), value);
    return text;
}

// The cases of cases/failing_runs.tsv: each run's one report, the events that end it, the output
// file as it was before and nothing remembered.
TEST_P(RunErrorTest, EachFailingRunSaysWhyAndLeavesTheFileAsItWas) {
    for (const CaseRow& c : ReadCases("engine/cases/failing_runs.tsv")) {
        SCOPED_TRACE(c.where + " " + c[0]);
        const bool before = c[2] != "-";
        const int32_t number = std::stoi(c[4]);
        std::filesystem::create_directories(home.file("weg"));
        std::filesystem::remove(out);
        if (before) WriteBytes(out, c[2]);
        messages->calls.clear();
        listener.events.clear();
        Load(Filled(c[1], {{"{GENERAL}", kGeneral}}));
        engine->ExpDef->Dateiname =
            Filled(c[6], {{"{OUT}", out}, {"{HOME}", home.path().string()}});
        int written = 0;
        Services().messagePump = [&] {
            if (++written != 2) return;
            if (c[3] == "cancel") RequestCancel();
            if (c[3] == "vanish") std::filesystem::remove_all(home.file("weg"));
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
        if (before) {
            EXPECT_EQ(Output(), c[2]);
        } else {
            EXPECT_FALSE(std::filesystem::exists(out));
        }
        for (const auto& e : std::filesystem::directory_iterator(home.path()))
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
        Load(std::string("[Allgemein]\nName=Test\nDatenquelle=SELECT nr, CASE WHEN nr < 3 THEN ") +
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
    Sql("INSERT INTO kunden SELECT g, 'x', 'y', 1, NULL, NULL FROM generate_series(10, 2600) AS g");
    auto rs = State().session->Connection()->OpenRecordSet("SELECT pg_backend_pid()");
    const int64_t pid = std::get<int64_t>(rs->Item(0));
    rs->Close();
    // The server is lost while it still works on the last row.
    Load(
        "[Allgemein]\nName=Test\nDatenquelle=SELECT nr FROM kunden WHERE nr < 2600 OR "
        "pg_sleep(60) IS NULL\nDateiname={OUT}\n[DATENSATZ]\nFIELD nr,N,,0\n");
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
