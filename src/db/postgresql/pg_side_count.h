#pragma once
// The rows of a statement counted on a side session that reads the same snapshot, while the main
// session streams them. Nothing ever waits for it: it answers when the server lets it (behind a
// lock, a busy pooler or a slow plan it may answer late or never), and the export goes on without
// it meanwhile.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/postgresql/pg_database.h"

namespace norvik::db {

class PgSideCount {
  public:
    // Sends the count on a side session of db; null when none can be had now.
    static std::unique_ptr<PgSideCount> Start(PgDatabase& db, const PgSharedSnapshot& snapshot,
                                              std::string countSql, const PgParams* params);
    // Cancels a count still running; a session that finished cleanly goes back to db.
    ~PgSideCount();
    PgSideCount(const PgSideCount&) = delete;
    PgSideCount& operator=(const PgSideCount&) = delete;

    // Takes what arrived without blocking; the count once it is there.
    std::optional<int64_t> Poll() noexcept;
    // True when the count will not come (refused, cancelled, timed out, connection lost).
    bool Failed() const { return failed_; }

  private:
    PgSideCount(PgDatabase& db, std::unique_ptr<PgDatabase> side, std::string countSql,
                const PgParams* params)
        : db_(db), side_(std::move(side)), countSql_(std::move(countSql)), params_(params) {}
    // Sends the transaction on the snapshot, the count and the end at once.
    bool Send(const PgSharedSnapshot& snapshot);

    PgDatabase& db_;
    std::unique_ptr<PgDatabase> side_;
    std::string countSql_;
    const PgParams* params_;
    int step_ = 0;       // the statement whose results arrive now
    int countStep_ = 0;  // the count's place among the statements
    bool done_ = false;  // all results arrived, or the connection was lost
    bool failed_ = false;
    std::optional<int64_t> count_;
};

}  // namespace norvik::db
