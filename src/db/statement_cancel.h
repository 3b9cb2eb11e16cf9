#pragma once
// A statement the program waits for can be cancelled on its database from a signal handler or
// another thread, so that a stop need not wait for a lock someone else holds, a slow plan or a
// long sort: PostgreSQL through PQcancel, SQLite through sqlite3_interrupt, ODBC through
// SQLCancel.

#include <libpq-fe.h>

struct sqlite3;

namespace norvik::db {

// Asks the database to cancel every statement a session waits for now, if any, from any thread.
// In a signal handler only what is safe there is done: PostgreSQL and SQLite are cancelled, ODBC
// (whose driver manager may take locks) is left to notice the stop after its statement.
void CancelWaitingStatement(bool inSignalHandler = false) noexcept;

// While it lives, the handle's statements are the ones CancelWaitingStatement cancels.
class WaitingStatement {
  public:
    // A PostgreSQL session's cancel.
    explicit WaitingStatement(PGcancel* cancel) noexcept;
    // A SQLite connection: every statement running on it is interrupted.
    explicit WaitingStatement(sqlite3* db) noexcept;
    // An ODBC statement handle (SQLHSTMT).
    static WaitingStatement Odbc(void* statement) noexcept;
    // Returns only when no handler uses the handle any more.
    ~WaitingStatement();
    WaitingStatement(WaitingStatement&& other) noexcept;
    WaitingStatement(const WaitingStatement&) = delete;
    WaitingStatement& operator=(const WaitingStatement&) = delete;
    WaitingStatement& operator=(WaitingStatement&&) = delete;

  private:
    enum class Kind { Postgres, Sqlite, Odbc };
    WaitingStatement(Kind kind, void* handle) noexcept;

    Kind kind_ = Kind::Postgres;
    int slot_ = -1;  // none when every slot is taken: the statement then runs uncancelled
};

}  // namespace norvik::db
