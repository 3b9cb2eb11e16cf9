#include "db/pg_database.h"

#include <utility>

#include "db/db_error.h"
#include "db/secret_text.h"

namespace norvik::db {
namespace {

// The notices (e.g. "table does not exist, skipping") would otherwise go to stderr.
void IgnoreNotice(void*, const char*) {}

}  // namespace

PgDatabase::PgDatabase(const std::string& url) {
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
    try {
        // Values come back in forms that do not depend on the server's settings: ISO dates,
        // money with "." before the cents, bytea in hex.
        Run("SET DateStyle TO ISO; SET lc_monetary TO 'C'; SET bytea_output TO hex");
    } catch (...) {
        PQfinish(conn_);
        throw;
    }
}

PgDatabase::~PgDatabase() {
    PQfinish(conn_);
}

PgResult PgDatabase::Run(const std::string& sql, const PgParams* params,
                         std::optional<UserStatement> user) {
    CollectPending();
    PgResult result(params && params->Count() > 0
                        ? PQexecParams(conn_, sql.c_str(), params->Count(), nullptr,
                                       params->Pointers(), nullptr, nullptr, 0)
                        : PQexec(conn_, sql.c_str()));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
    if (!result) ThrowDatabaseError(PQerrorMessage(conn_));
    ThrowDatabaseError(user ? PgStatementError(result.get(), sql, *user)
                            : PQresultErrorMessage(result.get()));
}

void PgDatabase::RunQuietly(const char* sql) noexcept {
    CollectPending();
    PQclear(PQexec(conn_, sql));
}

void PgDatabase::Send(const std::string& sql, PgPendingResult* owner) {
    CollectPending();
    if (!PQsendQuery(conn_, sql.c_str())) ThrowDatabaseError(PQerrorMessage(conn_));
    pending_ = owner;
}

PgResult PgDatabase::TakeResult() noexcept {
    pending_ = nullptr;
    PgResult first(PQgetResult(conn_));
    // A statement's results end with a null; nothing may be left for the next one.
    while (PGresult* extra = PQgetResult(conn_)) PQclear(extra);
    return first;
}

void PgDatabase::Check(const PgResult& result) const {
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
    ThrowDatabaseError(result ? PQresultErrorMessage(result.get()) : PQerrorMessage(conn_));
}

void PgDatabase::CollectPending() noexcept {
    if (PgPendingResult* owner = std::exchange(pending_, nullptr)) owner->Collect();
}

void PgDatabase::BeginRead() {
    if (readers_ == 0 && PQtransactionStatus(conn_) == PQTRANS_IDLE) {
        Run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        ownsTransaction_ = true;
    }
    ++readers_;
}

void PgDatabase::EndRead() noexcept {
    if (--readers_ > 0 || !ownsTransaction_) return;
    ownsTransaction_ = false;
    CollectPending();
    // COMMIT of a failed transaction rolls it back; ROLLBACK covers a COMMIT that could not even be
    // sent.
    PgResult result(PQexec(conn_, "COMMIT"));
    if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK) RunQuietly("ROLLBACK");
}

std::string PgDatabase::NextCursorName() {
    return "norvik_cur_" + std::to_string(++cursors_);
}

}  // namespace norvik::db
