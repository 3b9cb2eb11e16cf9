#pragma once
// A second session on the same database that counts a statement's rows in the snapshot of the
// first session's read transaction, while the first already streams them.

#include <libpq-fe.h>

#include <cstdint>
#include <string>

#include "db/pg_params.h"

namespace norvik::db {

class PgSideCount {
  public:
    // What Take found.
    enum class State { kRunning, kDone, kFailed };

    // Connects on first use to the database of url (a libpq URL).
    explicit PgSideCount(std::string url) : url_(std::move(url)) {}
    ~PgSideCount();
    PgSideCount(const PgSideCount&) = delete;
    PgSideCount& operator=(const PgSideCount&) = delete;

    // Begins counting with countSql in the exported snapshot, with the first session's search
    // path; false when that cannot be (no second session, one count already running, a refused
    // snapshot), and the caller counts itself.
    bool Start(const std::string& snapshot, const std::string& searchPath,
               const std::string& countSql, const PgParams* params) noexcept;
    // The count's state; with wait, it runs no longer. rows is set when it is done.
    State Take(bool wait, int64_t& rows) noexcept;
    // Stops a running count and forgets it.
    void Cancel() noexcept;

  private:
    bool Connect() noexcept;
    // Ends the side transaction, whatever state it is in.
    void Finish() noexcept;

    std::string url_;
    PGconn* conn_ = nullptr;
    bool unusable_ = false;  // connecting failed once: the server refuses a second session
    bool running_ = false;
};

}  // namespace norvik::db
