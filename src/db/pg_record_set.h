#pragma once
// A record set streaming the rows of one PostgreSQL statement: as COPY sends them on a second
// session where one can share the read transaction, else through a cursor, in batches, the next
// batch asked for before the current one is read, so that server and client work at once.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/pg_columns.h"
#include "db/pg_copy_stream.h"
#include "db/pg_database.h"
#include "db/streaming_record_set.h"

namespace norvik::db {

class PgRecordSet final : public StreamingRecordSet, private PgPendingResult {
  public:
    // Begins or joins the read transaction, starts the rows' stream up to its first row and counts
    // the rows (while they stream, where a second session reads them).
    static std::unique_ptr<RecordSet> Open(std::shared_ptr<PgDatabase> db, const std::string& sql,
                                           const std::vector<Value>& params);
    ~PgRecordSet() override;

  protected:
    bool FetchRow(std::vector<Value>& slots) override;
    void Restart() override;
    void Release() noexcept override;

  private:
    void Collect() noexcept override;
    // Asks for the batch after a full one.
    void Prefetch();
    // The batch asked for last, waiting for it when it has not been collected yet.
    PgResult NextBatch();
    // Moves to the next row, in the next batch when this one is done; false at the end.
    bool NextRow();

    explicit PgRecordSet(std::shared_ptr<PgDatabase> db) : db_(std::move(db)) {}
    void Run(const std::string& sql, const std::vector<Value>& params);
    // Completes the opening with the cursor's first batch.
    void StartCursor(int64_t count);
    // Reads the rows by COPY instead of the cursor; false when they cannot be read so.
    bool RunCopy(const std::string& body);
    // Ends the cursor and a FETCH sent for it.
    void CloseCursor() noexcept;
    // The count taken on this session while the COPY streams on the other.
    int64_t CountWhileCopying();
    // Counts the rows of the statement.
    int64_t Count();
    // Declares the cursor and fetches its first batch.
    void Declare();

    std::shared_ptr<PgDatabase> db_;
    bool reading_ = false;   // holds a share of the read transaction
    bool declared_ = false;  // the cursor exists
    std::string cursor_;
    std::string countSql_;
    UserStatement countUser_;
    std::string declareSql_;
    UserStatement declareUser_;  // the user's statement inside declareSql_
    std::string fetchSql_;
    std::optional<PgParams> params_;
    PgResult batch_;
    int batchRow_ = 0;    // next row of the batch to read
    bool asked_ = false;  // a FETCH was sent for the batch after batch_
    PgResult collected_;  // its result, when taken before it was needed
    std::vector<TextKind> kinds_;
    std::unique_ptr<PgCopyStream> copy_;  // the rows when read by COPY
};

}  // namespace norvik::db
