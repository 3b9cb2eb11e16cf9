// Opening connections, running statements and reporting database errors.

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "backend_fixture.h"
#include "common/file_io.h"
#include "common/guarded_open.h"
#include "support/test_support.h"

namespace norvik::db::test {
namespace {

TEST_P(BackendTest, ExecuteCountsChangedRows) {
    EXPECT_EQ(db_->Execute("CREATE TABLE t (id INTEGER, name TEXT)"), 0);
    EXPECT_EQ(db_->Execute("INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')"), 3);
    EXPECT_EQ(db_->Execute("UPDATE t SET name = ? WHERE id > ?", {std::string("x"), int64_t{1}}),
              2);
    EXPECT_EQ(db_->Execute("DELETE FROM t WHERE id > 5"), 0);
}

TEST_P(BackendTest, DatabaseErrorsCarryTheDatabasesMessage) {
    const std::string prefix = std::to_string(kErrDatabase) + ": ";
    std::string error = RaisedBy([&] { db_->Execute("SELEKT 1"); });
    EXPECT_EQ(error.substr(0, prefix.size()), prefix);
    const bool mariadb = ::norvik::test::SqlOf(GetParam()) == "mariadb";
    EXPECT_NE(error.find(mariadb ? "error in your SQL syntax" : "syntax error"), std::string::npos)
        << error;
    error = RaisedBy([&] { db_->OpenRecordSet("SELECT * FROM fehlt"); });
    EXPECT_EQ(error.substr(0, prefix.size()), prefix);
    EXPECT_NE(error.find("fehlt"), std::string::npos) << error;
    EXPECT_EQ(RaisedBy([&] { db_->Execute("SELECT ?, ?", {int64_t{1}}); }).substr(0, 2), "5:");
    // Without parameters a "?" is no marker on PostgreSQL (it is an operator there); ODBC
    // drivers take it for one.
    EXPECT_EQ(RaisedBy([&] { db_->Execute("SELECT ?", {}); }).substr(0, 2),
              GetParam() == "postgresql" ? "-2" : "5:");
    // The failed statements left no transaction behind.
    EXPECT_EQ(db_->Execute("CREATE TABLE danach (x INTEGER)"), 0);
    EXPECT_EQ(db_->OpenRecordSet("SELECT COUNT(*) AS n FROM danach")->RecordCount(), 1);
}

// What only PostgreSQL's own client has to get right.
class ServerTest : public BackendTest {};

// Long results stream by COPY, and what is opened meanwhile reads on a side session: both still
// read as the caller's session sees them.
TEST_P(ServerTest, LongResultsReadAsTheirSessionSeesThem) {
    db_->Execute("SET intervalstyle TO 'sql_standard'");
    EXPECT_EQ(
        db_->OpenRecordSet("SELECT INTERVAL '1 day' * g FROM generate_series(1, 1500) g")->Item(0),
        Value(std::string("1 0:00:00")));
    db_->Execute("CREATE TABLE t (v TEXT)");
    db_->Execute("INSERT INTO t SELECT 'dauerhaft' FROM generate_series(1, 1500)");
    db_->Execute("CREATE TEMPORARY TABLE t (v TEXT)");
    db_->Execute("INSERT INTO t SELECT 'temporär' FROM generate_series(1, 1500)");
    EXPECT_EQ(db_->OpenRecordSet("SELECT v FROM t")->Item(0), Value(std::string("temporär")));
}

// The cases of cases/server_errors.tsv.
TEST_P(ServerTest, ErrorsPointIntoTheUsersStatementNotTheWrapper) {
    for (const auto& c : ::norvik::test::ReadCases("db/cases/server_errors.tsv")) {
        const std::string error = RaisedBy([&] { db_->OpenRecordSet(c[0]); });
        EXPECT_NE(error.find(::norvik::test::Repeated(c[1])), std::string::npos) << error;
        for (const char* wrapper : {"COUNT(*)", "DECLARE", "LINE 3"})
            EXPECT_EQ(error.find(wrapper), std::string::npos) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(Server, ServerTest, ::testing::Values("postgresql"),
                         [](const auto& info) { return info.param; });

// Closing any descriptor of a file drops every POSIX lock the process holds on it, so no code of
// ours may open the database SQLite has open, nor its journals; a FIFO is refused before it blocks.
TEST(GuardedOpen, RefusesTheOpenDatabaseItsJournalsAndFifos) {
    ::norvik::test::TempDir dir;
    const std::string database = dir.file("host.sqlite");
    {
        const auto connection = Connection::Open("sqlite:" + database);
        connection->Execute("CREATE TABLE t (id INTEGER)");
        connection->Execute("INSERT INTO t VALUES (1)");
        const std::string link = dir.file("link.EXP");
        std::filesystem::create_symlink(database, link);
        for (const std::string& path : {database, database + "-wal", database + "-shm", link}) {
            ASSERT_TRUE(std::filesystem::exists(path)) << path;
            EXPECT_EQ(OpenGuarded(path, O_RDONLY).Get(), -1) << path;
            EXPECT_EQ(errno, EACCES) << path;
            EXPECT_THROW(ReadFileBytes(path, 100), VbError) << path;
        }
        EXPECT_EQ(connection->Execute("INSERT INTO t VALUES (2)"), 1);
    }
    // Once the database is closed, it is a file like any other.
    EXPECT_FALSE(ReadFileBytes(database, 16).empty());
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(OpenGuarded(fifo, O_RDONLY).Get(), -1);
    EXPECT_EQ(errno, EINVAL);
}

}  // namespace
}  // namespace norvik::db::test
