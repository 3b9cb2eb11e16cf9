#include "db/sqlite/sqlite_statement.h"

#include <string>

#include "db/date_text.h"

namespace norvik::db {
namespace {

int BindOne(sqlite3_stmt* stmt, int index, const Value& value) {
    switch (value.index()) {
        case kValueIndex<Null>:
            return sqlite3_bind_null(stmt, index);
        case kValueIndex<int64_t>:
            return sqlite3_bind_int64(stmt, index, std::get<int64_t>(value));
        case kValueIndex<double>:
            return sqlite3_bind_double(stmt, index, std::get<double>(value));
        case kValueIndex<Decimal>: {
            const std::string& text = std::get<Decimal>(value).text;
            return sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                       SQLITE_UTF8);
        }
        case kValueIndex<std::string>: {
            const std::string& text = std::get<std::string>(value);
            return sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                       SQLITE_UTF8);
        }
        case kValueIndex<DateTime>: {
            std::string text;
            AppendDateTimeParam(text, std::get<DateTime>(value));
            return sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                       SQLITE_UTF8);
        }
        default:
            return sqlite3_bind_int(stmt, index, std::get<bool>(value) ? 1 : 0);
    }
}

}  // namespace

SqliteStatement::SqliteStatement(SqliteDatabase& db, std::string_view sql, std::string_view* rest)
    : db_(&db) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db.Handle(), sql.data(), static_cast<int>(sql.size()), &stmt, &tail) !=
        SQLITE_OK)
        db.Fail();
    stmt_.reset(stmt);
    if (rest) *rest = sql.substr(static_cast<size_t>(tail - sql.data()));
}

SqliteStatement::~SqliteStatement() {
    stmt_.reset();
}

int SqliteStatement::Markers() const {
    return sqlite3_bind_parameter_count(stmt_.get());
}

void SqliteStatement::Bind(const std::vector<Value>& params, std::size_t first) {
    const int markers = Markers();
    for (int i = 0; i < markers && first + static_cast<size_t>(i) < params.size(); ++i) {
        if (BindOne(stmt_.get(), i + 1, params[first + static_cast<size_t>(i)]) != SQLITE_OK)
            db_->Fail();
    }
}

bool SqliteStatement::Step() {
    const int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_->Fail();
}

void SqliteStatement::Reset() {
    sqlite3_reset(stmt_.get());
}

}  // namespace norvik::db
