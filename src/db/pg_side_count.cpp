#include "db/pg_side_count.h"

#include <charconv>
#include <memory>

namespace norvik::db {
namespace {

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

bool Succeeded(const Result& result) {
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

// Snapshot names are hexadecimal numbers joined by "-"; nothing else goes into the statement.
bool IsSnapshotName(const std::string& name) {
    if (name.empty()) return false;
    for (const char c : name)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == '-')) return false;
    return true;
}

}  // namespace

PgSideCount::~PgSideCount() {
    Cancel();
    if (conn_) PQfinish(conn_);
}

bool PgSideCount::Connect() noexcept {
    if (conn_) {
        if (PQstatus(conn_) == CONNECTION_OK) return true;
        PQfinish(conn_);
        conn_ = nullptr;
    }
    if (unusable_) return false;
    const char* keys[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
    const char* values[] = {"15", url_.c_str(), "UTF8", nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) return true;
    if (conn_) PQfinish(conn_);
    conn_ = nullptr;
    unusable_ = true;
    return false;
}

bool PgSideCount::Start(const std::string& snapshot, const std::string& searchPath,
                        const std::string& countSql, const PgParams* params) noexcept {
    if (running_ || !IsSnapshotName(snapshot) || !Connect()) return false;
    const std::string begin =
        "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; "
        "SET TRANSACTION SNAPSHOT '" +
        snapshot + "'";
    const char* path = searchPath.c_str();
    if (!Succeeded(Result(PQexec(conn_, begin.c_str()))) ||
        !Succeeded(Result(PQexecParams(conn_, "SELECT set_config('search_path', $1, true)", 1,
                                       nullptr, &path, nullptr, nullptr, 0)))) {
        Finish();
        return false;
    }
    const int count = params ? params->Count() : 0;
    if (!PQsendQueryParams(conn_, countSql.c_str(), count, nullptr,
                           count > 0 ? params->Pointers() : nullptr, nullptr, nullptr, 0)) {
        Finish();
        return false;
    }
    running_ = true;
    return true;
}

PgSideCount::State PgSideCount::Take(bool wait, int64_t& rows) noexcept {
    if (!running_) return State::kFailed;
    if (!wait && (!PQconsumeInput(conn_) || PQisBusy(conn_))) {
        if (PQstatus(conn_) == CONNECTION_OK) return State::kRunning;
    }
    Result result(PQgetResult(conn_));
    while (PGresult* extra = PQgetResult(conn_)) PQclear(extra);
    running_ = false;
    bool done = Succeeded(result) && PQntuples(result.get()) == 1;
    if (done) {
        const char* text = PQgetvalue(result.get(), 0, 0);
        done =
            std::from_chars(text, text + PQgetlength(result.get(), 0, 0), rows).ec == std::errc();
    }
    Finish();
    return done ? State::kDone : State::kFailed;
}

void PgSideCount::Cancel() noexcept {
    if (!running_) return;
    if (PGcancel* cancel = PQgetCancel(conn_)) {
        char error[256];
        PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
    }
    while (PGresult* result = PQgetResult(conn_)) PQclear(result);
    running_ = false;
    Finish();
}

void PgSideCount::Finish() noexcept {
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
}

}  // namespace norvik::db
