#pragma once
// A prepared SQLite statement with "?" parameters bound from values. Made, used and finalized only
// while the database's Use() is held, which it does not take itself.

#include <sqlite3.h>

#include <memory>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "db/sqlite/sqlite_database.h"

namespace norvik::db {

class SqliteStatement {
  public:
    // Prepares the first statement of `sql`; `rest` receives the text after it. Raises
    // kErrDatabase.
    SqliteStatement(SqliteDatabase& db, std::string_view sql, std::string_view* rest = nullptr);

    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    // False when the text held only white space or comments.
    explicit operator bool() const { return stmt_ != nullptr; }
    // The raw statement; use it only while holding the database's Use().
    sqlite3_stmt* Get() const { return stmt_.get(); }
    // Number of parameter markers.
    int Markers() const;
    // Binds params[first], params[first + 1], … to the markers in order.
    void Bind(const std::vector<Value>& params, std::size_t first = 0);
    // Steps once: true with a row, false when done; raises kErrDatabase.
    bool Step();
    // Rewinds it to run again with the same parameters.
    void Reset();

  private:
    struct Finalizer {
        void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
    };

    SqliteDatabase* db_;
    std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

}  // namespace norvik::db
