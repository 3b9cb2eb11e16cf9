#include "db/postgresql/pg_side_count.h"

#include <charconv>
#include <cstring>

namespace norvik::db {
namespace {

bool SendPlain(PGconn* conn, const std::string& sql) {
    return PQsendQueryParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
}

}  // namespace

std::unique_ptr<PgSideCount> PgSideCount::Start(PgDatabase& db, const PgSharedSnapshot& snapshot,
                                                std::string countSql, const PgParams* params) {
    std::unique_ptr<PgDatabase> side = db.BorrowReader();
    if (!side) return nullptr;
    std::unique_ptr<PgSideCount> count(
        new PgSideCount(db, std::move(side), std::move(countSql), params));
    if (!count->Send(snapshot)) {
        count->done_ = count->failed_ = true;
        return nullptr;
    }
    return count;
}

bool PgSideCount::Send(const PgSharedSnapshot& snapshot) {
    // All statements go at once, so that the side session is never idle inside its transaction
    // (a server may end such a session) and the count needs no further turn of ours.
    PGconn* conn = side_->Handle();
    if (!PQenterPipelineMode(conn)) return false;
    std::vector<std::string> steps = {"BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY",
                                      "SET TRANSACTION SNAPSHOT '" + snapshot.id + "'"};
    if (!snapshot.settings.empty()) steps.push_back(snapshot.settings);
    // The count alone may wait for a lock, and not long: it may be queued behind a statement that
    // waits for the main session. A statement bound of the server holds for it as for anything.
    steps.emplace_back("SET LOCAL lock_timeout = '2s'");
    for (const std::string& step : steps)
        if (!SendPlain(conn, step)) return false;
    countStep_ = static_cast<int>(steps.size());
    const bool sent = params_ && params_->Count() > 0
                          ? PQsendQueryParams(conn, countSql_.c_str(), params_->Count(), nullptr,
                                              params_->Pointers(), nullptr, nullptr, 0)
                          : SendPlain(conn, countSql_);
    return sent && SendPlain(conn, "COMMIT") && PQpipelineSync(conn);
}

PgSideCount::~PgSideCount() {
    if (done_ && !failed_ && PQexitPipelineMode(side_->Handle())) {
        db_.ReturnReader(std::move(side_));
        return;
    }
    if (done_) return;
    if (PGcancel* cancel = PQgetCancel(side_->Handle())) {
        char error[256];
        PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
    }
}

std::optional<int64_t> PgSideCount::Poll() noexcept {
    PGconn* conn = side_->Handle();
    while (!done_) {
        if (!PQconsumeInput(conn)) {
            done_ = failed_ = true;
            break;
        }
        if (PQisBusy(conn)) break;
        PGresult* result = PQgetResult(conn);
        if (!result) {
            // The end of one statement's results.
            ++step_;
            continue;
        }
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_PIPELINE_SYNC) {
            done_ = true;
        } else if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            failed_ = true;
        } else if (step_ == countStep_ && PQntuples(result) == 1) {
            const char* text = PQgetvalue(result, 0, 0);
            int64_t rows = 0;
            if (std::from_chars(text, text + std::strlen(text), rows).ec == std::errc())
                count_ = rows;
        }
        PQclear(result);
    }
    return failed_ ? std::nullopt : count_;
}

}  // namespace norvik::db
