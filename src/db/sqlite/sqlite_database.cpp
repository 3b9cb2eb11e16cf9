#include "db/sqlite/sqlite_database.h"

#include "db/db_error.h"

namespace norvik::db {

SqliteDatabase::SqliteDatabase(const std::string& path) {
    // Use() keeps the threads apart, so SQLite's own locking is not needed.
    const int rc =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        ThrowDatabaseError(message);
    }
    if (const char* file = sqlite3_db_filename(db_, "main"); file && *file)
        file_ = std::make_unique<ProtectedFile>(file);
    sqlite3_busy_timeout(db_, 5000);
    // WAL lets the host services write through their own connection while a record set reads;
    // databases that cannot use it (in memory, read-only media) keep their journal mode.
    sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(db_);
}

void SqliteDatabase::Fail() const {
    ThrowDatabaseError(sqlite3_errmsg(db_));
}

void SqliteDatabase::BeginRead() {
    reads_.Join([&] { return sqlite3_get_autocommit(db_) != 0; },
                [&] {
                    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
                });
}

void SqliteDatabase::EndRead() noexcept {
    if (!reads_.Leave()) return;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace norvik::db
