#pragma once
// A record set streaming the rows of one PostgreSQL statement on the session that holds the read
// transaction: as COPY sends them where nothing else shares the transaction, else through a cursor,
// in batches, the next batch asked for before the current one is read, so that server and client
// work at once. A side session counts the rows meanwhile; nothing waits for it.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/postgresql/pg_columns.h"
#include "db/postgresql/pg_copy_stream.h"
#include "db/postgresql/pg_database.h"
#include "db/postgresql/pg_side_count.h"
#include "db/streaming_record_set.h"

namespace norvik::db {

class PgRecordSet final : public StreamingRecordSet, private PgPendingResult {
  public:
    // Begins or joins the read transaction and starts the rows' stream up to its first row; the
    // count follows when a side session has it, at the latest with the last row.
    static std::unique_ptr<RecordSet> Open(std::shared_ptr<PgDatabase> db, const std::string& sql,
                                           const std::vector<Value>& params, RowCount count);
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
    void Run(const std::string& sql, const std::vector<Value>& params, RowCount count);
    // Completes the opening with the cursor's first batch.
    void StartCursor(int64_t count);
    // Reads the rows by COPY instead of the cursor; false when they cannot be read so.
    bool RunCopy(const std::string& body);
    // Ends the cursor and a FETCH sent for it.
    void CloseCursor() noexcept;
    // Sends the count to a side session where the snapshot can be shared; false when it cannot.
    bool CountBeside(const std::optional<PgSharedSnapshot>& snapshot);
    // Takes the side session's count when it has arrived.
    void TakeSideCount();
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
    std::unique_ptr<PgCopyStream> copy_;            // the rows when read by COPY
    std::optional<PgSharedSnapshot> copySnapshot_;  // what other record sets read meanwhile
    std::unique_ptr<PgSideCount> sideCount_;
    int sinceLook_ = 0;  // rows since the side count was last looked at
};

}  // namespace norvik::db
