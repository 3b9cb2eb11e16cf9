#pragma once
// An open SQLite database, shared by a connection and the record sets it opened.

#include <sqlite3.h>

#include <memory>
#include <mutex>
#include <string>

#include "common/guarded_open.h"
#include "db/read_transactions.h"

namespace norvik::db {

class SqliteDatabase {
  public:
    // Opens or creates the database file in WAL mode; raises kErrDatabase with SQLite's message.
    explicit SqliteDatabase(const std::string& path);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // The raw handle; use it only while holding Use().
    sqlite3* Handle() const { return db_; }
    // Holds the connection for the calling thread: a record set may read ahead on a thread of its
    // own, and SQLite's multi-thread mode lets one thread at a time use a connection. Taken once,
    // by the outermost call (connection, record set); what runs inside, SqliteStatement and the
    // members below, expects it held. A record set's read-ahead lock is never held together with
    // it: the reading thread takes this one only between its own.
    std::unique_lock<std::mutex> Use() const { return std::unique_lock(use_); }
    // Raises kErrDatabase with the message of the call that failed last (Use() held).
    [[noreturn]] void Fail() const;
    // Joins the read transaction of the record sets open now, beginning one when none is running
    // (Use() held).
    void BeginRead();
    // Leaves it again; the last one out commits the transaction it began (Use() held).
    void EndRead() noexcept;

  private:
    sqlite3* db_ = nullptr;
    mutable std::mutex use_;
    ReadTransactions reads_;
    std::unique_ptr<ProtectedFile> file_;  // SQLite's locks on it are ours to keep
};

}  // namespace norvik::db
