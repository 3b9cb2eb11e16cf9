// What production PostgreSQL servers do to an export: a migration that waits for it, bounds on
// statements and idle transactions, a hot standby, a transaction pooler with one server connection,
// a role allowed one session. Each run ends with the whole file, or with a message naming why and
// the earlier file as it was; none waits for itself.

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "cli/cli_fixture.h"
#include "db/connection.h"
#include "host/cancel_request.h"
#include "host/db_protocol.h"
#include "support/backends/backends.h"
#include "support/cases.h"

namespace norvik {
namespace {

using test::CliOutcome;
using Clock = std::chrono::steady_clock;

constexpr int kRows = 400000;

// A companion server of scripts/pg-companions ("" when it could not start).
std::string Companion(const char* name) {
    const char* value = std::getenv(name);
    return value && std::string(value) != "-" ? value : "";
}

std::string WithOptions(const std::string& url, const std::string& options) {
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "options=" + options;
}

// Waits, without a fixed pause, until the condition holds; false after a minute.
bool Eventually(const std::function<bool()>& holds) {
    const auto deadline = Clock::now() + std::chrono::minutes(1);
    while (Clock::now() < deadline)
        if (holds()) return true;
    return false;
}

// The file of the first rows of the table.
std::string Lines(int rows) {
    std::string lines;
    for (int i = 1; i <= rows; ++i)
        lines += std::to_string(i) + ";\"Zeile " + std::to_string(i) + "\"\r\n";
    return lines;
}

class ServerFaults : public test::CliFixture {
  protected:
    void SetUp() override {
        NORVIK_REQUIRE_BACKEND("postgresql");
        url_ = std::getenv("NORVIK_TEST_PG_URL");
        CliFixture::SetUp();
        table_ = "zeilen_" + std::to_string(::getpid());
        admin_ = db::Connection::Open(url_);
        admin_->Execute("DROP TABLE IF EXISTS " + table_);
        admin_->Execute("CREATE TABLE " + table_ + " AS SELECT i AS nr, 'Zeile ' || i AS text " +
                        "FROM generate_series(1, " + std::to_string(kRows) + ") AS i");
        expected_ = Lines(kRows);
        Define("SELECT nr, text FROM " + table_);
        test::WriteBytes(Output(), "vorher\r\n");
    }

    void TearDown() override {
        if (admin_) admin_->Execute("DROP TABLE IF EXISTS " + table_);
    }

    // True once a statement starting so waits for a lock on the table; false after a minute.
    bool Waits(const std::string& start) const {
        const std::string waiting =
            "SELECT COUNT(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND query LIKE "
            "'" +
            start + "%" + table_ + "%'";
        return Eventually(
            [&] { return std::get<int64_t>(admin_->OpenRecordSet(waiting)->Item(0)) == 1; });
    }

    void Define(const std::string& source) const {
        test::WriteBytes(exports() + "ZEILEN.EXP",
                         test::DefinitionBytes("[Allgemein]\nName=Zeilen\nDatenquelle=" + source +
                                               "\nDateiname=" + Output() +
                                               "\n[DATENSATZ]\nFIELD nr,N,,0\nFIELD text,T,,0\n"));
    }

    void UseDatabase(const std::string& url) const {
        test::WriteBytes(home() + "/norvik-export.ini",
                         "[Datenbank]\nURL=" + url + "\n[Sitzung]\nBenutzer=anna\n");
    }

    // Runs the definition into its file, remembering nothing.
    CliOutcome Export(const std::string& protocol) const {
        return Run({"-q", "run", "ZEILEN.EXP", "--no-remember", protocol});
    }

    // Exports over an earlier file, which the export must replace whole.
    CliOutcome ExportWhole(const std::string& protocol) const {
        test::WriteBytes(Output(), "vorher\r\n");
        const CliOutcome r = Export(protocol);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(test::ReadBytes(Output()) == expected_);
        return r;
    }

    std::string Output() const { return dir.file("zeilen.txt"); }

    // How many protocol entries this test's runs left with their summary line (other tests
    // write theirs meanwhile).
    size_t Entries() const {
        size_t count = 0;
        for (const ProtocolEntry& entry : ReadProtocolEntries(*admin_, 1000))
            count +=
                entry.fileOrFolder == Output() && entry.user == "anna" && entry.lines.size() == 1;
        return count;
    }

