#pragma once
// An open PostgreSQL session, shared by a connection and the record sets it opened.

#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/pg_error.h"
#include "db/pg_params.h"

namespace norvik::db {

// A statement result, cleared with its owner.
struct PgResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

// A result sent for but not yet taken; its owner collects it before the session runs anything
// else.
class PgPendingResult {
  public:
    virtual ~PgPendingResult() = default;
    // Takes the result from the session now and keeps it for later.
    virtual void Collect() noexcept = 0;
};

class PgDatabase {
  public:
    // Connects from a libpq URL with UTF-8 texts and ISO dates; raises kErrDatabase with libpq's
    // message.
    explicit PgDatabase(const std::string& url);
    ~PgDatabase();
    PgDatabase(const PgDatabase&) = delete;
    PgDatabase& operator=(const PgDatabase&) = delete;

    // Runs a statement (several when there are no parameters); raises kErrDatabase unless it
    // succeeded. A statement wrapped around the user's own names that part in its message.
    PgResult Run(const std::string& sql, const PgParams* params = nullptr,
                 std::optional<UserStatement> user = std::nullopt);
    // Runs a statement whose failure does not matter.
    void RunQuietly(const char* sql) noexcept;
    // Sends a statement without waiting, so that the server works while the caller does; owner
    // takes the result with TakeResult (and is asked to when another statement comes first).
    void Send(const std::string& sql, PgPendingResult* owner);
    // The result of the statement sent last (null when none arrived); check it with Check.
    PgResult TakeResult() noexcept;
    // Raises kErrDatabase unless the result is a success.
    void Check(const PgResult& result) const;
    // Joins the read transaction of the record sets open now, beginning one when the session is
    // idle.
    void BeginRead();
    // Leaves it again; the last one out commits the transaction it began.
    void EndRead() noexcept;
    // A cursor name not used before in this session.
    std::string NextCursorName();

  private:
    // Lets the owner of a sent statement take its result before the session is used otherwise.
    void CollectPending() noexcept;

    PGconn* conn_ = nullptr;
    PgPendingResult* pending_ = nullptr;
    int readers_ = 0;
    bool ownsTransaction_ = false;
    int cursors_ = 0;
};

}  // namespace norvik::db
