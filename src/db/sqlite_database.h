#pragma once
// An open SQLite database, shared by a connection and the record sets it opened.

#include <sqlite3.h>

#include <string>

namespace norvik::db {

class SqliteDatabase {
  public:
    // Opens or creates the database file in WAL mode; raises kErrDatabase with SQLite's message.
    explicit SqliteDatabase(const std::string& path);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // The raw handle.
    sqlite3* Handle() const { return db_; }
    // Raises kErrDatabase with the message of the call that failed last.
    [[noreturn]] void Fail() const;
    // Joins the read transaction of the record sets open now, beginning one when none is running.
    void BeginRead();
    // Leaves it again; the last one out commits the transaction it began.
    void EndRead() noexcept;

  private:
    sqlite3* db_ = nullptr;
    int readers_ = 0;
    bool ownsTransaction_ = false;
};

}  // namespace norvik::db