    std::string url_;
    std::string table_;
    std::string expected_;
    std::shared_ptr<db::Connection> admin_;
};

// The bounds of cases/server_bounds.tsv.
TEST_F(ServerFaults, TheServersBoundsHoldForEveryStatementOfAnExport) {
    constexpr int kSlowRows = 30000;
    const std::string expected = Lines(kSlowRows);
    size_t entries = 0;
    for (const test::CaseRow& c : test::ReadCases("cli/cases/server_bounds.tsv")) {
        SCOPED_TRACE(c.where);
        UseDatabase(WithOptions(url_, c[0]));
        Define("SELECT nr, text FROM " + table_ + " WHERE nr <= " + std::to_string(kSlowRows) +
               " AND (nr % 1000 <> 0 OR pg_sleep(0.08)::text = '')" + c[1]);
        test::WriteBytes(Output(), "vorher\r\n");
        const CliOutcome r = Export("--protocol");
        const bool completes = c[2] == "1";
        EXPECT_EQ(r.code, completes ? 0 : 1) << r.err;
        EXPECT_EQ(r.err.empty(), completes) << r.err;
        EXPECT_EQ(r.err.find("Einstellung statement_timeout") == std::string::npos, completes)
            << r.err;
        EXPECT_TRUE(test::ReadBytes(Output()) == (completes ? expected : "vorher\r\n"));
        if (completes) {
            EXPECT_EQ(Entries(), ++entries);
        }
    }
}

// A migration (ALTER TABLE) waits for the export's lock; the export must not wait for anything
// queued behind it, so it completes, and the migration follows.
TEST_F(ServerFaults, AMigrationQueuedBehindTheExportFollowsIt) {
    auto session = db::Connection::Open(url_);
    auto rows = session->OpenRecordSet("SELECT nr FROM " + table_);
    PGconn* migration = PQconnectdb(url_.c_str());
    ASSERT_EQ(PQstatus(migration), CONNECTION_OK);
    ASSERT_TRUE(
        PQsendQuery(migration, ("ALTER TABLE " + table_ + " ADD COLUMN neu INTEGER").c_str()));
    ASSERT_TRUE(Waits("ALTER TABLE "));
    // Another record set opened meanwhile reads beside the streaming one and must not wait either.
    EXPECT_EQ(session->OpenRecordSet("SELECT 7 AS x")->Item(0), Value(int64_t{7}));
    int64_t count = 0, sum = 0;
    for (; !rows->Eof(); rows->MoveNext(), ++count) sum += std::get<int64_t>(rows->Item(0));
    EXPECT_EQ(count, kRows);
    EXPECT_EQ(sum, int64_t{kRows} * (kRows + 1) / 2);
    EXPECT_EQ(rows->RecordCount(), kRows);
    rows->Close();
    PGresult* done = PQgetResult(migration);
    EXPECT_EQ(PQresultStatus(done), PGRES_COMMAND_OK) << PQresultErrorMessage(done);
    PQclear(done);
    while (PGresult* extra = PQgetResult(migration)) PQclear(extra);
    PQfinish(migration);
}

// A stop (Abbrechen, SIGINT, SIGTERM) while the server makes the export wait for a lock that
// someone else holds cancels the waiting statement: the stop does not wait for the lock. A rewrite
// (ALTER TABLE … TYPE) that commits while a reader waits for its lock gives the table new files,
// whose rows a snapshot taken before would not see: the reader reads them all.
TEST_F(ServerFaults, AWaitForALockNeitherHoldsUpAStopNorMissesRewrittenRows) {
    PGconn* holder = PQconnectdb(url_.c_str());
    ASSERT_EQ(PQstatus(holder), CONNECTION_OK);
    PQclear(PQexec(holder, ("BEGIN; LOCK TABLE " + table_ + " IN ACCESS EXCLUSIVE MODE").c_str()));
    // Without the cancel the export would wait the whole lock_timeout.
    UseDatabase(WithOptions(url_, "-clock_timeout%3D60000"));
    bool waited = false;
    std::thread stopper([&] {
        waited = Waits("DECLARE");
        RequestCancel();
    });
    const auto start = Clock::now();
    const CliOutcome r = Export("--no-protocol");
    const auto took = Clock::now() - start;
    stopper.join();
    ClearCancel();
    EXPECT_TRUE(waited);
    EXPECT_LT(took, std::chrono::seconds(30));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Der Export wurde abgebrochen"), std::string::npos) << r.err;
    EXPECT_TRUE(test::ReadBytes(Output()) == "vorher\r\n");

    auto session = db::Connection::Open(url_);
    int64_t count = -1;
    std::thread reader([&] {
        auto rows = session->OpenRecordSet("SELECT nr FROM " + table_);
        for (count = 0; !rows->Eof(); rows->MoveNext()) ++count;
    });
    EXPECT_TRUE(Waits("DECLARE"));
    PGresult* done =
        PQexec(holder, ("ALTER TABLE " + table_ + " ALTER COLUMN nr TYPE BIGINT; COMMIT").c_str());
    EXPECT_EQ(PQresultStatus(done), PGRES_COMMAND_OK) << PQresultErrorMessage(done);
    PQclear(done);
    PQfinish(holder);
    reader.join();
    EXPECT_EQ(count, kRows);
}

// A standby takes no changes: what cannot be stored is a warning, the export is whole.
TEST_F(ServerFaults, AStandbyExportsAndWarnsOfWhatItCannotStore) {
    const std::string standby = Companion("NORVIK_TEST_PG_STANDBY_URL");
    if (standby.empty())
        GTEST_SKIP() << "no standby (scripts/pg-companions starts one beside the test server)";
    auto replica = db::Connection::Open(standby);
    // The protocol and settings tables exist on the primary, as a standby's host has them.
    UseDatabase(url_);
    ASSERT_EQ(Export("--protocol").code, 0);
    const std::string replayed = "SELECT COUNT(*) FROM pg_class WHERE relname = '" + table_ + "'";
    ASSERT_TRUE(Eventually(
        [&] { return std::get<int64_t>(replica->OpenRecordSet(replayed)->Item(0)) == 1; }));
    UseDatabase(standby);
    CliOutcome r = ExportWhole("--no-protocol");
    EXPECT_NE(r.err.find("Warnung: Die Datenbank nimmt die Einstellung \"ProtokollErzeugen\" "
                         "nicht an"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
    // A protocol it cannot write is said once; the export is whole all the same.
    r = ExportWhole("--protocol");
    EXPECT_NE(r.err.find("Protokoll konnte nicht erzeugt werden"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Protokollzeile"), std::string::npos) << r.err;
}

// Behind pgbouncer in transaction mode with one server connection, which the export's own
// transaction holds, nothing of the export may wait for a second one.
TEST_F(ServerFaults, APoolerWithOneServerConnectionNeverWaitsForItself) {
    const std::string pooler = Companion("NORVIK_TEST_PG_POOLER_URL");
    if (pooler.empty())
        GTEST_SKIP() << "no pgbouncer (scripts/pg-companions starts one when it is installed)";
    UseDatabase(pooler);
    ExportWhole("--protocol");
    EXPECT_EQ(Entries(), 1u);
}

// A role allowed one session and no CREATE (PostgreSQL 15 gives ordinary roles none on "public")
// exports on it, stores its choice and writes its protocol.
TEST_F(ServerFaults, ARoleAllowedOneSessionExportsOnIt) {
    UseDatabase(url_);
    ASSERT_EQ(Export("--protocol").code, 0);  // the host tables exist
    const std::string role = "einzeln_" + std::to_string(::getpid());
    admin_->Execute("DROP ROLE IF EXISTS " + role);
    admin_->Execute("CREATE ROLE " + role + " LOGIN CONNECTION LIMIT 1");
    admin_->Execute("GRANT SELECT ON " + table_ + " TO " + role +
                    "; GRANT SELECT, INSERT, UPDATE ON norvik_host_settings, norvik_protocol, "
                    "norvik_protocol_line TO " +
                    role);
    ASSERT_EQ(
        admin_->OpenRecordSet("SELECT has_schema_privilege('" + role + "', 'public', 'CREATE')")
            ->Item(0),
        Value(false));
    const size_t user = url_.find("://") + 3;
    UseDatabase(url_.substr(0, user) + role + url_.substr(url_.find('@', user)));
    test::WriteBytes(Output(), "vorher\r\n");
    const CliOutcome r = Run({"-q", "run", "ZEILEN.EXP", "--protocol"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(test::ReadBytes(Output()) == expected_);
    EXPECT_EQ(Entries(), 2u);
    EXPECT_EQ(admin_
                  ->OpenRecordSet("SELECT value FROM norvik_host_settings WHERE setting_key = "
                                  "'ProtokollErzeugen' AND owner = 'anna'")
                  ->Item(0),
              Value(std::string("1")));
    admin_->Execute("REVOKE ALL ON " + table_ + ", norvik_host_settings, norvik_protocol, " +
                    "norvik_protocol_line FROM " + role + "; DROP ROLE " + role);
}

}  // namespace
}  // namespace norvik
