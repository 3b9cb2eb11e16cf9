#include "db/postgresql/pg_database.h"

#include <poll.h>

#include <chrono>
#include <utility>

#include "db/db_error.h"
#include "db/secret_text.h"
#include "db/statement_cancel.h"

namespace norvik::db {
namespace {

// The notices (e.g. "table does not exist, skipping") would otherwise go to stderr.
void IgnoreNotice(void*, const char*) {}

constexpr const char* kBeginRead = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";
// A side session gives up a lock it cannot have soon: it may be queued behind a statement that
// waits for the main session, which our client in turn would wait for.
constexpr const char* kSideLockTimeout = "SET LOCAL lock_timeout = '2s'";
// Seconds a side session may take to begin reading a snapshot.
constexpr int kSideStartSeconds = 5;

void Cancel(PGconn* conn) noexcept {
    if (PGcancel* cancel = PQgetCancel(conn)) {
        char error[256];
        PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
    }
}

}  // namespace

PgDatabase::PgDatabase(const std::string& url, bool bare) : url_(url) {
    // Values after "dbname" override the URL's; those before it are defaults the URL may override.
    const char* keys[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
    const char* values[] = {"15", url.c_str(), "UTF8", nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (!conn_) ThrowDatabaseError("Keine Verbindung zur Datenbank möglich");
    if (PQstatus(conn_) != CONNECTION_OK) {
        // libpq's syntax errors quote pieces of the URL, passwords included.
        const std::string message = RedactSecrets(PQerrorMessage(conn_), url);
        PQfinish(conn_);
        ThrowDatabaseError(message);
    }
    PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
    cancel_ = PQgetCancel(conn_);
    if (bare) return;
    try {
        // Values come back in forms that do not depend on the server's settings: ISO dates,
        // money with "." before the cents, bytea in hex.
        const PgResult facts =
            Run("SET DateStyle TO ISO; SET lc_monetary TO 'C'; SET bytea_output TO hex; "
                "SELECT current_setting('statement_timeout') <> '0', pg_is_in_recovery()");
        boundsStatements_ = PQgetvalue(facts.get(), 0, 0)[0] == 't';
        inRecovery_ = PQgetvalue(facts.get(), 0, 1)[0] == 't';
    } catch (...) {
        PQfreeCancel(cancel_);
        PQfinish(conn_);
        throw;
    }
}

PgDatabase::~PgDatabase() {
    PQfreeCancel(cancel_);
    PQfinish(conn_);
}

PgResult PgDatabase::Run(const std::string& sql, const PgParams* params,
                         std::optional<UserStatement> user) {
    CollectPending();
    const WaitingStatement waiting(cancel_);
    PgResult result(params && params->Count() > 0
                        ? PQexecParams(conn_, sql.c_str(), params->Count(), nullptr,
                                       params->Pointers(), nullptr, nullptr, 0)
                        : PQexec(conn_, sql.c_str()));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
    if (!result) ThrowDatabaseError(PQerrorMessage(conn_));
    ThrowDatabaseError(user ? PgStatementError(result.get(), sql, *user)
                            : PgServerError(result.get(), PQresultErrorMessage(result.get())));
}

void PgDatabase::RunQuietly(const char* sql) noexcept {
    CollectPending();
    PQclear(PQexec(conn_, sql));
}

bool PgDatabase::RunWithin(const std::string& sql, int seconds) noexcept {
    CollectPending();
    if (!PQsendQuery(conn_, sql.c_str())) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    bool cancelled = false;
    while (PQconsumeInput(conn_) && PQisBusy(conn_)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            // A statement still waiting after the cancel leaves the session unusable.
            if (cancelled) return false;
            Cancel(conn_);
            cancelled = true;
            continue;
        }
        pollfd socket{PQsocket(conn_), POLLIN, 0};
        poll(&socket, 1, static_cast<int>(left.count()));
    }
    bool ok = !cancelled;
    while (PGresult* result = PQgetResult(conn_)) {
        const ExecStatusType status = PQresultStatus(result);
        ok = ok && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK);
        PQclear(result);
    }
    return ok && PQstatus(conn_) == CONNECTION_OK;
}

void PgDatabase::Send(const std::string& sql, PgPendingResult* owner) {
    CollectPending();
    if (!PQsendQuery(conn_, sql.c_str())) ThrowDatabaseError(PQerrorMessage(conn_));
    pending_ = owner;
}

PgResult PgDatabase::TakeResult() noexcept {
    pending_ = nullptr;
    const WaitingStatement waiting(cancel_);
    PgResult first(PQgetResult(conn_));
    // A statement's results end with a null; nothing may be left for the next one.
    while (PGresult* extra = PQgetResult(conn_)) PQclear(extra);
    return first;
}

void PgDatabase::Check(const PgResult& result) const {
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
    ThrowDatabaseError(result ? PgServerError(result.get(), PQresultErrorMessage(result.get()))
                              : PQerrorMessage(conn_));
}

void PgDatabase::CollectPending() noexcept {
    if (PgPendingResult* owner = std::exchange(pending_, nullptr)) owner->Collect();
}

bool PgDatabase::BeginRead() {
    return reads_.Join([&] { return PQtransactionStatus(conn_) == PQTRANS_IDLE; },
                       [&] { Run(kBeginRead); });
}

void PgDatabase::EndRead() noexcept {
    if (!reads_.Leave()) return;
    CollectPending();
    // COMMIT of a failed transaction rolls it back; ROLLBACK covers a COMMIT that could not even be
    // sent.
    PgResult result(PQexec(conn_, "COMMIT"));
    if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK) RunQuietly("ROLLBACK");
}

