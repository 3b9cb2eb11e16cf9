#pragma once
// A record set streaming the rows of one PostgreSQL statement through a cursor, in batches.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/pg_columns.h"
#include "db/pg_database.h"
#include "db/streaming_record_set.h"

namespace norvik::db {

class PgRecordSet final : public StreamingRecordSet {
  public:
    // Begins or joins the read transaction, counts the rows and declares a cursor up to its first
    // row.
    static std::unique_ptr<RecordSet> Open(std::shared_ptr<PgDatabase> db, const std::string& sql,
                                           const std::vector<Value>& params);
    ~PgRecordSet() override;

  protected:
    bool FetchRow(std::vector<Value>& slots) override;
    void Restart() override;
    void Release() noexcept override;

  private:
    explicit PgRecordSet(std::shared_ptr<PgDatabase> db) : db_(std::move(db)) {}
    void Run(const std::string& sql, const std::vector<Value>& params);
    // Declares the cursor and fetches its first batch.
    void Declare();

    std::shared_ptr<PgDatabase> db_;
    bool reading_ = false;   // holds a share of the read transaction
    bool declared_ = false;  // the cursor exists
    std::string cursor_;
    std::string declareSql_;
    UserStatement declareUser_;  // the user's statement inside declareSql_
    std::string fetchSql_;
    std::optional<PgParams> params_;
    PgResult batch_;
    int batchRow_ = 0;  // next row of the batch to read
    std::vector<PgColumnKind> kinds_;
};

}  // namespace norvik::db
