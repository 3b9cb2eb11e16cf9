#pragma once
// A record set streaming the rows of one SQLite statement inside a read transaction.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/sqlite/sqlite_columns.h"
#include "db/sqlite/sqlite_database.h"
#include "db/sqlite/sqlite_statement.h"
#include "db/statement_cancel.h"
#include "db/streaming_record_set.h"

namespace norvik::db {

class SqliteRecordSet final : public StreamingRecordSet {
  public:
    // Begins or joins the read transaction, counts the rows and runs the statement up to its first
    // row.
    static std::unique_ptr<RecordSet> Open(std::shared_ptr<SqliteDatabase> db,
                                           const std::string& sql, const std::vector<Value>& params,
                                           RowCount count);
    ~SqliteRecordSet() override;

  protected:
    bool FetchRow(std::vector<Value>& slots) override;
    bool PackRows(PackedValues& out, size_t& rows, size_t most) override;
    void Restart() override;
    void Release() noexcept override;
    bool FetchesAhead() const override { return true; }

  private:
    explicit SqliteRecordSet(std::shared_ptr<SqliteDatabase> db) : db_(std::move(db)) {}
    void Run(const std::string& sql, const std::vector<Value>& params, RowCount count);

    std::shared_ptr<SqliteDatabase> db_;
    bool reading_ = false;  // holds a share of the read transaction
    std::optional<SqliteStatement> stmt_;
    // A stop interrupts the count, the sort before the first row and the rows after it.
    std::optional<WaitingStatement> interruptible_;
    std::vector<SqliteColumnKind> kinds_;
    Value scratch_;  // the reading thread's value for cells read as dates
};

}  // namespace norvik::db