void PgDatabase::RestartRead() {
    CollectPending();
    RunQuietly("ROLLBACK");
    Run(kBeginRead);
}

std::string PgDatabase::RewrittenSinceSnapshot() {
    // The snapshot is taken when a statement begins, its locks only while it is planned: a rewrite
    // committed in between gives the relation a new file whose rows the snapshot does not see.
    // pg_class read through the snapshot names the file it knew, pg_relation_filenode the file now.
    const PgResult stale =
        Run("SELECT string_agg(DISTINCT l.relation::regclass::text, ', ') FROM pg_locks AS l "
            "LEFT JOIN pg_class AS c ON c.oid = l.relation WHERE l.pid = pg_backend_pid() AND "
            "l.locktype = 'relation' AND l.granted AND l.database = (SELECT oid FROM pg_database "
            "WHERE datname = current_database()) AND (c.oid IS NULL OR (c.relfilenode <> 0 AND "
            "c.relfilenode IS DISTINCT FROM pg_relation_filenode(l.relation)))");
    return PQntuples(stale.get()) == 1 ? PQgetvalue(stale.get(), 0, 0) : "";
}

std::string PgDatabase::NextCursorName() {
    return "norvik_cur_" + std::to_string(++cursors_);
}

std::optional<PgSharedSnapshot> PgDatabase::ShareSnapshot(bool& restarted) {
    CollectPending();
    // The settings made in this session (the ones set at connecting among them) go along; a
    // temporary table would not be seen by another session.
    PgResult result(
        PQexec(conn_,
               "SELECT pg_export_snapshot(), pg_my_temp_schema() <> 0, "
               "(SELECT 'SELECT ' || string_agg(format('set_config(%L, %L, true)', name, "
               "setting), ', ') FROM pg_settings WHERE source = 'session')"));
    if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK) {
        // The failure ended the transaction this session began for reading; it begins anew.
        RunQuietly("ROLLBACK");
        Run(kBeginRead);
        restarted = true;
        return std::nullopt;
    }
    if (PQgetvalue(result.get(), 0, 1)[0] == 't') return std::nullopt;
    return PgSharedSnapshot{PQgetvalue(result.get(), 0, 0), PQgetvalue(result.get(), 0, 2)};
}

std::string PgDatabase::JoinSnapshotSql(const PgSharedSnapshot& snapshot) {
    return std::string(kBeginRead) + "; SET TRANSACTION SNAPSHOT '" + snapshot.id + "'; " +
           (snapshot.settings.empty() ? "" : snapshot.settings + "; ") + kSideLockTimeout;
}

bool PgDatabase::JoinSnapshot(const PgSharedSnapshot& snapshot) noexcept {
    if (RunWithin(JoinSnapshotSql(snapshot), kSideStartSeconds)) return true;
    RunQuietly("ROLLBACK");
    return false;
}

std::unique_ptr<PgDatabase> PgDatabase::BorrowReader() noexcept {
    if (reader_) return std::move(reader_);
    try {
        return std::make_unique<PgDatabase>(url_, true);
    } catch (...) {
        return nullptr;
    }
}

std::shared_ptr<PgDatabase> PgDatabase::SnapshotReader() {
    std::unique_ptr<PgDatabase> side = copying_ ? BorrowReader() : nullptr;
    if (!side || !side->JoinSnapshot(*copying_))
        ThrowDatabaseError(
            "Die Verbindung liest gerade die Zeilen einer Abfrage, und eine zweite Sitzung zur "
            "Datenbank für eine weitere Abfrage ist nicht zu haben (Verbindungsgrenze der Rolle "
            "oder des Servers, ein Verbindungspool ohne freie Serververbindung).");
    side->reads_.Adopt();
    return side;
}

void PgDatabase::ReturnReader(std::unique_ptr<PgDatabase> reader) noexcept {
    if (reader && PQstatus(reader->conn_) == CONNECTION_OK &&
        PQtransactionStatus(reader->conn_) == PQTRANS_IDLE)
        reader_ = std::move(reader);
}

}  // namespace norvik::db
