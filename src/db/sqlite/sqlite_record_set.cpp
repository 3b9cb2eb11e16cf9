#include "db/sqlite/sqlite_record_set.h"

#include "db/db_error.h"
#include "db/statement_rewrite.h"

namespace norvik::db {

std::unique_ptr<RecordSet> SqliteRecordSet::Open(std::shared_ptr<SqliteDatabase> db,
                                                 const std::string& sql,
                                                 const std::vector<Value>& params, RowCount count) {
    // Owned before anything is acquired, so that a failure on the way releases what was.
    std::unique_ptr<SqliteRecordSet> set(new SqliteRecordSet(std::move(db)));
    set->Run(sql, params, count);
    return set;
}

SqliteRecordSet::~SqliteRecordSet() {
    Close();
}

void SqliteRecordSet::Run(const std::string& sql, const std::vector<Value>& params,
                          RowCount count) {
    const std::string body(TrimStatementEnd(sql));
    // Held up to the first row only: the rows after it may be read on another thread.
    auto use = db_->Use();
    db_->BeginRead();
    reading_ = true;
    interruptible_.emplace(db_->Handle());

    // Prepared first, so that a fault in it is told of the user's statement, not of the count's.
    stmt_.emplace(*db_, body);
    CheckParameterCount(static_cast<size_t>(stmt_->Markers()), params.size());
    stmt_->Bind(params);
    int64_t rows = -1;
    if (count == RowCount::Counted) {
        // Newlines keep a trailing line comment from swallowing the closing parenthesis. Finalized
        // before the lock is given up, as every statement of the connection is.
        SqliteStatement counted(*db_, "SELECT COUNT(*) FROM (\n" + body + "\n)");
        counted.Bind(params);
        rows = counted.Step() ? sqlite3_column_int64(counted.Get(), 0) : 0;
    }
    const int columns = sqlite3_column_count(stmt_->Get());
    std::vector<std::string> names;
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(stmt_->Get(), i);
        names.emplace_back(name ? name : "");
        kinds_.push_back(SqliteKindOf(sqlite3_column_decltype(stmt_->Get(), i)));
    }
    use.unlock();
    Start(std::move(names), rows);
}

bool SqliteRecordSet::FetchRow(std::vector<Value>& slots) {
    const auto use = db_->Use();
    if (!stmt_->Step()) return false;
    for (size_t i = 0; i < slots.size(); ++i)
        ReadSqliteCell(stmt_->Get(), static_cast<int>(i), kinds_[i], slots[i]);
    return true;
}

bool SqliteRecordSet::PackRows(PackedValues& out, size_t& rows, size_t most) {
    // Held for a batch of rows, not row by row: the caller's other statements wait that long.
    const auto use = db_->Use();
    for (; rows < most; ++rows) {
        if (!stmt_->Step()) return false;
        PackSqliteRow(stmt_->Get(), kinds_, out, scratch_);
    }
    return true;
}

void SqliteRecordSet::Restart() {
    const auto use = db_->Use();
    stmt_->Reset();
}

void SqliteRecordSet::Release() noexcept {
    const auto use = db_->Use();
    stmt_.reset();
    // No later statement of the connection (the protocol's) may take an interrupt meant for this.
    interruptible_.reset();
    if (reading_) db_->EndRead();
    reading_ = false;
}

}  // namespace norvik::db
