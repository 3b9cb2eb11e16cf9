#include "db/sqlite/sqlite_connection.h"

#include "db/db_error.h"
#include "db/sqlite/sqlite_record_set.h"
#include "db/sqlite/sqlite_statement.h"

namespace norvik::db {

SqliteConnection::SqliteConnection(const std::string& url)
    : url_(url), db_(std::make_shared<SqliteDatabase>(url.substr(url.find(':') + 1))) {}

int64_t SqliteConnection::Execute(const std::string& sql, const std::vector<Value>& params) {
    const auto use = db_->Use();
    std::string_view rest = sql;
    size_t used = 0;
    int64_t changed = 0;
    while (!rest.empty()) {
        SqliteStatement stmt(*db_, rest, &rest);
        if (!stmt) continue;
        const size_t markers = static_cast<size_t>(stmt.Markers());
        if (used + markers > params.size()) CheckParameterCount(used + markers, params.size());
        stmt.Bind(params, used);
        used += markers;
        // sqlite3_changes keeps the count of the last INSERT/UPDATE/DELETE; only take it when this
        // one changed rows.
        const int64_t before = sqlite3_total_changes64(db_->Handle());
        while (stmt.Step()) {
        }
        if (sqlite3_total_changes64(db_->Handle()) != before)
            changed += sqlite3_changes64(db_->Handle());
    }
    CheckParameterCount(used, params.size());
    return changed;
}

std::string SqliteConnection::DatabaseFile() const {
    const auto use = db_->Use();
    const char* file = sqlite3_db_filename(db_->Handle(), "main");
    return file ? file : "";
}

std::unique_ptr<RecordSet> SqliteConnection::OpenRecordSet(const std::string& sql,
                                                           const std::vector<Value>& params,
                                                           RowCount count) {
    return SqliteRecordSet::Open(db_, sql, params, count);
}

}  // namespace norvik::db
