#include "db/pg_database.h"

#include <utility>

#include "db/db_error.h"
#include "db/secret_text.h"

namespace norvik::db {
namespace {

// The notices (e.g. "table does not exist, skipping") would otherwise go to stderr.
void IgnoreNotice(void*, const char*) {}

constexpr const char* kBeginRead = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";

}  // namespace

PgDatabase::PgDatabase(const std::string& url) : url_(url) {
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

bool PgDatabase::BeginRead() {
    bool began = false;
    if (readers_ == 0 && PQtransactionStatus(conn_) == PQTRANS_IDLE) {
        Run(kBeginRead);
        ownsTransaction_ = began = true;
    }
    ++readers_;
    return began;
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

std::optional<PgSharedSnapshot> PgDatabase::ShareSnapshot(bool& restarted) {
    CollectPending();
    // The settings made in this session (the ones set at connecting among them) go along; a
    // temporary table would not be seen by another session.
    PgResult result(PQexec(conn_,
                           "SELECT pg_export_snapshot(), pg_my_temp_schema() <> 0, "
                           "(SELECT string_agg(format('SELECT set_config(%L, %L, true);', name, "
                           "setting), '') FROM pg_settings WHERE source = 'session')"));
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

bool PgDatabase::JoinSnapshot(const PgSharedSnapshot& snapshot) noexcept {
    const std::string sql = std::string(kBeginRead) + "; SET TRANSACTION SNAPSHOT '" + snapshot.id +
                            "'; " + snapshot.settings;
    PgResult result(PQexec(conn_, sql.c_str()));
    if (result && PQresultStatus(result.get()) == PGRES_TUPLES_OK) return true;
    if (result && PQresultStatus(result.get()) == PGRES_COMMAND_OK) return true;
    RunQuietly("ROLLBACK");
    return false;
}

std::unique_ptr<PgDatabase> PgDatabase::BorrowReader() noexcept {
    if (reader_) return std::move(reader_);
    try {
        return std::make_unique<PgDatabase>(url_);
    } catch (...) {
        return nullptr;
    }
}

void PgDatabase::ReturnReader(std::unique_ptr<PgDatabase> reader) noexcept {
    if (reader && PQstatus(reader->conn_) == CONNECTION_OK &&
        PQtransactionStatus(reader->conn_) == PQTRANS_IDLE)
        reader_ = std::move(reader);
}

bool PgDatabase::ResultReady() noexcept {
    return !PQconsumeInput(conn_) || !PQisBusy(conn_);
}

}  // namespace norvik::db
