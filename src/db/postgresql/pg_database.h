#pragma once
// An open PostgreSQL session, shared by a connection and the record sets it opened.

#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/postgresql/pg_error.h"
#include "db/postgresql/pg_params.h"
#include "db/read_transactions.h"

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

// What a second session needs to read as a session's read transaction does.
struct PgSharedSnapshot {
    std::string id;        // the snapshot as pg_export_snapshot names it
    std::string settings;  // one statement giving the side session this one's own settings
};

class PgDatabase {
  public:
    // Connects from a libpq URL with UTF-8 texts and ISO dates; raises kErrDatabase with libpq's
    // message. A side session (bare) runs nothing at connecting: behind a transaction pooler that
    // the main session occupies, any statement would wait for it.
    explicit PgDatabase(const std::string& url, bool bare = false);
    ~PgDatabase();
    PgDatabase(const PgDatabase&) = delete;
    PgDatabase& operator=(const PgDatabase&) = delete;

    // Runs a statement (several when there are no parameters); raises kErrDatabase unless it
    // succeeded. A statement wrapped around the user's own names that part in its message.
    PgResult Run(const std::string& sql, const PgParams* params = nullptr,
                 std::optional<UserStatement> user = std::nullopt);
    // Runs a statement whose failure does not matter.
    void RunQuietly(const char* sql) noexcept;
    // Runs a statement that must answer within the seconds given, else is cancelled; false when it
    // failed or did not answer (a pooler with no server connection left, a lock held elsewhere).
    bool RunWithin(const std::string& sql, int seconds) noexcept;
    // Sends a statement without waiting, so that the server works while the caller does; owner
    // takes the result with TakeResult (and is asked to when another statement comes first).
    void Send(const std::string& sql, PgPendingResult* owner);
    // The result of the statement sent last (null when none arrived); check it with Check.
    PgResult TakeResult() noexcept;
    // Raises kErrDatabase unless the result is a success.
    void Check(const PgResult& result) const;
    // Joins the read transaction of the record sets open now, beginning one when the session is
    // idle; true when it began one.
    bool BeginRead();
    // Leaves it again; the last one out commits the transaction it began.
    void EndRead() noexcept;
    // Begins the read transaction this session began anew, with a new snapshot.
    void RestartRead();
    // The relations this session holds locks on that were rewritten (ALTER TABLE, TRUNCATE,
    // VACUUM FULL, CLUSTER) or made after the read transaction's snapshot was taken, which would
    // show their rows as absent; empty when there are none.
    std::string RewrittenSinceSnapshot();
    // A cursor name not used before in this session.
    std::string NextCursorName();
    // The snapshot and settings of the read transaction this session began and alone uses; none
    // when a second session could not read alike (temporary tables, a snapshot that cannot be
    // shared; `restarted` tells that the transaction began anew after that failure).
    std::optional<PgSharedSnapshot> ShareSnapshot(bool& restarted);
    // The statements that begin a side session's read transaction on a shared snapshot.
    static std::string JoinSnapshotSql(const PgSharedSnapshot& snapshot);
    // Begins a read transaction on the snapshot of another session's; false when it cannot, also
    // when it does not answer in time.
    bool JoinSnapshot(const PgSharedSnapshot& snapshot) noexcept;
    // A side session on the same database, kept for the next record set; null when there is
    // none to be had.
    std::unique_ptr<PgDatabase> BorrowReader() noexcept;
    // Takes a reader back; an idle one is kept for the next record set.
    void ReturnReader(std::unique_ptr<PgDatabase> reader) noexcept;
    // The libpq connection, for reading a COPY.
    PGconn* Handle() const { return conn_; }
    // What cancels the session's statement on the server (see WaitingStatement).
    PGcancel* Canceller() const { return cancel_; }
    // True when the server ends statements that run too long (statement_timeout): rows are then
    // read in statements that each stay short.
    bool BoundsStatements() const { return boundsStatements_; }
    // True on a hot standby, which cannot share a snapshot.
    bool InRecovery() const { return inRecovery_; }
    // The snapshot a COPY streaming on this session reads; other record sets opened meanwhile read
    // it on a side session. Empty while no COPY streams.
    const std::optional<PgSharedSnapshot>& Copying() const { return copying_; }
    void SetCopying(std::optional<PgSharedSnapshot> snapshot) { copying_ = std::move(snapshot); }
    // A side session reading the snapshot of the COPY streaming here, for another record set;
    // raises kErrDatabase when none can be had in time.
    std::shared_ptr<PgDatabase> SnapshotReader();

  private:
    // Lets the owner of a sent statement take its result before the session is used otherwise.
    void CollectPending() noexcept;

    std::string url_;
    PGconn* conn_ = nullptr;
    PGcancel* cancel_ = nullptr;  // for a stop while a statement is waited for
    std::unique_ptr<PgDatabase> reader_;
    PgPendingResult* pending_ = nullptr;
    ReadTransactions reads_;
    int cursors_ = 0;
    bool boundsStatements_ = false;
    bool inRecovery_ = false;
    std::optional<PgSharedSnapshot> copying_;
};

}  // namespace norvik::db
