#pragma once
// An open ODBC connection, shared by a connection and the record sets it opened.

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <mutex>
#include <string>

#include "common/guarded_open.h"
#include "db/read_transactions.h"

namespace norvik::db {

// The database system behind the driver, as SQL_DBMS_NAME names it.
enum class OdbcDbms { kOther, kSqlite, kPostgres, kMariaDb };

class OdbcDatabase {
  public:
    // Connects with an ODBC connection string; raises kErrDatabase with the driver manager's or
    // driver's message, passwords hidden.
    explicit OdbcDatabase(const std::string& connectionString);
    ~OdbcDatabase();
    OdbcDatabase(const OdbcDatabase&) = delete;
    OdbcDatabase& operator=(const OdbcDatabase&) = delete;

    // The connection handle.
    SQLHDBC Handle() const { return dbc_; }
    // The database system.
    OdbcDbms Dbms() const { return dbms_; }
    // The database file of an SQLite data source, empty for a server.
    const std::string& DatabaseFile() const { return databaseFile_; }
    // True when SQLGetData may read a bound column of any row of a block (SQL_GD_BLOCK).
    bool GetDataInBlocks() const { return getDataInBlocks_; }
    // True when texts go as UTF-8 through the narrow calls: the SQLite driver's wide calls lose
    // characters beyond U+FFFF, and a driver of the narrow interface alone (psqlODBC's ANSI one)
    // refuses wide parameters.
    bool NarrowTexts() const { return narrow_; }
    // True when result texts fetched as SQL_C_CHAR arrive as the server's UTF-8, unconverted: they
    // are then fetched so, instead of converted to UTF-16 by the driver and back by us.
    bool Utf8ResultTexts() const { return utf8Results_; }
    // True when the driver gives a zero date ('0000-00-00') as a time stamp struct marked null and
    // filled with zeros, and leaves a null's struct as it was (MariaDB's): the one value whose
    // struct is not what its text says can then be told from a null.
    bool ZeroDatesFilled() const { return zeroDatesFilled_; }
    // The rows the driver asks the server for at a time when it reads through a cursor
    // (psqlODBC's Fetch with UseDeclareFetch), else 0.
    size_t CursorFetchRows() const { return cursorFetchRows_; }
    // Raises kErrDatabase with the diagnostics of the handle, passwords hidden.
    [[noreturn]] void Fail(SQLSMALLINT handleType, SQLHANDLE handle) const;
    // Raises unless rc reports success.
    void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) const {
        if (!SQL_SUCCEEDED(rc)) Fail(handleType, handle);
    }
    // Joins the read transaction of the record sets open now, beginning one when none is running
    // (Use() held).
    void BeginRead();
    // Leaves it again; the last one out commits the transaction it began (Use() held).
    void EndRead() noexcept;
    // Holds the connection for the calling thread: a record set may read ahead on a thread of its
    // own, and every use of the connection and its statements takes this first. Taken once, by
    // the outermost call (connection, record set); a record set's read-ahead lock is never held
    // together with it.
    std::unique_lock<std::mutex> Use() const { return std::unique_lock(use_); }

  private:
    void Connect(const std::string& connectionString);
    void Disconnect() noexcept;
    void Prepare();
    // Asks the driver for a text of letters beyond ASCII as SQL_C_CHAR.
    bool ResultTextsStayUtf8() const;
    // True when the driver refuses a wide text parameter that it takes as a narrow one.
    bool RefusesWideParameters() const;
    // Fetches a zero date and a null as structs.
    bool FillsZeroDates() const;

    mutable std::mutex use_;
    std::string connection_;  // as given, to hide its secrets in messages
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    OdbcDbms dbms_ = OdbcDbms::kOther;
    std::string databaseFile_;
    std::unique_ptr<ProtectedFile> protected_;  // the driver's SQLite file keeps its locks
    bool getDataInBlocks_ = false;
    bool narrow_ = false;
    bool utf8Results_ = false;
    bool zeroDatesFilled_ = false;
    size_t cursorFetchRows_ = 0;
    ReadTransactions reads_;
};

// A statement handle of a connection, freed with its owner.
class OdbcStatement {
  public:
    explicit OdbcStatement(const OdbcDatabase& db);
    ~OdbcStatement();
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    // The raw handle.
    SQLHSTMT Get() const { return stmt_; }
    // Raises the statement's diagnostics unless rc reports success (SQL_NO_DATA counts as one).
    void Check(SQLRETURN rc) const;
    // Prepares a statement and returns the number of its "?" markers.
    size_t Prepare(const std::string& sql);
    // Closes an open cursor; harmless without one.
    void CloseCursor() noexcept;

  private:
    const OdbcDatabase* db_;
    SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

}  // namespace norvik::db
